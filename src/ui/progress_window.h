#pragma once

#include <QWidget>

#include "transform/progress_view.h"
#include "ui/progress_fill.h"
#include "ui/progress_layout.h"

class QLabel;

namespace kivrel {

// Form2: the small window on screen while a conversion runs, with the title,
// the version line, "Processing..." and a green bar over a black track.
class ProgressWindow : public QWidget, public ProgressView {
 public:
  static constexpr float kTrackWidth = ProgressFill::kTrackWidth;

  ProgressWindow();

  void Show() override;
  // Repaints only when the bar has moved by a pixel or the window is new:
  // a repaint that would change nothing costs nothing.
  void Repaint() override;
  void ProcessEvents() override;
  void SetFill(double fraction) override;
  void Close() override;
  bool Draws() const override { return true; }

  // The bar's width in twips, as last set.
  float FillWidth() const { return fill_.width(); }
  int paint_count() const { return fill_.paint_count(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int FillPixels() const;

  ProgressFill fill_;
};

}  // namespace kivrel
