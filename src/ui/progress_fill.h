#pragma once

#include <algorithm>

#include "ui/progress_layout.h"

namespace kivrel {

// The bar of the progress window as every view draws it: its width in
// twips as last set, and the width last painted, so that a repaint that
// would change no pixel is skipped.
class ProgressFill {
 public:
  static constexpr float kTrackWidth = progress_layout::kTrack.width;

  void Set(double fraction) { width_ = static_cast<float>(static_cast<double>(kTrackWidth) * fraction); }
  float width() const { return width_; }
  // The fill may run past the track's end; it is drawn up to the end only.
  float DrawnWidth() const { return std::clamp(width_, 0.0f, kTrackWidth); }
  // `pixels` (the drawn width on this screen) is not what is on the screen,
  // or nothing has been painted yet.
  bool Changed(int pixels) const { return painted_pixels_ != pixels; }
  void Painted(int pixels) {
    painted_pixels_ = pixels;
    ++paint_count_;
  }
  int paint_count() const { return paint_count_; }

 private:
  float width_ = progress_layout::kStartWidth;
  int painted_pixels_ = -1;
  int paint_count_ = 0;
};

}  // namespace kivrel
