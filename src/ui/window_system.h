#pragma once

namespace kivrel {

// True when windows can really be shown: a display that answers, or a Qt
// platform that needs none (such as "offscreen"). A stale DISPLAY gives
// false, so the program falls back to the console instead of aborting.
bool WindowSystemAvailable();

}  // namespace kivrel
