// The entry of the windows module, which the program loads only when a
// display is there.
#include "ui/qt_user_interface.h"

extern "C" __attribute__((visibility("default"))) int KivrelRunWithWindows(int argc, char** argv) {
  return kivrel::RunWithWindows(argc, argv);
}
