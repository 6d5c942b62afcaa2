#pragma once

namespace kivrel {

// A control's place in the settings dialog, in twips (1/1440 inch; 15 twips
// are one pixel at 96 dots per inch).
struct TwipsRect {
  float left;
  float top;
  float width;
  float height;
  bool operator==(const TwipsRect&) const = default;
};

// The four controls that the X/Y display-order swap moves.
enum class MovingControl { txtyscale, Label1, txtxscale, Label2 };

// Their designed places: the Y row above the X row.
inline constexpr TwipsRect kDesignedPlace[] = {
    {105, 375, 1635, 330},   // txtyscale
    {1830, 465, 1320, 255},  // Label1 "Y Scale Multiplier"
    {105, 855, 1620, 300},   // txtxscale
    {1845, 900, 1245, 240},  // Label2 "X Scale Multiplier"
};

}  // namespace kivrel
