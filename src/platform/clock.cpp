#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace kivrel {

float SystemClock::SecondsSinceMidnight() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t whole = system_clock::to_time_t(now);
  // Only the user-interface thread reads the clock.
  const std::tm local = *std::localtime(&whole);
  double fraction =
      duration<double>(now - system_clock::from_time_t(whole)).count();
  return static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + fraction);
}

}  // namespace kivrel
