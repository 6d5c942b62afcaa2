#include "ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "support/setup_start.h"

namespace kivrel {
namespace {

using testing::kDefaultPrm;
using testing::ReadFile;
using testing::WriteFile;

class SettingsDialogTest : public testing::SetupStart<SettingsDialog> {
 protected:
  void Start() {
    Build();
    dialog->show();
  }

  template <typename T>
  T* Child(const char* name) {
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  bool Marked() { return Child<QPushButton>("Command1")->styleSheet().contains("rgb(255, 0, 0)"); }
  void Type(const char* field, const QString& text) {
    QLineEdit* edit = Child<QLineEdit>(field);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  void Click(const char* button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
  void PressLabel(const char* label, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    QTest::mousePress(Child<QLabel>(label), button, modifiers);
  }

};

// The rules are DialogModel's (dialog_model_test); here, that each control
// shows its own part of the model and hands it what the operator does.
constexpr const char* kFieldNames[] = {"txtyscale",    "txtxscale",  "txtzscale", "txtascale",
                                       "txtfeedscale", "txtfeedadd", "txtspinrpm"};

TEST_F(SettingsDialogTest, EachControlShowsItsOwnValueAtItsPlace) {
  WriteFile(path, "0.1\r\n25.4\r\n-2.5\r\n0.3333333\r\n1.5\r\ntrue\r\n-7\r\n2.5\r\nFalse\r\nEOF\r\n");
  Start();
  EXPECT_EQ(dialog->windowTitle().toStdString(), model->Caption());
  EXPECT_EQ(dialog->size(), QSize(408, 341));
  for (int i = 0; i < kFieldCount; ++i) {
    EXPECT_EQ(Child<QLineEdit>(kFieldNames[i])->text().toStdString(), model->Text(static_cast<Field>(i)))
        << kFieldNames[i];
  }
  EXPECT_TRUE(Child<QCheckBox>("chkxyexchange")->isChecked());
  EXPECT_FALSE(Marked());
  EXPECT_EQ(Child<QPushButton>("Command1")->geometry(), QRect(4, 285, 113, 46));
  EXPECT_EQ(Child<QLineEdit>("txtxscale")->geometry(), QRect(7, 57, 108, 20));
  EXPECT_EQ(Child<QLabel>("Label2")->text(), "X Scale Multiplier");
  EXPECT_TRUE(Child<QPlainTextEdit>("warning")->toPlainText().startsWith("Warning: If you have arcs"));
  EXPECT_TRUE(Child<QPlainTextEdit>("warning")->toPlainText().endsWith("set the value to 0"));
  for (const char* name : {"Command1", "Command2", "Command3", "Command4"}) {
    EXPECT_FALSE(Child<QPushButton>(name)->autoDefault()) << name;
  }
}

TEST_F(SettingsDialogTest, EveryCaptionFitsItsControl) {
  Start();
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    const QFontMetrics metrics(label->font());
    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width())
        << label->objectName().toStdString() << " in " << QFontInfo(label->font()).family().toStdString();
    EXPECT_LE(metrics.height(), label->contentsRect().height()) << label->objectName().toStdString();
  }
  for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
    EXPECT_LE(button->sizeHint().width(), button->width()) << button->objectName().toStdString();
  }
}

// Every keystroke and click reaches the model: an edit undone, or a box
// clicked twice, leaves the mark.
TEST_F(SettingsDialogTest, TypingAndClickingReachTheModel) {
  Start();
  QLineEdit* edit = Child<QLineEdit>("txtzscale");
  edit->setFocus();
  edit->end(false);
  QTest::keyClicks(edit, "5");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "1.0000000000");
  EXPECT_TRUE(Marked());
  Start();
  QCheckBox* box = Child<QCheckBox>("chkxyexchange");
  QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
  EXPECT_TRUE(box->isChecked());
  QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
  EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(Marked());
}

// Save stores the typed text, and the field then shows it as stored.
TEST_F(SettingsDialogTest, SaveShowsTheFieldAsStoredAndClearsTheMark) {
  Start();
  Type("txtxscale", " 2.5");
  EXPECT_TRUE(Marked());
  Click("Command1");
  EXPECT_EQ(Child<QLineEdit>("txtxscale")->text(), "2.5000000000");
  EXPECT_EQ(ReadFile(path).substr(14, 14), "2.5000000000\r\n");
  EXPECT_FALSE(Marked());
}

TEST_F(SettingsDialogTest, UnitButtonsFillTheFields) {
  for (const auto& [button, text] : {std::pair{"Command3", "25.4"}, std::pair{"Command4", "0.039370078740"}}) {
    Start();
    Click(button);
    for (const char* name : {"txtyscale", "txtxscale", "txtzscale", "txtascale", "txtfeedscale"}) {
      EXPECT_EQ(Child<QLineEdit>(name)->text(), text) << button << " " << name;
    }
    EXPECT_TRUE(Marked()) << button;
  }
}

TEST_F(SettingsDialogTest, ShiftRightClickSwapsTheRows) {
  Start();
  PressLabel("Label1", Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
  PressLabel("Label2", Qt::LeftButton, Qt::ShiftModifier);
  PressLabel("Label6", Qt::RightButton, Qt::ShiftModifier);
  EXPECT_TRUE(boxes.questions.empty());

  PressLabel("Label1", Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(boxes.questions, std::vector<std::string>{"Do you want to swap the X and Y display order?"});
  EXPECT_EQ(Child<QLineEdit>("txtxscale")->pos(), QPoint(7, 25));  // Left 105, Top 375
  EXPECT_EQ(Child<QLabel>("Label2")->pos(), QPoint(122, 31));      // Left 1830, Top 465
  EXPECT_EQ(Child<QLineEdit>("txtxscale")->size(), QSize(108, 20));
  EXPECT_TRUE(Marked());

  PressLabel("Label2", Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(Child<QLineEdit>("txtxscale")->pos(), QPoint(7, 57));
  EXPECT_EQ(Child<QLabel>("Label2")->pos(), QPoint(123, 60));
  EXPECT_TRUE(Marked());
}

TEST_F(SettingsDialogTest, SavedSwapComesBackWithoutAMark) {
  Start();
  PressLabel("Label2", Qt::RightButton, Qt::ShiftModifier);
  Click("Command1");
  Start();
  EXPECT_EQ(Child<QLineEdit>("txtxscale")->pos(), QPoint(7, 25));
  EXPECT_EQ(Child<QLineEdit>("txtyscale")->pos(), QPoint(7, 57));
  EXPECT_FALSE(Marked());
}

TEST_F(SettingsDialogTest, EscapeDoesNotCloseButCancelDoes) {
  Start();
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  Type("txtxscale", "7");
  Click("Command2");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(ReadFile(path), kDefaultPrm);
}

}  // namespace
}  // namespace kivrel
