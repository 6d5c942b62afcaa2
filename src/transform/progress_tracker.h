#pragma once

#include <cstddef>
#include <cstdint>

#include "transform/progress_view.h"

namespace kivrel {

// The progress bookkeeping of one conversion: the bar fills by the bytes
// read (each line counted with two terminator bytes) against the input's
// size, and the window is repainted once every 1000 lines.
class ProgressTracker {
 public:
  static constexpr int kLinesPerRepaint = 1000;

  ProgressTracker(std::uint64_t total_size, ProgressView& view)
      : total_(total_size < 1 ? 1.0 : static_cast<double>(total_size)), view_(view) {}

  // Called right after a line has been read, before it is processed.
  void LineRead(std::size_t length) {
    consumed_ += static_cast<double>(length) + 2;
    if (++lines_ == kLinesPerRepaint) {
      view_.Repaint();
      view_.ProcessEvents();
      lines_ = 0;
    }
  }

  // Called after the line has been written.
  void LineWritten() { view_.SetFill(consumed_ / total_); }

  // A chunk of `lines` lines of `characters` characters in all (without
  // their line ends), read and written: the window is repainted as often as
  // line by line, and the bar set once.
  void LinesDone(std::uint64_t lines, std::uint64_t characters) {
    consumed_ += static_cast<double>(characters) + 2.0 * static_cast<double>(lines);
    for (std::uint64_t repaints = (static_cast<std::uint64_t>(lines_) + lines) / kLinesPerRepaint; repaints > 0;
         --repaints) {
      view_.Repaint();
      view_.ProcessEvents();
    }
    lines_ = static_cast<int>((static_cast<std::uint64_t>(lines_) + lines) % kLinesPerRepaint);
    if (lines > 0) LineWritten();
  }

 private:
  double total_;
  double consumed_ = 0;
  int lines_ = 0;
  ProgressView& view_;
};

}  // namespace kivrel
