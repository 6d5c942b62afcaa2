#include "startup/result_file.h"

#include <gtest/gtest.h>

#include "platform/disk_file_system.h"
#include "common/failure.h"
#include "startup/comment_block.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace kivrel {
namespace {

TEST(ResultFileText, FourForms) {
  EXPECT_EQ(ResultFileText(std::nullopt, ExitStatus::Done, ""), "kivrel.pre\r\nversion:4\r\n0\r\n\r\n");
  EXPECT_EQ(ResultFileText(std::string("C:\\jobs\\part.pr1"), ExitStatus::Done, ""),
            "kivrel.pre\r\nversion:4\r\nC:\\jobs\\part.pr1\r\n0\r\n\r\n");
  EXPECT_EQ(ResultFileText(std::string("x.pr1"), ExitStatus::InputMissing, ""),
            "kivrel.pre\r\nversion:4\r\nx.pr1\r\n1\r\n\r\n");
  EXPECT_EQ(ResultFileText(std::string(), ExitStatus::ZeroFeed, kZeroFeedMessage),
            "kivrel.pre\r\nversion:4\r\n\r\n2\r\nFAILED DUE TO ZERO FEEDRATE\r\n");
}

TEST(WriteResultFile, FailedWriteLeavesNoHalfFile) {
  testing::TempFolder folder;
  DiskFileSystem disk;
  for (testing::FileOp op :
       {testing::FileOp::Write, testing::FileOp::CloseWritten, testing::FileOp::Rename}) {
    testing::FaultyFileSystem faulty(disk);
    faulty.FailOn(op, "prepre.res");
    EXPECT_THROW(WriteResultFile(faulty, folder / "prepre.res", std::string("a.pr1"),
                                 ExitStatus::Done, ""),
                 Failure);
    EXPECT_EQ(testing::ListFolder(folder.path()), "");
  }
}

TEST(SettingsCommentBlock, RecordsTheSettingsInFileOrder) {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = settings.YScale = 25.4f;
  EXPECT_EQ(SettingsCommentBlock(settings),
            "(Kivrel Version 4.0.1)\r\n(YScale:25.4000000 )\r\n(XScale:25.4000000 )\r\n"
            "(ZScale:1.0000000 )\r\n(AScale:1.0000000 )\r\n(FeedScale:1.0000000 )\r\n"
            "(XYexchange:OFF )\r\n(FeedAdd:0.0000000 )\r\n(SpindleRPM:0. )\r\n");
  settings.YScale = 1 / 25.4f;
  settings.XScale = -5;
  settings.ZScale = 0;
  settings.AScale = 2.5f;
  settings.FeedScale = 0.1f;
  settings.XYexchange = true;
  settings.FeedAdd = -10;
  settings.SpindleRPM = 1500.6f;
  EXPECT_EQ(SettingsCommentBlock(settings),
            "(Kivrel Version 4.0.1)\r\n(YScale:0.0393701 )\r\n(XScale:-5.0000000 )\r\n"
            "(ZScale:0.0000000 )\r\n(AScale:2.5000000 )\r\n(FeedScale:0.1000000 )\r\n"
            "(XYexchange:ON )\r\n(FeedAdd:-10.0000000 )\r\n(SpindleRPM:1501. )\r\n");
}

}  // namespace
}  // namespace kivrel
