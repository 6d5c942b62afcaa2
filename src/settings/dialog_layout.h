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

// The layout of Form1, which every view of the dialog draws.
namespace dialog_layout {

inline constexpr float kWidth = 6120;  // client area
inline constexpr float kHeight = 5115;

// The seven fields in the order of Field, and the label beside each.
struct FieldRow {
  const char* box_name;
  TwipsRect box;
  const char* label_name;
  TwipsRect label;
};
inline constexpr FieldRow kFieldRows[] = {
    {"txtyscale", kDesignedPlace[0], "Label1", kDesignedPlace[1]},
    {"txtxscale", kDesignedPlace[2], "Label2", kDesignedPlace[3]},
    {"txtzscale", {105, 1260, 1635, 285}, "Label6", {1800, 1305, 1380, 240}},
    {"txtascale", {105, 1665, 1635, 300}, "Label3", {1815, 1695, 1320, 270}},
    {"txtfeedscale", {105, 2070, 1635, 285}, "Label4", {1815, 2100, 1515, 240}},
    {"txtfeedadd", {105, 2430, 1635, 285}, "Label7", {1815, 2475, 1290, 270}},
    {"txtspinrpm", {105, 2805, 1635, 285}, "Label8", {1815, 2820, 1050, 270}},
};

inline constexpr const char* kNote = "Negatives and decimals are allowed.";
inline constexpr TwipsRect kNotePlace{90, 75, 2670, 210};          // Label5
inline constexpr TwipsRect kWarningPlace{3495, 45, 2535, 4905};    // warning
inline constexpr TwipsRect kExchangePlace{120, 3240, 1560, 195};   // chkxyexchange
inline constexpr TwipsRect kInchesPlace{1755, 3240, 1665, 375};    // Command3
inline constexpr TwipsRect kMillimetresPlace{1755, 3645, 1665, 375};  // Command4
inline constexpr TwipsRect kClosePlace{1860, 4260, 1545, 705};     // Command2
inline constexpr TwipsRect kSavePlace{60, 4275, 1695, 690};        // Command1

}  // namespace dialog_layout
}  // namespace kivrel
