#include "ui/windowed_user_interface.h"

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

void WindowedUserInterface::ReportNotices(const std::vector<std::string>& notices) {
  std::string text;
  for (const std::string& notice : notices) text += (text.empty() ? "" : "\n") + notice;
  boxes_.Notify(text);
}

}  // namespace kivrel
