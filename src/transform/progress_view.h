#pragma once

namespace kivrel {

// The progress window as the conversion sees it. The console's view draws
// nothing; tests count the calls.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // Shows the window without waiting (it stays until Close or the end).
  virtual void Show() = 0;
  virtual void Repaint() = 0;
  // One pass over the window events that are waiting.
  virtual void ProcessEvents() = 0;
  // The bar's fill as a share of its track (may pass 1).
  virtual void SetFill(double fraction) = 0;
  virtual void Close() = 0;
  // False when nothing is drawn, so there is nothing to wait for.
  virtual bool Draws() const = 0;
};

}  // namespace kivrel
