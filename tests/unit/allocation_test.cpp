// The line transform is the program's hot path: once its buffers have grown,
// it must not allocate per line or per word. This binary replaces the global
// allocation functions to count the calls.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "transform/process_line.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kivrel {
namespace {

TEST(LineTransform, SteadyStateDoesNotAllocate) {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = 25.4f;
  settings.YScale = -25.4f;
  settings.ZScale = 0;
  settings.FeedScale = 1.5f;
  settings.FeedAdd = 10;
  settings.SpindleRPM = 1000;
  settings.XYexchange = true;
  const std::vector<std::string> program = {
      "g01 x1.5 y-2 z-0.25 f100 (cut x)",
      "G02 X12.3456 Y7.5 I-1.25 J0.5 F250.5",
      "(comment line)",
      "/G00 X0 Y0",
      "M03 S12000",
      "",
      "n10 G01 X1 ;remark with a feed",
      "  G03 X1E2 Y.5 (AND A LONG TRAILING COMMENT THAT GOES ON FOR A WHILE)   ",
  };
  LineProcessor processor(settings);
  std::string line;
  line.reserve(256);
  for (int warm = 0; warm < 3; ++warm) {
    for (const std::string& input : program) {
      line.assign(input);
      ASSERT_EQ(processor.ProcessLine(line), RewriteStatus::Done) << input;
    }
  }
  const long before = allocations.load();
  ASSERT_GT(before, 0) << "the counting allocator is not in use";
  for (int round = 0; round < 1000; ++round) {
    for (const std::string& input : program) {
      line.assign(input);
      ASSERT_EQ(processor.ProcessLine(line), RewriteStatus::Done) << input;
    }
  }
  EXPECT_EQ(allocations.load() - before, 0);
}

}  // namespace
}  // namespace kivrel
