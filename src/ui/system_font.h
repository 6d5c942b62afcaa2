#pragma once

#include <QFont>

namespace kivrel {

// The windows are laid out for "MS Sans Serif". Where it is missing, a
// narrow sans-serif font stands in, so that captions fit their controls:
// Liberation Sans Narrow (Debian's fonts-liberation, which the scripts
// install) fits every caption; DejaVu Sans Condensed is the last resort.
inline QFont SystemFont(double points) {
  static const bool substituted = [] {
    QFont::insertSubstitutions("MS Sans Serif",
                               {"Microsoft Sans Serif", "Liberation Sans Narrow", "DejaVu Sans Condensed"});
    return true;
  }();
  (void)substituted;
  QFont font("MS Sans Serif");
  font.setPointSizeF(points);
  font.setWeight(QFont::Normal);
  return font;
}

}  // namespace kivrel
