#include "settings/dialog_model.h"

#include <gtest/gtest.h>

#include "platform/disk_file_system.h"
#include "support/fake_platform.h"
#include "support/faulty_file_system.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace kivrel {
namespace {

using testing::kDefaultPrm;
using testing::ReadFile;
using testing::WriteFile;

class DialogModelTest : public ::testing::Test {
 protected:
  // A start: the settings loaded from the parameter file, the mark cleared.
  void Start() {
    settings = Settings{};
    model = std::make_unique<DialogModel>(settings);
    LoadSettings(settings, Environment());
    model->Prepare();  // as the window does when it is shown
    boxes.notices.clear();
  }
  SettingsEnvironment Environment() { return {files, boxes, *model, path}; }
  std::string Prm() { return ReadFile(path); }

  testing::TempFolder folder;
  std::string path = folder / "kivrel.prm";
  DiskFileSystem disk;
  testing::FaultyFileSystem files{disk};
  testing::RecordingMessageBoxes boxes;
  Settings settings;
  std::unique_ptr<DialogModel> model;
};

TEST_F(DialogModelTest, OpensWithTheDefaultTextsAndNoMark) {
  Start();
  for (Field field : {Field::txtyscale, Field::txtxscale, Field::txtzscale, Field::txtascale,
                      Field::txtfeedscale, Field::txtfeedadd}) {
    EXPECT_EQ(model->Text(field), field == Field::txtfeedadd ? "0.0000000000" : "1.0000000000");
  }
  EXPECT_EQ(model->Text(Field::txtspinrpm), "0.");
  EXPECT_FALSE(model->Checked());
  EXPECT_FALSE(model->Unsaved());
  EXPECT_EQ(model->Caption(), "Kivrel Preprocessor v4.0.1");
}

TEST_F(DialogModelTest, ShowsTheSevenDigitValue) {
  WriteFile(path, "0.1\r\n25.4\r\n-2.5\r\n0.3333333\r\n1\r\ntrue\r\n0\r\n2.5\r\nEOF\r\n");
  Start();
  EXPECT_EQ(model->Text(Field::txtyscale), "0.1000000000");
  EXPECT_EQ(model->Text(Field::txtxscale), "25.4000000000");
  EXPECT_EQ(model->Text(Field::txtzscale), "-2.5000000000");
  EXPECT_EQ(model->Text(Field::txtascale), "0.3333333000");
  EXPECT_EQ(model->Text(Field::txtspinrpm), "3.");
  EXPECT_TRUE(model->Checked());
  EXPECT_FALSE(model->Unsaved());
}

TEST_F(DialogModelTest, EditsLeaveTheMarkEvenWhenUndone) {
  Start();
  model->EditText(Field::txtzscale, "1.00000000001");
  model->EditText(Field::txtzscale, "1.0000000000");
  EXPECT_TRUE(model->Unsaved());
  Start();
  model->ClickCheck();
  model->ClickCheck();
  EXPECT_FALSE(model->Checked());
  EXPECT_TRUE(model->Unsaved());
}

TEST_F(DialogModelTest, SaveStoresWholeNumbersAndShowsThemAsStored) {
  Start();
  model->EditText(Field::txtyscale, "-2");
  model->EditText(Field::txtxscale, " 12 ");
  model->EditText(Field::txtzscale, "0.");
  model->EditText(Field::txtascale, "1e0");
  model->EditText(Field::txtfeedscale, "0");
  model->EditText(Field::txtfeedadd, "-2");
  model->EditText(Field::txtspinrpm, "-2.4");
  model->ClickCheck();
  EXPECT_TRUE(model->Save(Environment()));
  EXPECT_TRUE(boxes.notices.empty());
  EXPECT_FALSE(model->Unsaved());
  EXPECT_EQ(Prm(),
            "-2.0000000000\r\n12.0000000000\r\n0.0000000000\r\n1.0000000000\r\n0.0000000000\r\n"
            "True\r\n-2.0000000000\r\n-2.\r\nFalse\r\nEOF\r\n");
  EXPECT_EQ(model->Text(Field::txtxscale), "12.0000000000");
  EXPECT_EQ(model->Text(Field::txtspinrpm), "-2.");
}

// A value that is no number, one beyond the range and a negative
// multiplier are refused with a message: nothing is stored, the field keeps
// what was typed and the mark stays.
TEST_F(DialogModelTest, ValuesThatCannotBeStoredAreRefusedNamingTheField) {
  const std::string not_a_number = "Scale Multiplier is not a number. Nothing was saved.";
  const std::tuple<Field, const char*, std::string> cases[] = {
      {Field::txtascale, "abc", "A " + not_a_number},   {Field::txtascale, "12abc", "A " + not_a_number},
      {Field::txtascale, "", "A " + not_a_number},      {Field::txtascale, "1,5", "A " + not_a_number},
      {Field::txtascale, "&H10", "A " + not_a_number},  {Field::txtascale, "- 2", "A " + not_a_number},
      {Field::txtxscale, "abc", "X " + not_a_number},
      {Field::txtfeedadd, "1e39", "Feed Rate Add is too large to be stored. Nothing was saved."},
  };
  for (const auto& [field, text, notice] : cases) {
    SCOPED_TRACE(text);
    Start();
    const std::string before = Prm();
    model->EditText(Field::txtyscale, "5");
    model->EditText(field, text);
    EXPECT_FALSE(model->Save(Environment()));
    EXPECT_EQ(boxes.notices, std::vector<std::string>{"The value for " + notice});
    EXPECT_EQ(settings.YScale, 1.0f);
    EXPECT_EQ(Prm(), before);
    EXPECT_EQ(model->Text(field), text);
    EXPECT_TRUE(model->Unsaved());
  }
  Start();
  model->EditText(Field::txtyscale, "5");
  model->EditText(Field::txtfeedscale, "-0.5");
  EXPECT_FALSE(model->Save(Environment()));
  EXPECT_EQ(boxes.notices, std::vector<std::string>{"You cannot have a negative speed multiplier"});
  EXPECT_EQ(settings.YScale, 1.0f);
  EXPECT_EQ(Prm(), kDefaultPrm);
  EXPECT_TRUE(model->Unsaved());
}

TEST_F(DialogModelTest, UnitButtonsSetTheScalesAndTheMultiplier) {
  WriteFile(path, "2\r\n2\r\n2\r\n2\r\n2\r\nTrue\r\n7\r\n900.\r\nFalse\r\nEOF\r\n");
  Start();
  const std::string before = Prm();
  model->InchesToMillimetres();
  EXPECT_EQ(model->Text(Field::txtascale), "25.4");
  EXPECT_EQ(settings.FeedScale, 25.4f);
  EXPECT_TRUE(model->Unsaved());
  EXPECT_EQ(Prm(), before) << "nothing is stored before Save";
  EXPECT_TRUE(model->Save(Environment()));
  EXPECT_EQ(Prm(),
            "25.4000000000\r\n25.4000000000\r\n25.4000000000\r\n25.4000000000\r\n25.4000000000\r\n"
            "True\r\n7.0000000000\r\n900.\r\nFalse\r\nEOF\r\n");
  EXPECT_FALSE(model->Unsaved());

  model->MillimetresToInches();
  EXPECT_EQ(model->Text(Field::txtyscale), "0.039370078740");
  EXPECT_EQ(settings.YScale, 0.03937008f);
  EXPECT_TRUE(model->Save(Environment()));
  EXPECT_EQ(Prm().substr(0, 14), "0.0393700800\r\n");
}

TEST_F(DialogModelTest, SwapGestureAsksAndMovesBothRows) {
  Start();
  struct Press {
    MouseButton button;
    unsigned modifiers;
  };
  for (Press press : {Press{MouseButton::Right, kNoModifier}, Press{MouseButton::Right, kShift | kControl},
                      Press{MouseButton::Left, kShift}, Press{MouseButton::Right, kShift | kAlt}}) {
    model->LabelPressed(press.button, press.modifiers, boxes);
  }
  EXPECT_TRUE(boxes.questions.empty());
  EXPECT_FALSE(model->Unsaved());

  boxes.answer = false;
  model->LabelPressed(MouseButton::Right, kShift, boxes);
  EXPECT_EQ(boxes.questions, std::vector<std::string>{"Do you want to swap the X and Y display order?"});
  EXPECT_EQ(model->Place(MovingControl::txtxscale), kDesignedPlace[2]);
  EXPECT_FALSE(settings.XYdisplayswap);
  EXPECT_FALSE(model->Unsaved());

  boxes.answer = true;
  model->LabelPressed(MouseButton::Right, kShift, boxes);
  EXPECT_EQ(model->Place(MovingControl::txtxscale), (TwipsRect{105, 375, 1620, 300}));
  EXPECT_EQ(model->Place(MovingControl::Label2), (TwipsRect{1830, 465, 1245, 240}));
  EXPECT_EQ(model->Place(MovingControl::txtyscale), (TwipsRect{105, 855, 1635, 330}));
  EXPECT_EQ(model->Place(MovingControl::Label1), (TwipsRect{1845, 900, 1320, 255}));
  EXPECT_TRUE(settings.XYdisplayswap);
  EXPECT_TRUE(model->Unsaved());

  model->LabelPressed(MouseButton::Right, kShift, boxes);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(model->Place(static_cast<MovingControl>(i)), kDesignedPlace[i]);
  EXPECT_FALSE(settings.XYdisplayswap);
  EXPECT_TRUE(model->Unsaved());
}

TEST_F(DialogModelTest, SavedSwapComesBackAtTheNextStart) {
  Start();
  model->LabelPressed(MouseButton::Right, kShift, boxes);
  model->EditText(Field::txtxscale, "2");  // the upper box is now the X box
  ASSERT_TRUE(model->Save(Environment()));
  Start();
  EXPECT_TRUE(settings.XYdisplayswap);
  EXPECT_EQ(settings.XScale, 2.0f);
  EXPECT_EQ(model->Place(MovingControl::txtxscale), (TwipsRect{105, 375, 1620, 300}));
  EXPECT_FALSE(model->Unsaved());
}

TEST_F(DialogModelTest, FailedStoreAtStartUpOpensMarked) {
  files.FailOn(testing::FileOp::Write, "kivrel.prm");
  Start();
  EXPECT_TRUE(model->Unsaved());
  EXPECT_EQ(model->Text(Field::txtxscale), "1.0000000000");
}

TEST_F(DialogModelTest, FileThatCannotBeCreatedKeepsTheDialogOpenAndMarked) {
  Start();
  files.FailOn(testing::FileOp::CreateTemporary, "kivrel.prm", 2);
  model->EditText(Field::txtxscale, "2");
  EXPECT_FALSE(model->Save(Environment()));
  EXPECT_EQ(boxes.notices.back(), "Unable to save. Try again.");
  EXPECT_TRUE(model->Unsaved());
}

}  // namespace
}  // namespace kivrel
