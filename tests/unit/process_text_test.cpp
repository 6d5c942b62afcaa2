#include "transform/process_text.h"

#include <gtest/gtest.h>

#include "platform/disk_file_system.h"
#include "common/failure.h"
#include "support/fake_platform.h"
#include "support/convert_text.h"

namespace kivrel {
namespace {


using TextRun = testing::ConvertedText;

TextRun Convert(const std::string& input, testing::RecordingProgressView& view) {
  return testing::ConvertText(input, view);
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "G01 X" + std::to_string(i) + "\r\n";
  return text;
}

TEST(ProcessText, RepaintsAfterEveryThousandLines) {
  testing::RecordingProgressView view;
  TextRun run = Convert(Lines(2500), view);
  EXPECT_EQ(run.end.outcome, TextOutcome::Finished);
  EXPECT_EQ(view.repaints, 2);
  EXPECT_EQ(view.event_passes, 2);
  EXPECT_EQ(view.fills, 2500);
  // Every line ended in CR LF: the bar ends exactly at the end of its track.
  EXPECT_EQ(view.fill, 1.0);

  testing::RecordingProgressView short_view;
  Convert(Lines(999), short_view);
  EXPECT_EQ(short_view.repaints, 0);
  testing::RecordingProgressView exact_view;
  Convert(Lines(1000), exact_view);
  EXPECT_EQ(exact_view.repaints, 1);
}

TEST(ProcessText, EmptyInputWritesNothingAndMovesNoBar) {
  testing::RecordingProgressView view;
  TextRun run = Convert("", view);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(view.fills, 0);
  EXPECT_EQ(view.repaints, 0);
}

TEST(ProgressTracker, SizeBelowOneCountsAsOne) {
  testing::RecordingProgressView view;
  ProgressTracker tracker(0, view);
  tracker.LineRead(3);
  tracker.LineWritten();
  EXPECT_EQ(view.fill, 5.0);
}

TEST(ProcessText, EveryLineEndsInCrLf) {
  testing::RecordingProgressView view;
  EXPECT_EQ(Convert("g1 x1\nG1 X2\rG1 X3\r\n\r\n(c)\r\nG1 X4", view).output,
            "G1 X1.0000\r\nG1 X2.0000\r\nG1 X3.0000\r\n\r\n(c)\r\nG1 X4.0000\r\n");
}

TEST(ProcessText, StopsBeforeTheLineWithAZeroFeed) {
  testing::RecordingProgressView view;
  TextRun run = Convert("G1 X1 F10\r\nG1 X2 F0\r\nG1 X3\r\n", view);
  EXPECT_EQ(run.end.outcome, TextOutcome::ZeroFeed);
  EXPECT_EQ(run.end.line, 2u);
  EXPECT_EQ(run.output, "G1 X1.0000 F10.0000\r\n");
}

TEST(ProcessText, OutOfRangeNamesLineAndWord) {
  testing::RecordingProgressView view;
  try {
    Convert("G1 X1\r\nG1 X2\r\nG1 z1" + std::string(39, '0') + "\r\n", view);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_NE(std::string(failure.what()).find("line 3, word Z1" + std::string(39, '0')), std::string::npos)
        << failure.what();
  }
}

}  // namespace
}  // namespace kivrel
