#pragma once

// POSIX only: the temporary files that an interrupt removes. SIGINT, SIGTERM
// and SIGHUP remove every file entered here and then end the process as the
// signal ends it, so that a run stopped by the operator or its host leaves no
// temporary file beside the program it was converting.

#include <signal.h>

#include <string>

namespace kivrel {

// Enters `path`, and sets the signals up on first use. Returns the entry, or
// -1 where the path cannot be held (too long, or too many files at once):
// such a file is left to the next run that writes its target.
int EnterTemporaryForSignals(const std::string& path);
void LeaveTemporaryForSignals(int entry);

// Holds SIGINT, SIGTERM and SIGHUP back in this thread while it lives, so
// that a file created meanwhile is entered before a signal can miss it.
class SignalsHeldBack {
 public:
  SignalsHeldBack();
  ~SignalsHeldBack();
  SignalsHeldBack(const SignalsHeldBack&) = delete;
  SignalsHeldBack& operator=(const SignalsHeldBack&) = delete;

 private:
  sigset_t before_;
};

}  // namespace kivrel
