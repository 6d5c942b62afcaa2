#include "startup/output_name.h"

#include <gtest/gtest.h>

#include "startup/main_program.h"

namespace kivrel {
namespace {

struct NameCase {
  const char* input;
  const char* output;
};

class DeriveOutputNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DeriveOutputNameTest, FollowsTheNamingRule) {
  EXPECT_EQ(DeriveOutputName(GetParam().input), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DeriveOutputNameTest,
    ::testing::Values(NameCase{"C:\\jobs\\part.nc", "C:\\jobs\\part.pr1"},
                      NameCase{"C:\\jobs\\PART.NC", "C:\\jobs\\PART.pr1"},
                      NameCase{"C:\\jobs\\part.tap", "C:\\jobs\\part.pr1"},
                      NameCase{"C:\\jobs\\part.pr1", "C:\\jobs\\part.pr2"},
                      NameCase{"part.nc3", "part.pr4"},
                      NameCase{"C:\\jobs\\part.pr9", "C:\\jobs\\part.pr10"},
                      NameCase{"C:\\jobs\\part.pr10", "C:\\jobs\\part.pr1"},
                      NameCase{"C:\\jobs\\part.pr0", "C:\\jobs\\part.pr1"},
                      NameCase{"C:\\cnc.old\\part", "C:\\cnc.pr1"},
                      NameCase{"C:\\jobs\\part", "pr1"}, NameCase{"/jobs/my part.nc", "/jobs/my part.pr1"},
                      NameCase{"\"/jobs/part.nc\"", "\"/jobs/part.pr1"}, NameCase{"part.8", "part.pr9"}));

TEST(IsSetupMode, EmptyOrSetupInCapitals) {
  EXPECT_TRUE(IsSetupMode(""));
  EXPECT_TRUE(IsSetupMode("SETUP"));
  EXPECT_TRUE(IsSetupMode("C:\\SETUP\\part.nc"));
  EXPECT_TRUE(IsSetupMode("xSETUPx"));
  EXPECT_FALSE(IsSetupMode("setup"));
  EXPECT_FALSE(IsSetupMode("Setup"));
  EXPECT_FALSE(IsSetupMode(" "));
  EXPECT_FALSE(IsSetupMode("SET UP"));
}

}  // namespace
}  // namespace kivrel
