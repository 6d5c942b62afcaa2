#include "startup/output_name.h"

#include <gtest/gtest.h>

#include "platform/disk_file_system.h"
#include "startup/main_program.h"
#include "support/temp_folder.h"

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
                      NameCase{"C:\\jobs\\part.pr10", "C:\\jobs\\part.pr11"},
                      NameCase{"/jobs/part.pr99", "/jobs/part.pr100"},
                      NameCase{"/jobs/PART.PR10", "/jobs/PART.pr11"},
                      NameCase{"/jobs/part.pr007", "/jobs/part.pr8"},
                      NameCase{"/jobs/part.pr99999999999999999999", "/jobs/part.pr100000000000000000000"},
                      NameCase{"C:\\jobs\\part.pr0", "C:\\jobs\\part.pr1"},
                      NameCase{"/jobs/part.pr", "/jobs/part.pr1"},
                      NameCase{"C:\\cnc.old\\part", "C:\\cnc.old\\part.pr1"},
                      NameCase{"/jobs/cnc.old/part", "/jobs/cnc.old/part.pr1"},
                      NameCase{"/jobs/part", "/jobs/part.pr1"}, NameCase{"part7", "part7.pr8"},
                      NameCase{"/jobs/my part.nc", "/jobs/my part.pr1"},
                      NameCase{"\"/jobs/part.nc\"", "\"/jobs/part.pr1"}, NameCase{"part.8", "part.pr9"}));

TEST(IsSetupMode, EmptySetupOrSetupNamingNoFile) {
  testing::TempFolder folder;
  DiskFileSystem files;
  const std::string real = folder / "BRACKET_SETUP_2.nc";
  testing::WriteFile(real, "G1 X1\r\n");
  std::filesystem::create_directory(folder.path() / "SETUP");
  EXPECT_TRUE(IsSetupMode("", files));
  EXPECT_TRUE(IsSetupMode("SETUP", files));
  EXPECT_TRUE(IsSetupMode("C:\\SETUP\\part.nc", files));
  EXPECT_TRUE(IsSetupMode(folder / "SETUP", files)) << "a folder is no file";
  EXPECT_FALSE(IsSetupMode(real, files));
  EXPECT_FALSE(IsSetupMode("setup", files));
  EXPECT_FALSE(IsSetupMode(" ", files));
  EXPECT_FALSE(IsSetupMode("SET UP", files));
}

}  // namespace
}  // namespace kivrel
