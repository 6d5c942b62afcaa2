#pragma once

namespace kivrel {

// Keeps Qt's own debug, info and warning messages (such as "QStandardPaths:
// XDG_RUNTIME_DIR not set" where the program runs under su) off standard
// error, which a host reads as the program's own report; Qt's critical and
// fatal messages still go there. Called before the QApplication is made,
// since Qt warns while it starts.
void InstallQtMessageFilter();

}  // namespace kivrel
