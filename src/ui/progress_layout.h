#pragma once

#include "settings/dialog_layout.h"

// The layout of Form2, which every view of the progress window draws, in
// twips.
namespace kivrel::progress_layout {

inline constexpr float kWidth = 4680;  // client area
inline constexpr float kHeight = 3195;
inline constexpr const char* kCaption = "Kivrel PrePreprocessor";

inline constexpr TwipsRect kTitlePlace{0, 150, 4665, 465};         // Label2 "Kivrel", 18 pt, centred
inline constexpr TwipsRect kVersionPlace{1710, 630, 1860, 375};    // Label3 "Version:4", 13.5 pt
inline constexpr TwipsRect kTrack{180, 1470, 4275, 375};           // Shape1, black
inline constexpr float kStartWidth = 45;                           // Shape2 before the first line
inline constexpr TwipsRect kProcessingPlace{1680, 1500, 2505, 645};  // Label1 "Processing...", 12 pt, white

}  // namespace kivrel::progress_layout
