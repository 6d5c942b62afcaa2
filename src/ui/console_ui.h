#pragma once

#include <memory>
#include <ostream>

#include "startup/platform.h"

namespace kivrel {

// Message boxes without a display: one line "Kivrel: <text>" on standard
// error each, answered with OK at once. Nothing is ever read from standard
// input; a question is answered No, which changes nothing.
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  explicit ConsoleMessageBoxes(std::ostream& errors) : errors_(errors) {}
  void Notify(const std::string& text) override;
  bool Ask(const std::string& text) override;

 private:
  std::ostream& errors_;
};

// A progress window that draws nothing.
class ConsoleProgressView : public ProgressView {
 public:
  void Show() override {}
  void Repaint() override {}
  void ProcessEvents() override {}
  void SetFill(double) override {}
  void Close() override {}
  bool Draws() const override { return false; }
};

// The program without windows. Setup mode prints the current settings and
// where the parameter file is, and changes nothing.
class ConsoleUserInterface : public UserInterface {
 public:
  ConsoleUserInterface(std::ostream& output, std::ostream& errors)
      : output_(output), errors_(errors) {}

  DialogHooks& Dialog(Settings& settings) override;
  void ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) override;
  ProgressView& Progress() override { return progress_; }
  void ReportFailure(const std::string& text) override;
  void ReportNotices(const std::string& program, const std::vector<std::string>& notices) override;

 private:
  std::ostream& output_;
  std::ostream& errors_;
  std::unique_ptr<NoDialog> dialog_;
  ConsoleProgressView progress_;
};

}  // namespace kivrel
