#pragma once

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "startup/platform.h"

namespace kivrel::testing {

class RecordingMessageBoxes : public MessageBoxes {
 public:
  void Notify(const std::string& text) override { notices.push_back(text); }
  bool Ask(const std::string& text) override {
    questions.push_back(text);
    return answer;
  }
  std::vector<std::string> notices;
  std::vector<std::string> questions;
  bool answer = true;
};

// A clock that gives the listed readings, then moves on by `step` seconds
// at every further reading.
class ScriptedClock : public Clock {
 public:
  ScriptedClock(std::vector<float> readings, float step) : readings_(std::move(readings)), step_(step) {}
  float SecondsSinceMidnight() override {
    float reading = next_ < readings_.size() ? readings_[next_] : readings_.back() + step_ * static_cast<float>(next_ - readings_.size() + 1);
    ++next_;
    return reading;
  }
  std::size_t readings() const { return next_; }

 private:
  std::vector<float> readings_;
  float step_;
  std::size_t next_ = 0;
};

// Records what the conversion asks of the progress window.
class RecordingProgressView : public ProgressView {
 public:
  void Show() override { Record("show"); }
  void Repaint() override { ++repaints; }
  void ProcessEvents() override { ++event_passes; }
  void SetFill(double value) override {
    fill = value;
    ++fills;
  }
  void Close() override { Record("close"); }
  bool Draws() const override { return draws; }
  void Record(const char* event) {
    events.push_back(event);
    if (on_event) on_event();
  }

  std::vector<std::string> events;
  int repaints = 0;
  int event_passes = 0;
  int fills = 0;
  double fill = -1;
  bool draws = false;
  std::function<void()> on_event;  // called after each show or close
};

class RecordingDialogHooks : public DialogHooks {
 public:
  void ClearUnsavedMark() override { ++clears; }
  void SwapXYDisplayOrder() override {
    ++swaps;
    if (settings != nullptr) settings->XYdisplayswap = !settings->XYdisplayswap;
  }
  Settings* settings = nullptr;
  int clears = 0;
  int swaps = 0;
};

class FakeUserInterface : public UserInterface {
 public:
  DialogHooks& Dialog(Settings& settings) override {
    dialog.settings = &settings;
    return dialog;
  }
  void ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) override {
    ++dialogs_shown;
    if (on_dialog) on_dialog(settings, environment);
  }
  ProgressView& Progress() override { return progress; }
  void ReportFailure(const std::string& text) override { failures.push_back(text); }
  void ReportNotices(const std::string& program, const std::vector<std::string>& found) override {
    notices_program = program;
    notices.insert(notices.end(), found.begin(), found.end());
    events.push_back(progress.events.empty() ? "notices" : "notices after " + progress.events.back());
    if (!watched_file.empty()) watched_file_existed = std::filesystem::exists(watched_file);
  }

  RecordingDialogHooks dialog;
  RecordingProgressView progress;
  std::function<void(Settings&, const SettingsEnvironment&)> on_dialog;
  int dialogs_shown = 0;
  std::vector<std::string> failures;
  std::string notices_program;
  std::vector<std::string> notices;
  std::vector<std::string> events;
  std::ostringstream errors;  // the platform's standard error
  std::string watched_file;  // whether it existed when the notices came
  bool watched_file_existed = false;
};

}  // namespace kivrel::testing
