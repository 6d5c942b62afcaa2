#include "startup/main_program.h"

#include <gtest/gtest.h>

#include "platform/disk_file_system.h"
#include "platform/error_number.h"
#include "startup/filter_program.h"
#include "startup/filter_user_interface.h"
#include "startup/pause.h"
#include "support/fake_platform.h"
#include "support/faulty_file_system.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace kivrel {
namespace {

using testing::FileOp;
using testing::kDefaultPrm;
using testing::ResultText;
using testing::ListFolder;
using testing::ReadFile;
using testing::WriteFile;


class MainTest : public ::testing::Test {
 protected:
  MainTest() {
    std::filesystem::create_directory(program.path() / "jobs");
    WriteFile(program / "kivrel.prm", kDefaultPrm);
  }

  ExitStatus Start(const std::string& command_text) {
    Platform platform{faulty, boxes, clock, ui, ui.errors, program.path().string(), command_text};
    return RunProgram(platform);
  }

  std::string Jobs(const std::string& name) { return (program.path() / "jobs" / name).string(); }

  testing::TempFolder program;
  DiskFileSystem disk;
  testing::FaultyFileSystem faulty{disk};
  testing::RecordingMessageBoxes boxes;
  testing::ScriptedClock clock{{100.0f}, 0.04f};
  testing::FakeUserInterface ui;
};

TEST_F(MainTest, SetupModeShowsTheDialogThenWritesTheSetupResult) {
  WriteFile(program / "prepre.res", "stale");
  ui.on_dialog = [&](Settings&, const SettingsEnvironment&) {
    EXPECT_FALSE(std::filesystem::exists(program / "prepre.res")) << "written only after the dialog";
  };
  EXPECT_EQ(Start(""), ExitStatus::Done);
  EXPECT_EQ(Start("SETUP"), ExitStatus::Done);
  EXPECT_EQ(ui.dialogs_shown, 2);
  EXPECT_EQ(ReadFile(program / "prepre.res"), testing::kSetupResult);
  EXPECT_TRUE(ui.progress.events.empty());
}

TEST_F(MainTest, PauseLetsTheWindowPaintOnlyWhenItDraws) {
  WriteFile(Jobs("part.nc"), "G1 X1\r\n");
  ui.progress.draws = true;
  EXPECT_EQ(Start(Jobs("part.nc")), ExitStatus::Done);
  // Readings 100.00, 100.04, 100.08, 100.12: three passes of the events.
  EXPECT_EQ(ui.progress.event_passes, 3);
  EXPECT_EQ(ui.progress.events, (std::vector<std::string>{"show", "close"}));

  testing::FakeUserInterface headless;
  testing::ScriptedClock unused{{0.0f}, 1.0f};
  Platform platform{faulty, boxes, unused, headless, headless.errors, program.path().string(), Jobs("part.nc")};
  EXPECT_EQ(RunProgram(platform), ExitStatus::Done);
  EXPECT_EQ(unused.readings(), 0u);
}

TEST(Pause, EndsAtMidnightAndProcessesEventsAtLeastOnce) {
  testing::RecordingProgressView view;
  testing::ScriptedClock midnight{{86399.99f, 0.01f}, 0.0f};
  Pause(midnight, view);
  EXPECT_EQ(view.event_passes, 1);
  testing::ScriptedClock slow{{10.0f, 10.05f, 10.09f, 10.2f}, 0.0f};
  Pause(slow, view);
  EXPECT_EQ(view.event_passes, 4);
}

TEST_F(MainTest, MissingInputReportsStatusOneAndCreatesNothing) {
  WriteFile(program / "prepre.res", "stale");
  EXPECT_EQ(Start(Jobs("missing.nc")), ExitStatus::InputMissing);
  EXPECT_EQ(ReadFile(program / "prepre.res"), ResultText(Jobs("missing.pr1"), 1));
  EXPECT_EQ(ListFolder(program.path() / "jobs"), "");
  // A folder is no input file.
  EXPECT_EQ(Start((program.path() / "jobs").string()), ExitStatus::InputMissing);
}

TEST_F(MainTest, LineBreakInTheInputPathIsRefused) {
  WriteFile(program / "prepre.res", "stale");
  WriteFile(Jobs("a"), "G1 X1\r\n");
  EXPECT_EQ(Start(Jobs("a\n1")), ExitStatus::Failure);
  ASSERT_EQ(ui.failures.size(), 1u);
  EXPECT_NE(ui.failures[0].find("line break"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(program / "prepre.res"));
}

TEST_F(MainTest, ZeroFeedLeavesTheEarlierOutputAndNoPartialProgram) {
  WriteFile(Jobs("part.nc"), "G1 X1 F10\r\nG1 X2 F0\r\nG1 X3\r\n");
  WriteFile(Jobs("part.pr1"), "earlier output");
  EXPECT_EQ(Start(Jobs("part.nc")), ExitStatus::ZeroFeed);
  EXPECT_EQ(boxes.notices, std::vector<std::string>{
                               "Feed rate of 0 has been introduced. Check your feed rate modifier. "
                               "This will cause a problem. Exiting now."});
  EXPECT_EQ(ReadFile(program / "prepre.res"), testing::kZeroFeedResult);
  EXPECT_EQ(ReadFile(Jobs("part.pr1")), "earlier output");
  EXPECT_EQ(ListFolder(program.path() / "jobs"), "part.nc part.pr1 ");
  EXPECT_EQ(ui.progress.events, std::vector<std::string>{"show"}) << "the window stays up";
}

class Discarded : public WritableFile {
 public:
  void Append(std::string_view) override {}
  void Close() override {}
};

// Whatever was thrown, both programs end with status 3 and one report of
// the same form, numbered as the platform numbers the condition, and leave
// no temporary file.
TEST_F(MainTest, BothProgramsReportAnExceptionOfTheLibraryAlike) {
  WriteFile(Jobs("part.nc"), "G1 X1\r\n");
  faulty.FailOn(FileOp::OpenForReading, "part.nc");
  faulty.FailAsTheLibraryDoes();
  EXPECT_EQ(Start(Jobs("part.nc")), ExitStatus::Failure);
  ASSERT_EQ(ui.failures.size(), 1u);
  const std::string report =
      "error " + std::to_string(PlatformErrorNumber(std::errc::io_error)) + ": injected fault on " + Jobs("part.nc");
  EXPECT_EQ(ui.failures[0].rfind(report, 0), 0u) << ui.failures[0];
  EXPECT_EQ(ListFolder(program.path() / "jobs"), "part.nc ");

  testing::FaultyFileSystem failing{disk};
  failing.FailOn(FileOp::OpenForReading, "part.nc");
  failing.FailAsTheLibraryDoes();
  std::ostringstream errors;
  FilterUserInterface filter_ui(errors, nullptr);
  Platform filter{failing, boxes, clock, filter_ui, errors, program.path().string(), Jobs("part.nc")};
  EXPECT_EQ(RunFilter(filter, std::make_unique<Discarded>()), ExitStatus::Failure);
  EXPECT_EQ(errors.str(), "Kivrel: " + ui.failures[0] + "\n");
}

TEST_F(MainTest, ParameterFileThatCannotBeReadIsRecreatedAndTheRunGoesOn) {
  WriteFile(Jobs("part.nc"), "G1 X1\r\n");
  faulty.FailOn(FileOp::Read, "kivrel.prm");
  EXPECT_EQ(Start(Jobs("part.nc")), ExitStatus::Done);
  EXPECT_EQ(boxes.notices, std::vector<std::string>{"The parameter file could not be read properly. "
                                                    "Recreating...\nThe old file was kept as " +
                                                    (program / "kivrel.prm.bad")});
  EXPECT_EQ(ReadFile(program / "kivrel.prm"), kDefaultPrm);
}

}  // namespace
}  // namespace kivrel
