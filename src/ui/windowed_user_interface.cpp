#include "ui/windowed_user_interface.h"

#include "startup/notice_text.h"

namespace kivrel {

DialogModel& WindowedUserInterface::Model(Settings& settings) {
  if (!dialog_) dialog_ = std::make_unique<DialogModel>(settings);
  return *dialog_;
}

DialogHooks& WindowedUserInterface::Dialog(Settings& settings) { return Model(settings); }

void WindowedUserInterface::ReportFailure(const std::string& text) {
  errors_ << "Kivrel: " << text << '\n' << std::flush;
  boxes_.Notify(text);
}

void WindowedUserInterface::ReportNotices(const std::string& program, const std::vector<std::string>& notices) {
  boxes_.Notify(NoticeBoxText(program, notices));
}

}  // namespace kivrel
