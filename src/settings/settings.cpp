#include "settings/settings.h"

namespace kivrel {

void AssignDefaults(Settings& settings) {
  settings.XScale = settings.YScale = settings.ZScale = settings.AScale = 1;
  settings.FeedScale = 1;
  settings.FeedAdd = 0;
  settings.SpindleRPM = 0;
  settings.XYexchange = false;
}

}  // namespace kivrel
