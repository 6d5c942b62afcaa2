#pragma once

#include <QRect>
#include <cmath>

#include "settings/dialog_layout.h"

namespace kivrel {

// 15 twips are one pixel at 96 dots per inch.
inline int Pixels(float twips) { return static_cast<int>(std::lround(twips / 15.0f)); }

inline QRect PixelRect(const TwipsRect& rect) {
  return QRect(Pixels(rect.left), Pixels(rect.top), Pixels(rect.width), Pixels(rect.height));
}

}  // namespace kivrel
