#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "startup/platform.h"

namespace kivrel {

// The progress as "FILTER_PROGRESS=N" lines, N from 0 to 100, each percent
// once at most.
class FilterProgress : public ProgressView {
 public:
  explicit FilterProgress(std::ostream& errors) : errors_(errors) {}
  void Show() override {}
  void Repaint() override {}
  void ProcessEvents() override {}
  void SetFill(double fraction) override;
  void Close() override { Report(100); }
  bool Draws() const override { return false; }

 private:
  void Report(int percent);

  std::ostream& errors_;
  int reported_ = -1;
};

// Shows the notices of a finished conversion in a message box and returns
// when it is answered; false where there is no display to show it on.
using NoticeBox = std::function<bool(const std::string& text)>;

// kivrel-filter's side of the operator: everything on standard error (the
// host reads it), the notices also in a message box where a display is
// there. It has no settings dialog.
class FilterUserInterface : public UserInterface {
 public:
  FilterUserInterface(std::ostream& errors, NoticeBox notice_box)
      : errors_(errors), notice_box_(std::move(notice_box)), progress_(errors) {}

  DialogHooks& Dialog(Settings& settings) override;
  void ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) override;
  ProgressView& Progress() override { return progress_; }
  void ReportFailure(const std::string& text) override;
  // A "Kivrel: warning:" line each, then the message box.
  void ReportNotices(const std::string& program, const std::vector<std::string>& notices) override;

 private:
  std::ostream& errors_;
  NoticeBox notice_box_;
  FilterProgress progress_;
  std::unique_ptr<NoDialog> dialog_;
};

}  // namespace kivrel
