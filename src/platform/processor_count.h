#pragma once

#include <optional>
#include <string_view>

namespace kivrel {

// The processors a cgroup's CPU bandwidth limit is worth, rounded up, from
// the text of its "cpu.max" file ("QUOTA PERIOD" in microseconds, or "max
// PERIOD" for no limit). Nothing where it sets no limit or cannot be read.
std::optional<unsigned> ProcessorsOfQuota(std::string_view cpu_max);

// How many threads convert at once: the whole number 1 to 256 that
// KIVREL_THREADS names (`setting`, null where it is not set), otherwise one
// for each processor this process may use (`usable`, at least one).
unsigned ConversionThreads(const char* setting, unsigned usable);

// The processors this process may run on: its affinity mask, less what the
// CPU limit of its cgroup allows (Linux); the process affinity mask
// (Windows). At least one.
unsigned UsableProcessors();

}  // namespace kivrel
