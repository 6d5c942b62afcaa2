#include "settings/parameter_file.h"

#include <gtest/gtest.h>

#include <cfloat>

#include "platform/disk_file_system.h"
#include "common/failure.h"
#include "support/fake_platform.h"
#include "support/faulty_file_system.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace kivrel {
namespace {

using testing::FileOp;
using testing::kDefaultPrm;
using testing::PrmText;
using testing::ReadFile;
using testing::WriteFile;

constexpr const char* kNotFound = "Settings file not found. Creating one now.";
constexpr const char* kUnreadable = "The parameter file could not be read properly. Recreating...";

Settings Defaults() {
  Settings settings;
  AssignDefaults(settings);
  return settings;
}

class ParameterFileTest : public ::testing::Test {
 protected:
  SettingsEnvironment Environment() { return {faulty, boxes, dialog, path}; }

  Settings Load(UnreadableFile unreadable = UnreadableFile::Replace) {
    Settings settings;
    dialog.settings = &settings;
    found = LoadSettings(settings, Environment(), unreadable);
    dialog.settings = nullptr;
    return settings;
  }

  void WriteLines(const std::vector<std::string>& lines) { WriteFile(path, PrmText(lines)); }

  testing::TempFolder folder;
  std::string path = folder / "kivrel.prm";
  const std::string kUnreadableKept = std::string(kUnreadable) + "\nThe old file was kept as " + path + ".bad";
  DiskFileSystem disk;
  testing::FaultyFileSystem faulty{disk};
  testing::RecordingMessageBoxes boxes;
  testing::RecordingDialogHooks dialog;
  ParameterFileFound found{};
};

TEST_F(ParameterFileTest, MissingFileIsCreatedWithTheDefaults) {
  Settings settings = Load();
  EXPECT_EQ(boxes.notices, std::vector<std::string>{kNotFound});
  EXPECT_EQ(found, ParameterFileFound::Missing);
  EXPECT_EQ(ReadFile(path), kDefaultPrm);
  EXPECT_EQ(settings, Defaults());
  EXPECT_EQ(dialog.clears, 1);
  EXPECT_EQ(testing::ListFolder(folder.path()), "kivrel.prm ");
}

TEST_F(ParameterFileTest, ReadsEveryLineInItsPlace) {
  WriteLines({"2.5", "-3", "0.5", "1e1", " 1.5 ", "TRUE", "-10.25", "1200.", "EOF"});
  Settings settings = Load();
  EXPECT_TRUE(boxes.notices.empty());
  EXPECT_EQ(found, ParameterFileFound::Readable);
  EXPECT_EQ(settings.YScale, 2.5f);
  EXPECT_EQ(settings.XScale, -3.0f);
  EXPECT_EQ(settings.ZScale, 0.5f);
  EXPECT_EQ(settings.AScale, 10.0f);
  EXPECT_EQ(settings.FeedScale, 1.5f);
  EXPECT_TRUE(settings.XYexchange);
  EXPECT_EQ(settings.FeedAdd, -10.25f);
  EXPECT_EQ(settings.SpindleRPM, 1200.0f);
  EXPECT_FALSE(settings.XYdisplayswap);
  EXPECT_EQ(dialog.swaps, 0);
  EXPECT_EQ(dialog.clears, 1);
}

TEST_F(ParameterFileTest, ExchangeLineIsTheWordTrueOrFalse) {
  struct Case {
    const char* line;
    bool exchange;
  };
  for (Case c : {Case{"TRUE", true}, Case{"True", true}, Case{"tRuE", true}, Case{" true", true},
                 Case{"True ", true}, Case{"\t True\t ", true}, Case{"False", false}, Case{"FALSE", false},
                 Case{" fAlSe\t", false}}) {
    WriteLines({"1", "1", "1", "1", "1", c.line, "0", "0.", "EOF"});
    Settings settings = Load();
    EXPECT_EQ(found, ParameterFileFound::Readable) << c.line;
    EXPECT_EQ(settings.XYexchange, c.exchange) << c.line;
  }
  EXPECT_TRUE(boxes.notices.empty());
}

TEST_F(ParameterFileTest, DisplayOrderLine) {
  struct Case {
    const char* line;
    int swaps;
  };
  for (Case c : {Case{"True", 1}, Case{"TRUE", 1}, Case{"true", 1}, Case{"-1", 1}, Case{"False", 0},
                 Case{"FALSE", 0}, Case{"0", 0}, Case{"5", 0}, Case{"EOF", 0}}) {
    dialog.swaps = 0;
    WriteLines({"1", "1", "1", "1", "1", "False", "0", "0.", c.line, "anything"});
    Settings settings = Load();
    EXPECT_EQ(dialog.swaps, c.swaps) << c.line;
    EXPECT_EQ(settings.XYdisplayswap, c.swaps == 1) << c.line;
  }
  EXPECT_TRUE(boxes.notices.empty());
}

// Replaced, or left as it is where the caller asks so.
TEST_F(ParameterFileTest, UnreadableFilesAreRecreatedWithTheDefaultsOrLeftAsTheyAre) {
  const std::vector<std::string> good = {"2", "2", "2", "2", "2", "True", "5", "100.", "EOF"};
  struct Case {
    const char* name;
    std::string content;
  };
  // The good lines with line `line` replaced by `text`.
  auto with = [&](std::size_t line, const char* text) {
    std::vector<std::string> changed = good;
    changed[line] = text;
    return PrmText(changed);
  };
  const Case cases[] = {
      {"empty file", ""}, {"eight lines", PrmText({good.begin(), good.begin() + 8})},
      {"a word for a number", with(2, "two")}, {"beyond the 32-bit range", with(0, "1e39")},
      {"an empty number line", with(6, "")}, {"eof in lower case", with(8, "eof")},
      {"text after a number", with(7, "100.x")}, {"inf", with(4, "inf")},
      // Not zero, but 0 or subnormal in 32 bits: as far outside the range as
      // an overflow (an X scale of 0 would remove every X word).
      {"1e-50", with(1, "1e-50")}, {"subnormal", with(0, "1e-40")}, {"-1e-400", with(6, "-1e-400")},
      // The exchange line is the word True or False and nothing else: neither
      // a number, nor another word, nor nothing.
      {"exchange 1", with(5, "1")}, {"exchange -1", with(5, "-1")}, {"exchange Yes", with(5, "Yes")},
      {"exchange empty", with(5, "")}, {"exchange True.", with(5, "True.")}, {"exchange Tr ue", with(5, "Tr ue")},
      {"exchange EOF", with(5, "EOF")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path + ".bad");
    WriteFile(path, c.content);
    EXPECT_EQ(Load(UnreadableFile::LeaveAsItIs), Settings{});
    EXPECT_EQ(found, ParameterFileFound::Unreadable);
    EXPECT_TRUE(boxes.notices.empty());
    EXPECT_EQ(dialog.clears, 0);
    EXPECT_EQ(ReadFile(path), c.content);
    EXPECT_EQ(testing::ListFolder(folder.path()), "kivrel.prm ");

    Settings settings = Load();
    EXPECT_EQ(boxes.notices, std::vector<std::string>{kUnreadableKept});
    EXPECT_EQ(found, ParameterFileFound::Unreadable);
    // Values read before the fault are discarded too.
    EXPECT_EQ(settings, Defaults());
    EXPECT_EQ(ReadFile(path), kDefaultPrm);
    EXPECT_EQ(ReadFile(path + ".bad"), c.content) << "the old file is kept";
    boxes.notices.clear();
    dialog.clears = 0;
  }
}

TEST_F(ParameterFileTest, ZeroAndTheSmallestNormalValuesAreRead) {
  struct Case {
    const char* text;
    float value;
  };
  // 1.1754943e-38 lies below the smallest normal 32-bit value but rounds to it.
  for (const Case c : {Case{"0e-50", 0.0f}, Case{"-0.000e-400", 0.0f}, Case{"1.2e-38", 1.2e-38f},
                       Case{"1.1754943e-38", FLT_MIN}, Case{"-1.1754943E-38", -FLT_MIN}}) {
    WriteLines({"1", c.text, "1", "1", "1", "False", "0", "0.", "EOF"});
    EXPECT_EQ(Load().XScale, c.value) << c.text;
  }
  EXPECT_TRUE(boxes.notices.empty());
}

TEST_F(ParameterFileTest, OldNineLineFormAndLfLineEnds) {
  WriteFile(path, "2\n3\n1\n1\n1\nFalse\n0\n0.\nEOF\n");
  Settings settings = Load();
  EXPECT_TRUE(boxes.notices.empty());
  EXPECT_EQ(settings.YScale, 2.0f);
  EXPECT_EQ(settings.XScale, 3.0f);
  ASSERT_TRUE(SaveSettings(settings, Environment()));
  EXPECT_EQ(ReadFile(path),
            "2.0000000000\r\n3.0000000000\r\n1.0000000000\r\n1.0000000000\r\n1.0000000000\r\n"
            "False\r\n0.0000000000\r\n0.\r\nFalse\r\nEOF\r\n");
}

TEST_F(ParameterFileTest, SavedValuesReadBackAsStored) {
  Settings settings = Defaults();
  settings.YScale = 25.4f;
  settings.XScale = 1 / 25.4f;
  settings.ZScale = -0.5f;
  settings.AScale = 0;
  settings.FeedScale = 0.1f;
  settings.FeedAdd = 0.1f;
  settings.SpindleRPM = 1500.6f;
  settings.XYexchange = true;
  settings.XYdisplayswap = true;
  ASSERT_TRUE(SaveSettings(settings, Environment()));
  EXPECT_EQ(ReadFile(path),
            "25.4000000000\r\n0.0393700800\r\n-0.5000000000\r\n0.0000000000\r\n0.1000000000\r\n"
            "True\r\n0.1000000000\r\n1501.\r\nTrue\r\nEOF\r\n");
  Settings again = Load();
  EXPECT_EQ(again.YScale, 25.4f);
  EXPECT_EQ(again.SpindleRPM, 1501.0f);
  EXPECT_TRUE(again.XYdisplayswap);
  EXPECT_EQ(dialog.swaps, 1);
}

TEST_F(ParameterFileTest, FailedWriteKeepsThePreviousFileWhole) {
  WriteLines({"2", "2", "2", "2", "2", "True", "5", "100.", "EOF"});
  const std::string before = ReadFile(path);
  for (FileOp op : {FileOp::Write, FileOp::CloseWritten, FileOp::Rename}) {
    testing::FaultyFileSystem failing{disk};
    failing.FailOn(op, "kivrel.prm");
    boxes.notices.clear();
    dialog.clears = 0;
    SettingsEnvironment environment{failing, boxes, dialog, path};
    EXPECT_FALSE(SaveSettings(Defaults(), environment));
    EXPECT_EQ(boxes.notices, std::vector<std::string>{"Unable to save. Try again."});
    EXPECT_EQ(dialog.clears, 0) << "the unsaved mark stays";
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(testing::ListFolder(folder.path()), "kivrel.prm ") << "no temporary file left";
  }
}

TEST_F(ParameterFileTest, FileThatCannotBeCreatedIsTheCallersFailure) {
  faulty.FailOn(FileOp::CreateTemporary, "kivrel.prm");
  EXPECT_THROW(SaveSettings(Defaults(), Environment()), Failure);
  EXPECT_TRUE(boxes.notices.empty());
}

TEST_F(ParameterFileTest, UnopenableFileIsRecreated) {
  WriteLines({"2", "2", "2", "2", "2", "True", "5", "100.", "EOF"});
  const std::string unopenable = ReadFile(path);
  faulty.FailOn(FileOp::OpenForReading, "kivrel.prm");
  EXPECT_EQ(Load(), Defaults());
  EXPECT_EQ(boxes.notices, std::vector<std::string>{kUnreadableKept});
  EXPECT_EQ(found, ParameterFileFound::Unreadable);
  EXPECT_EQ(ReadFile(path + ".bad"), unopenable);

  // Where it cannot be moved aside it stays as it is.
  faulty.FailOn(FileOp::OpenForReading, "kivrel.prm", 2);
  faulty.FailOn(FileOp::Rename, "kivrel.prm.bad", 2);
  boxes.notices.clear();
  EXPECT_EQ(Load(), Defaults());
  EXPECT_EQ(boxes.notices, (std::vector<std::string>{kUnreadable, "Unable to save. Try again."}));
  EXPECT_EQ(found, ParameterFileFound::Unreadable);
  EXPECT_EQ(ReadFile(path), kDefaultPrm);
}

TEST_F(ParameterFileTest, ReadOnlyFileIsNeverReplaced) {
  WriteFile(path, "two\r\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  EXPECT_EQ(Load(), Defaults());
  EXPECT_EQ(boxes.notices, (std::vector<std::string>{kUnreadable, "Unable to save. Try again."}));
  EXPECT_EQ(found, ParameterFileFound::Unreadable);
  EXPECT_EQ(ReadFile(path), "two\r\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
  std::filesystem::remove(path);
  WriteLines({"2", "2", "2", "2", "2", "True", "5", "100.", "EOF"});
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  const std::string before = ReadFile(path);
  boxes.notices.clear();
  EXPECT_FALSE(SaveSettings(Defaults(), Environment()));
  EXPECT_EQ(boxes.notices, std::vector<std::string>{"Unable to save. Try again."});
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(testing::ListFolder(folder.path()), "kivrel.prm ");
}

TEST_F(ParameterFileTest, MissingFileThatCannotBeWrittenLeavesNone) {
  faulty.FailOn(FileOp::Write, "kivrel.prm");
  Settings settings = Load();
  EXPECT_EQ(settings, Defaults());
  EXPECT_EQ(boxes.notices, (std::vector<std::string>{kNotFound, "Unable to save. Try again."}));
  EXPECT_EQ(testing::ListFolder(folder.path()), "");
}

}  // namespace
}  // namespace kivrel
