#pragma once

namespace kivrel {

// The values that steer a conversion, and the dialog's row order. Zero and
// false until LoadSettings has filled them.
struct Settings {
  float XScale = 0;
  float YScale = 0;
  float ZScale = 0;
  float AScale = 0;
  float FeedScale = 0;
  float FeedAdd = 0;
  float SpindleRPM = 0;
  bool XYexchange = false;
  bool XYdisplayswap = false;  // dialog layout only

  bool operator==(const Settings&) const = default;
};

// The default set: every scale 1, nothing added, no exchange. The display
// order is not part of it and keeps its value.
void AssignDefaults(Settings& settings);

}  // namespace kivrel
