// The native settings dialog, driven through its real controls as an
// operator would: keystrokes, clicks, a Shift+right-click.
#include "ui/win32/win32_settings_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>

#include "startup/main_program.h"
#include "support/setup_start.h"
#include "ui/win32/win32_message_boxes.h"
#include "ui/win32/win32_user_interface.h"
#include "ui/win32/win32_window.h"

namespace kivrel {
namespace {

using testing::kDefaultPrm;
using testing::ReadFile;
using testing::WriteFile;
using Dialog = Win32SettingsDialog;

constexpr COLORREF kRed = RGB(255, 0, 0);

int FieldId(Field field) { return Dialog::kFirstField + static_cast<int>(field); }

RECT PlaceIn(HWND parent, HWND control) {
  RECT box;
  GetWindowRect(control, &box);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
  return box;
}

// The pixels of a part of a window's client area as they stand: what the
// operator sees there, read without asking the window to paint again.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

Picture PictureOf(HWND window, const RECT& box) {
  Picture picture{box.right - box.left, box.bottom - box.top, {}};
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, picture.width, picture.height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, dc, box.left, box.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return picture;
}

std::size_t PixelsApart(const Picture& a, const Picture& b) {
  if (a.pixels.size() != b.pixels.size()) return std::max(a.pixels.size(), b.pixels.size());
  std::size_t apart = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) apart += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF);
  return apart;
}

class Win32SettingsDialogTest : public testing::SetupStart<Dialog> {
 protected:
  void Start() {
    Build();
    dialog->Show();
    win32::PumpWaitingMessages();
  }

  HWND Control(int id) { return dialog->Control(id); }
  std::string Text(int id) { return win32::Narrow(win32::WindowText(Control(id))); }
  // What the Save button shows on the screen.
  bool Marked() {
    HWND save = Control(Dialog::kSave);
    RedrawWindow(save, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(save);
    const COLORREF face = GetPixel(dc, 6, 6);
    ReleaseDC(save, dc);
    EXPECT_EQ(face, dialog->SaveFace()) << "the button is drawn in its face colour";
    return dialog->SaveFace() == kRed;
  }
  // Replaces a field's text key by key, as typing does.
  void Type(Field field, const std::string& text) {
    HWND edit = Control(FieldId(field));
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : win32::Wide(text)) SendMessageW(edit, WM_CHAR, c, 0);
  }
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  void PressLabel(int id, UINT message, WPARAM keys) { SendMessageW(Control(id), message, keys, 0); }

};

// The rules are DialogModel's (dialog_model_test); here, that each control
// shows its own part of the model and hands it what the operator does.
TEST_F(Win32SettingsDialogTest, EachControlShowsItsOwnValueAtItsPlace) {
  WriteFile(path, "0.1\r\n25.4\r\n-2.5\r\n0.3333333\r\n1.5\r\ntrue\r\n-7\r\n2.5\r\nFalse\r\nEOF\r\n");
  Start();
  EXPECT_EQ(win32::Narrow(win32::WindowText(dialog->window())), model->Caption());
  RECT client;
  GetClientRect(dialog->window(), &client);
  EXPECT_EQ(client.right, 408);  // 6120 x 5115 twips at 96 dots per inch
  EXPECT_EQ(client.bottom, 341);
  for (int i = 0; i < kFieldCount; ++i) EXPECT_EQ(Text(FieldId(static_cast<Field>(i))), model->Text(static_cast<Field>(i)));
  EXPECT_EQ(SendMessageW(Control(Dialog::kExchange), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(Marked());
  const RECT save = PlaceIn(dialog->window(), Control(Dialog::kSave));
  EXPECT_EQ(save.left, 4);
  EXPECT_EQ(save.top, 285);
  EXPECT_EQ(save.right - save.left, 113);
  const RECT x = PlaceIn(dialog->window(), Control(FieldId(Field::txtxscale)));
  EXPECT_EQ(x.left, 7);
  EXPECT_EQ(x.top, 57);
  EXPECT_EQ(Text(Dialog::kLabel2), "X Scale Multiplier");
  EXPECT_EQ(Text(Dialog::kWarning).rfind("Warning: If you have arcs", 0), 0u);
  EXPECT_NE(Text(Dialog::kWarning).find("set the value to 0"), std::string::npos);
  EXPECT_EQ(GetFocus(), Control(FieldId(Field::txtyscale)));
}

TEST_F(Win32SettingsDialogTest, EveryCaptionFitsItsControl) {
  Start();
  for (int id : {Dialog::kLabel1, Dialog::kLabel2, Dialog::kLabel3, Dialog::kLabel4, Dialog::kLabel5, Dialog::kLabel6,
                 Dialog::kLabel7, Dialog::kLabel8}) {
    HWND label = Control(id);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring text = win32::WindowText(label);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    RECT box;
    GetClientRect(label, &box);
    EXPECT_LE(extent.cx, box.right) << win32::Narrow(text);
    EXPECT_LE(extent.cy, box.bottom) << win32::Narrow(text);
  }
}

TEST_F(Win32SettingsDialogTest, TabVisitsTheControlsInTheOrderOfTheirIndexes) {
  Start();
  const int order[] = {FieldId(Field::txtyscale), Dialog::kSave,     Dialog::kCancel,
                       FieldId(Field::txtxscale), FieldId(Field::txtascale), FieldId(Field::txtzscale),
                       FieldId(Field::txtfeedscale), Dialog::kExchange, Dialog::kInches,
                       Dialog::kMillimetres,      FieldId(Field::txtfeedadd), FieldId(Field::txtspinrpm)};
  HWND at = Control(order[0]);
  for (std::size_t i = 1; i < std::size(order); ++i) {
    at = GetNextDlgTabItem(dialog->window(), at, FALSE);
    EXPECT_EQ(GetDlgCtrlID(at), order[i]) << "step " << i;
  }
  EXPECT_EQ(GetNextDlgTabItem(dialog->window(), at, FALSE), Control(order[0]));
}

TEST_F(Win32SettingsDialogTest, TypingMarksAndSaveShowsTheFieldAsStored) {
  Start();
  Type(Field::txtzscale, "5");
  Type(Field::txtzscale, "1.0000000000");
  EXPECT_TRUE(Marked()) << "an edit undone leaves the mark";
  Type(Field::txtxscale, "2.5");
  Click(Dialog::kSave);
  EXPECT_EQ(Text(FieldId(Field::txtxscale)), "2.5000000000");
  EXPECT_EQ(ReadFile(path).substr(14, 14), "2.5000000000\r\n");
  EXPECT_FALSE(Marked());
}

TEST_F(Win32SettingsDialogTest, UnitButtonAndCheckBoxThenSave) {
  WriteFile(path, "1\r\n1\r\n1\r\n1\r\n1\r\nTrue\r\n5\r\n300.\r\nFalse\r\nEOF\r\n");
  Start();
  EXPECT_EQ(SendMessageW(Control(Dialog::kExchange), BM_GETCHECK, 0, 0), BST_CHECKED);
  Click(Dialog::kMillimetres);
  EXPECT_EQ(Text(FieldId(Field::txtyscale)), "0.039370078740");
  Click(Dialog::kInches);
  EXPECT_EQ(Text(FieldId(Field::txtyscale)), "25.4");
  Click(Dialog::kExchange);
  EXPECT_EQ(SendMessageW(Control(Dialog::kExchange), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(Marked());
  Click(Dialog::kSave);
  EXPECT_EQ(ReadFile(path),
            "25.4000000000\r\n25.4000000000\r\n25.4000000000\r\n25.4000000000\r\n25.4000000000\r\n"
            "False\r\n5.0000000000\r\n300.\r\nFalse\r\nEOF\r\n");
  EXPECT_FALSE(Marked());
}

TEST_F(Win32SettingsDialogTest, ShiftRightClickAloneSwapsTheRows) {
  Start();
  PressLabel(Dialog::kLabel1, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT | MK_CONTROL);
  PressLabel(Dialog::kLabel2, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT);
  PressLabel(Dialog::kLabel6, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT);
  EXPECT_TRUE(boxes.questions.empty());

  PressLabel(Dialog::kLabel1, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT);
  EXPECT_EQ(boxes.questions, std::vector<std::string>{"Do you want to swap the X and Y display order?"});
  RECT x = PlaceIn(dialog->window(), Control(FieldId(Field::txtxscale)));
  EXPECT_EQ(x.left, 7);  // Left 105, Top 375
  EXPECT_EQ(x.top, 25);
  EXPECT_EQ(x.right - x.left, 108) << "each control keeps its size";
  const RECT label = PlaceIn(dialog->window(), Control(Dialog::kLabel2));
  EXPECT_EQ(label.left, 122);  // Left 1830, Top 465
  EXPECT_EQ(label.top, 31);
  EXPECT_TRUE(Marked());

  PressLabel(Dialog::kLabel2, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT);
  x = PlaceIn(dialog->window(), Control(FieldId(Field::txtxscale)));
  EXPECT_EQ(x.top, 57);
}

// What the operator sees after the swap: the two top rows, each with its own
// label and a whole box, drawn as a start in the swapped order draws them;
// and after a swap back, as the designed order.
TEST_F(Win32SettingsDialogTest, SwappedRowsLookAsAStartInThatOrderDrawsThem) {
  // The band of the two rows, left of the help box; no field has the focus,
  // so no caret blinks in it.
  const RECT band = win32::PixelRect({0, 360, 3480, 885}, win32::ScreenDpi());
  auto seen = [&] {
    SetFocus(Control(Dialog::kCancel));
    win32::PumpWaitingMessages();
    return PictureOf(dialog->window(), band);
  };
  Start();
  const Picture designed = seen();
  PressLabel(Dialog::kLabel1, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT);
  const Picture swapped = seen();
  ASSERT_NE(PixelsApart(designed, swapped), 0u) << "the picture shows the swap";

  WriteFile(path, "1\r\n1\r\n1\r\n1\r\n1\r\nFalse\r\n0\r\n0\r\nTrue\r\nEOF\r\n");
  Start();
  EXPECT_EQ(PixelsApart(seen(), swapped), 0u) << "the swapped rows as a start in that order draws them";
  PressLabel(Dialog::kLabel2, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT);
  EXPECT_EQ(PixelsApart(seen(), designed), 0u) << "swapped back, the rows as first drawn";
}

// The modal loop: Escape and Enter do nothing; Cancel/Close ends it without
// saving. A timer acts for the operator while the loop runs.
std::function<void()> g_operator;
void CALLBACK Act(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_operator();
}

TEST_F(Win32SettingsDialogTest, EscapeAndEnterDoNotCloseButCancelDoes) {
  Start();
  bool still_open = false;
  g_operator = [&] {
    HWND focus = Control(FieldId(Field::txtyscale));
    SetFocus(focus);
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0);
    g_operator = [&] {
      still_open = dialog->window() != nullptr && IsWindowVisible(dialog->window());
      Type(Field::txtxscale, "7");
      Click(Dialog::kCancel);
    };
    SetTimer(nullptr, 0, 100, Act);
  };
  SetTimer(nullptr, 0, 50, Act);
  dialog->ShowModal();
  EXPECT_TRUE(still_open);
  EXPECT_EQ(dialog->window(), nullptr);
  EXPECT_EQ(ReadFile(path), kDefaultPrm);
}

// "kivrel.exe SETUP" as a host starts it, in this process: the dialog comes
// up, an edit turns Save red, Save stores and clears the red, and closing
// the dialog writes the setup form of the result file.
TEST_F(Win32SettingsDialogTest, SetupStartWritesTheSetupResultWhenTheDialogCloses) {
  WriteFile(folder / "prepre.res", "stale");
  testing::RecordingMessageBoxes setup_boxes;
  Win32UserInterface ui(setup_boxes);
  DiskFileSystem disk;
  testing::ScriptedClock clock({0.0f}, 1.0f);
  std::ostringstream errors;
  Platform platform{disk, setup_boxes, clock, ui, errors, testing::Utf8(folder.path()), "SETUP"};
  std::vector<std::string> seen;
  g_operator = [&] {
    HWND form = FindWindowW(L"KivrelForm1", L"Kivrel Preprocessor v4.0.1");
    if (form == nullptr) {
      seen.push_back("no dialog");
      return;
    }
    HWND x = GetDlgItem(form, FieldId(Field::txtxscale));
    SetFocus(x);
    SendMessageW(x, EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"3")) SendMessageW(x, WM_CHAR, c, 0);
    seen.push_back(std::filesystem::exists(folder.path() / "prepre.res") ? "result before close" : "no result yet");
    SendMessageW(GetDlgItem(form, Dialog::kSave), BM_CLICK, 0, 0);
    seen.push_back(ReadFile(folder / "kivrel.prm").substr(14, 14));
    PostMessageW(form, WM_CLOSE, 0, 0);
  };
  SetTimer(nullptr, 0, 100, Act);
  EXPECT_EQ(RunProgram(platform), ExitStatus::Done);
  EXPECT_EQ(seen, (std::vector<std::string>{"no result yet", "3.0000000000\r\n"}));
  EXPECT_EQ(ReadFile(folder / "prepre.res"), testing::kSetupResult);
}

// The text of a message box: the static control that is no icon.
std::string BoxText(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t kind[32];
    GetClassNameW(child, kind, 32);
    if (std::wstring(kind) == L"Static" && (GetWindowLongPtrW(child, GWL_STYLE) & SS_ICON) != SS_ICON &&
        !win32::WindowText(child).empty()) {
      return win32::Narrow(win32::WindowText(child));
    }
  }
  return "";
}

// A host waiting for the answer takes no input: the box must stay above the
// host's window when the operator clicks there, and offer no button that
// takes it out of sight.
bool OnTop(HWND box) { return (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
bool Minimizable(HWND box) { return (GetWindowLongPtrW(box, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0; }

// A real message box, answered by a timer as an operator would.
TEST(Win32MessageBoxes, RealBoxesWaitForTheirAnswer) {
  Win32MessageBoxes boxes;
  std::string title;
  std::string text;
  bool on_top = false;
  bool minimizable = true;
  g_operator = [&] {
    HWND box = FindWindowW(L"#32770", L"Kivrel Preprocessor");
    ASSERT_NE(box, nullptr);
    title = win32::Narrow(win32::WindowText(box));
    HWND no = GetDlgItem(box, IDNO);
    ASSERT_NE(no, nullptr);
    EXPECT_EQ(GetDlgItem(box, IDOK), nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(box, IDYES), GWL_STYLE) & BS_DEFPUSHBUTTON) << "Yes is the default";
    text = BoxText(box);
    on_top = OnTop(box);
    minimizable = Minimizable(box);
    SendMessageW(no, BM_CLICK, 0, 0);
  };
  SetTimer(nullptr, 0, 100, Act);
  EXPECT_FALSE(boxes.Ask("Do you want to swap the X and Y display order?"));
  EXPECT_EQ(title, "Kivrel Preprocessor");
  EXPECT_EQ(text, "Do you want to swap the X and Y display order?");
  EXPECT_TRUE(on_top) << "the question stays above other windows";
  EXPECT_FALSE(minimizable) << "the question has no minimize button";

  text.clear();
  on_top = false;
  minimizable = true;
  g_operator = [&] {
    HWND box = FindWindowW(L"#32770", L"Kivrel Preprocessor");
    ASSERT_NE(box, nullptr);
    text = BoxText(box);
    on_top = OnTop(box);
    minimizable = Minimizable(box);
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  };
  SetTimer(nullptr, 0, 100, Act);
  boxes.Notify("part.nc: Line 2: R words are not scaled");
  EXPECT_EQ(text, "part.nc: Line 2: R words are not scaled");
  EXPECT_TRUE(on_top) << "the notice stays above other windows";
  EXPECT_FALSE(minimizable) << "the notice has no minimize button";
}

}  // namespace
}  // namespace kivrel
