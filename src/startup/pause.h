#pragma once

#include "platform/clock.h"
#include "transform/progress_view.h"

namespace kivrel {

// Lets the just-shown window paint itself: processes window events until
// more than 0.1 s of clock time have passed (at least once). The difference
// is taken as an absolute value, so a clock passing midnight ends the wait.
void Pause(Clock& clock, ProgressView& view);

}  // namespace kivrel
