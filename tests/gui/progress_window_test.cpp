#include "ui/progress_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

#include "platform/disk_file_system.h"
#include "platform/clock.h"
#include "startup/filter_program.h"
#include "startup/filter_user_interface.h"
#include "support/convert_text.h"
#include "support/fake_platform.h"
#include "support/progress_window_checks.h"
#include "support/temp_folder.h"
#include "transform/process_text.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_message_filter.h"
#include "ui/qt_user_interface.h"

namespace kivrel {
namespace {

TEST(ProgressWindow, ShowsTitleVersionAndProcessing) {
  ProgressWindow window;
  EXPECT_EQ(window.windowTitle(), "Kivrel PrePreprocessor");
  EXPECT_EQ(window.size(), QSize(312, 213));
  EXPECT_EQ(window.findChild<QLabel*>("Label3")->text(), "Version:4");
  EXPECT_EQ(window.findChild<QLabel*>("Label2")->text(), "Kivrel");
  EXPECT_EQ(window.findChild<QLabel*>("Label1")->text(), "Processing...");
}

TEST(ProgressWindow, FillEndsAtTheTrackEndForACrLfFile) {
  ProgressWindow window;
  testing::ExpectFillEndsAtTheTrackEnd(window);
}

TEST(ProgressWindow, EmptyInputLeavesTheStartWidth) {
  ProgressWindow window;
  window.Show();
  testing::ConvertText("", window);
  EXPECT_EQ(window.FillWidth(), 45.0f);
}

TEST(ProgressWindow, RepaintThatChangesNoPixelCostsNothing) {
  ProgressWindow window;
  window.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  testing::ExpectRepaintOnlyWhenThePixelsChange(window);
}

// Whether the frame of a box asks for a minimize or maximize button.
bool Minimizable(const QWidget& box) {
  return box.windowFlags().testAnyFlags(Qt::WindowMinMaxButtonsHint);
}

// A real Qt message box, answered by a timer as an operator would.
TEST(QtMessageBoxes, RealBoxesWaitForTheirAnswer) {
  QtMessageBoxes boxes;
  QString title;
  QString text;
  bool had_icon = true;
  bool on_top = false;
  bool minimizable = true;
  QTimer::singleShot(50, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    had_icon = box->icon() != QMessageBox::NoIcon;
    on_top = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    minimizable = Minimizable(*box);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
    box->button(QMessageBox::No)->click();
  });
  EXPECT_FALSE(boxes.Ask("Do you want to swap the X and Y display order?"));
  EXPECT_EQ(title, "Kivrel Preprocessor");
  EXPECT_EQ(text, "Do you want to swap the X and Y display order?");
  EXPECT_FALSE(had_icon);
  // A host waiting for the answer takes no input: the box must not go
  // behind the host's window when the operator clicks there, nor out of
  // sight by a minimize button.
  EXPECT_TRUE(on_top) << "the question stays above other windows";
  EXPECT_FALSE(minimizable) << "the question has no minimize button";

  on_top = false;
  minimizable = true;
  bool back = false;
  QTimer::singleShot(50, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    text = box->text();
    on_top = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    minimizable = Minimizable(*box);
    // As a window manager that minimizes it all the same would.
    box->showMinimized();
    QTimer::singleShot(50, box, [&, box] {
      back = box->isVisible() && !box->isMinimized();
      box->button(QMessageBox::Ok)->click();
    });
  });
  boxes.Notify("part.nc: Line 2: R words are not scaled");
  EXPECT_EQ(text, "part.nc: Line 2: R words are not scaled");
  EXPECT_TRUE(on_top) << "the notice stays above other windows";
  EXPECT_FALSE(minimizable) << "the notice has no minimize button";
  EXPECT_TRUE(back) << "a minimized notice comes back";
}

// What the next message box says, as an operator reads it before pressing OK.
struct SeenBox {
  QString title;
  QString text;
};

void AnswerNextBoxWithOk(SeenBox& seen) {
  QTimer::singleShot(50, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = {box->windowTitle(), box->text()};
    box->button(QMessageBox::Ok)->click();
  });
}

// The notices of a finished conversion come in one box that waits for OK and
// names the program.
TEST(QtUserInterface, NoticesComeInOneBox) {
  QtMessageBoxes boxes;
  QtUserInterface ui(boxes);
  SeenBox seen;
  AnswerNextBoxWithOk(seen);
  ui.ReportNotices("C:\\jobs\\part.nc",
                   {"Line 3: block-delete lines are not scaled", "Line 9 (and 2 more): words after a comment are not scaled"});
  EXPECT_EQ(seen.title, "Kivrel Preprocessor");
  EXPECT_EQ(seen.text,
            "part.nc:\nLine 3: block-delete lines are not scaled\nLine 9 (and 2 more): words after a comment are not scaled");
}

// kivrel-filter with a display: the notices come in the program's box once
// the program has gone out, and the bytes are those of a run without one.
TEST(QtUserInterface, FilterNoticesComeInTheBoxAndChangeNoByte) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "kivrel.prm", "2\r\n2\r\n2\r\n1\r\n1\r\nFalse\r\n0\r\n0.\r\nFalse\r\nEOF\r\n");
  testing::WriteFile(folder / "part.nc", "G21\r\nG1 X10 Y0 R5 F200\r\nG1 X1\r\n");
  DiskFileSystem files;
  testing::RecordingMessageBoxes console_boxes;
  auto filter = [&](std::function<bool(const std::string&)> box, std::string& errors) {
    std::ostringstream error_stream;
    FilterUserInterface ui(error_stream, std::move(box));
    SystemClock clock;
    Platform platform{files, console_boxes, clock, ui, error_stream, testing::Utf8(folder.path()), folder / "part.nc"};
    std::string temporary;
    EXPECT_EQ(RunFilter(platform, files.CreateTemporaryBeside(folder / "out", temporary)), ExitStatus::Done);
    errors = error_stream.str();
    std::string output = testing::ReadFile(temporary);
    files.Remove(temporary);
    return output;
  };
  std::string plain_errors;
  const std::string plain = filter(nullptr, plain_errors);

  QtMessageBoxes boxes;
  SeenBox seen;
  AnswerNextBoxWithOk(seen);
  std::string errors;
  const std::string windowed = filter([&](const std::string& text) {
    boxes.Notify(text);
    return true;
  }, errors);
  EXPECT_EQ(windowed, plain);
  EXPECT_EQ(seen.title, "Kivrel Preprocessor");
  // The program's name first; the line as the converted program counts it.
  EXPECT_EQ(seen.text, "part.nc:\nLine 11: R words are not scaled: radius arcs and canned-cycle R planes will be wrong");
  EXPECT_EQ(errors, plain_errors) << "standard error as ever";
}

// A failure that ends the program shows its number and description in a box.
TEST(QtUserInterface, FailureComesInABox) {
  QtMessageBoxes boxes;
  QtUserInterface ui(boxes);
  SeenBox seen;
  AnswerNextBoxWithOk(seen);
  ui.ReportFailure("error 5: cannot write \"/jobs/part.pr1.0a1b.tmp\": Input/output error");
  EXPECT_EQ(seen.text, "error 5: cannot write \"/jobs/part.pr1.0a1b.tmp\": Input/output error");
}

// What the process writes to its standard error (the file, not only the
// stream) while `write` runs.
std::string StandardErrorOf(const std::function<void()>& write) {
  std::fflush(stderr);
  std::FILE* capture = std::tmpfile();
  const int saved = dup(STDERR_FILENO);
  dup2(fileno(capture), STDERR_FILENO);
  write();
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::rewind(capture);
  std::string text;
  char buffer[512];
  for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, read);
  std::fclose(capture);
  return text;
}

// A host reads the program's standard error as its report: Qt's own chatter
// (under su, "QStandardPaths: XDG_RUNTIME_DIR not set" at every start of Qt)
// must not land there; Qt's critical messages still do.
TEST(QtMessageFilter, QtsOwnWarningsStayOffStandardError) {
  InstallQtMessageFilter();
  const std::string chatter = StandardErrorOf([] {
    qWarning("QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'");
    qInfo("an info message");
    qDebug("a debug message");
  });
  const std::string critical = StandardErrorOf([] { qCritical("a critical message"); });
  qInstallMessageHandler(nullptr);
  EXPECT_EQ(chatter, "");
  EXPECT_NE(critical.find("a critical message"), std::string::npos)
      << "Qt's critical messages still reach standard error";
}

}  // namespace
}  // namespace kivrel
