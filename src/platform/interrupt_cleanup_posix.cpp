#include "platform/interrupt_cleanup.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace kivrel {
namespace {

// The program's one piece of process-wide state. A signal handler reaches
// nothing that is passed around, so the temporary files it must remove are
// entered here. The handler touches only lock-free atomics and calls only
// unlink, sigaction and raise, which are async-signal-safe.
constexpr int kFree = 0;
constexpr int kFilling = 1;
constexpr int kEntered = 2;
constexpr std::size_t kLongestPath = 4096;

struct Entry {
  std::atomic<int> state{kFree};
  char path[kLongestPath];
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

Entry entries[8];
std::atomic<bool> set_up{false};
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemoveTemporariesAndEnd(int signal) {
  const int saved = errno;
  for (Entry& entry : entries) {
    if (entry.state.load() == kEntered) unlink(entry.path);
  }
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  sigemptyset(&usual.sa_mask);
  sigaction(signal, &usual, nullptr);
  // Blocked while this handler runs: it ends the process as soon as the
  // handler returns, with the status the signal gives.
  raise(signal);
  errno = saved;
}

void SetUpOnce() {
  if (set_up.exchange(true)) return;
  struct sigaction action {};
  action.sa_handler = RemoveTemporariesAndEnd;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
  for (int signal : kSignals) {
    struct sigaction current {};
    // A signal ignored by whoever started the program (nohup) stays
    // ignored, and one that has a handler of its own keeps it.
    if (sigaction(signal, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL) sigaction(signal, &action, nullptr);
  }
}

}  // namespace

int EnterTemporaryForSignals(const std::string& path) {
  if (path.size() >= kLongestPath) return -1;
  SetUpOnce();
  for (int i = 0; i < static_cast<int>(std::size(entries)); ++i) {
    int expected = kFree;
    if (!entries[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(entries[i].path, path.c_str(), path.size() + 1);
    entries[i].state.store(kEntered);
    return i;
  }
  return -1;
}

void LeaveTemporaryForSignals(int entry) {
  if (entry >= 0 && entry < static_cast<int>(std::size(entries))) entries[entry].state.store(kFree);
}

SignalsHeldBack::SignalsHeldBack() {
  // Set up before the file exists. This thread takes no signal until the
  // file is entered; another thread that takes one in between leaves the
  // file to the next run that writes its target.
  SetUpOnce();
  sigset_t held;
  sigemptyset(&held);
  for (int signal : kSignals) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &before_);
}

SignalsHeldBack::~SignalsHeldBack() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

}  // namespace kivrel
