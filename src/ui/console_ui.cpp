#include "ui/console_ui.h"

#include "startup/comment_block.h"

namespace kivrel {

void ConsoleMessageBoxes::Notify(const std::string& text) {
  errors_ << "Kivrel: " << text << '\n' << std::flush;
}

bool ConsoleMessageBoxes::Ask(const std::string& text) {
  errors_ << "Kivrel: " << text << " (answered No: no display)\n" << std::flush;
  return false;
}

DialogHooks& ConsoleUserInterface::Dialog(Settings& settings) {
  if (!dialog_) dialog_ = std::make_unique<NoDialog>(settings);
  return *dialog_;
}

void ConsoleUserInterface::ShowSetupDialog(Settings& settings,
                                           const SettingsEnvironment& environment) {
  std::string block = SettingsCommentBlock(settings);
  for (std::size_t cr = block.find('\r'); cr != std::string::npos; cr = block.find('\r', cr)) {
    block.erase(cr, 1);
  }
  output_ << block << "Parameter file: " << environment.path << '\n' << std::flush;
}

void ConsoleUserInterface::ReportFailure(const std::string& text) {
  errors_ << "Kivrel: " << text << '\n' << std::flush;
}

void ConsoleUserInterface::ReportNotices(const std::string&, const std::vector<std::string>& notices) {
  for (const std::string& notice : notices) errors_ << "Kivrel: warning: " << notice << '\n';
  errors_ << std::flush;
}

}  // namespace kivrel
