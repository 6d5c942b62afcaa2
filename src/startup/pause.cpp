#include "startup/pause.h"

#include <cmath>

namespace kivrel {

void Pause(Clock& clock, ProgressView& view) {
  const float start = clock.SecondsSinceMidnight();
  for (;;) {
    view.ProcessEvents();
    const float now = clock.SecondsSinceMidnight();
    if (std::fabs(static_cast<double>(now - start)) > 0.1) return;
  }
}

}  // namespace kivrel
