// How many threads a conversion takes: the CPU limit of a cgroup, and the
// KIVREL_THREADS setting against the processors the process may use.
#include <gtest/gtest.h>

#ifdef __linux__
#include <sched.h>
#endif


#include <optional>
#include <string_view>

#include "platform/processor_count.h"

namespace kivrel {
namespace {

TEST(ProcessorCount, CgroupLimitRoundsUpToWholeProcessors) {
  const struct {
    std::string_view cpu_max;
    std::optional<unsigned> processors;
  } cases[] = {
      {"100000 100000\n", 1U},
      {"150000 100000\n", 2U},  // one and a half processors: the second one too
      {"50000 100000", 1U},     // half a processor is still one
      {"400000 100000", 4U},
      {"max 100000\n", std::nullopt},  // no limit
      {"", std::nullopt},              // no such file
      {"0 100000", std::nullopt},
      {"-1 100000", std::nullopt},  // version 1's "no limit"
      {"100000 0", std::nullopt},
      {"100000", std::nullopt},
      {"1e5 100000", std::nullopt},
      {"18446744073709551615 100000", std::nullopt},  // beyond any machine: no limit
  };
  for (const auto& c : cases) EXPECT_EQ(ProcessorsOfQuota(c.cpu_max), c.processors) << c.cpu_max;
}

TEST(ProcessorCount, SettingChoosesTheThreadsElseTheUsableProcessors) {
  const struct {
    const char* setting;
    unsigned usable;
    unsigned threads;
  } cases[] = {
      {nullptr, 6, 6}, {nullptr, 0, 1}, {"1", 6, 1},   {"8", 2, 8},   {"256", 2, 256},
      {"257", 2, 2},   {"0", 2, 2},     {"", 3, 3},    {"two", 3, 3}, {"2x", 3, 3},
      {"-2", 3, 3},    {" 2", 3, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConversionThreads(c.setting, c.usable), c.threads) << (c.setting ? c.setting : "(not set)");
  }
}

#ifdef __linux__
// What taskset does to a conversion: pinned to one processor, one thread.
TEST(ProcessorCount, AffinityLimitsTheUsableProcessors) {
  cpu_set_t before;
  ASSERT_EQ(sched_getaffinity(0, sizeof(before), &before), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &before)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
  const unsigned pinned = UsableProcessors();
  ASSERT_EQ(sched_setaffinity(0, sizeof(before), &before), 0);
  EXPECT_EQ(pinned, 1U);
  const unsigned usable = UsableProcessors();
  EXPECT_GE(usable, 1U);
  EXPECT_LE(usable, static_cast<unsigned>(CPU_COUNT(&before)));
}
#endif

}  // namespace
}  // namespace kivrel
