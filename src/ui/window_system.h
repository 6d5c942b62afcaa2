#pragma once

namespace kivrel {

// True when windows can really be shown. On Linux: a display that answers,
// or a Qt platform that needs none (such as "offscreen"); a stale DISPLAY
// gives false, so the program falls back to the console instead of
// aborting. On Windows: an interactive desktop that takes a window.
bool WindowSystemAvailable();

}  // namespace kivrel
