#pragma once

namespace kivrel {

class Clock {
 public:
  virtual ~Clock() = default;
  // The time of day in seconds since midnight, with its fraction.
  virtual float SecondsSinceMidnight() = 0;
};

// The machine's local clock.
class SystemClock : public Clock {
 public:
  float SecondsSinceMidnight() override;
};

}  // namespace kivrel
