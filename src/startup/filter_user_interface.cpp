#include "startup/filter_user_interface.h"

#include <algorithm>

#include "startup/notice_text.h"

namespace kivrel {

void FilterProgress::SetFill(double fraction) { Report(static_cast<int>(std::min(fraction, 1.0) * 100)); }

void FilterProgress::Report(int percent) {
  if (percent <= reported_) return;
  reported_ = percent;
  errors_ << "FILTER_PROGRESS=" << percent << '\n' << std::flush;
}

DialogHooks& FilterUserInterface::Dialog(Settings& settings) {
  if (!dialog_) dialog_ = std::make_unique<NoDialog>(settings);
  return *dialog_;
}

void FilterUserInterface::ShowSetupDialog(Settings&, const SettingsEnvironment&) {
  errors_ << "Kivrel: kivrel-filter has no settings dialog; run kivrel SETUP\n" << std::flush;
}

void FilterUserInterface::ReportFailure(const std::string& text) {
  errors_ << "Kivrel: " << text << '\n' << std::flush;
}

void FilterUserInterface::ReportNotices(const std::string& program, const std::vector<std::string>& notices) {
  for (const std::string& notice : notices) errors_ << "Kivrel: warning: " << notice << '\n';
  errors_ << std::flush;
  if (!notices.empty() && notice_box_) notice_box_(NoticeBoxText(program, notices));
}

}  // namespace kivrel
