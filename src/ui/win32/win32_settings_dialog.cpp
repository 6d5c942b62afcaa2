#include "ui/win32/win32_settings_dialog.h"

#include <commctrl.h>

#include "ui/win32/win32_window.h"

namespace kivrel {
namespace {

using dialog_layout::kFieldRows;

constexpr int kLabelOfField[kFieldCount] = {
    Win32SettingsDialog::kLabel1, Win32SettingsDialog::kLabel2, Win32SettingsDialog::kLabel6,
    Win32SettingsDialog::kLabel3, Win32SettingsDialog::kLabel4, Win32SettingsDialog::kLabel7,
    Win32SettingsDialog::kLabel8,
};

int FieldId(Field field) { return Win32SettingsDialog::kFirstField + static_cast<int>(field); }

MouseButton ButtonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN: return MouseButton::Right;
    case WM_LBUTTONDOWN: return MouseButton::Left;
    default: return MouseButton::Middle;
  }
}

unsigned ModifiersOf(WPARAM keys) {
  unsigned modifiers = kNoModifier;
  if (keys & MK_SHIFT) modifiers |= kShift;
  if (keys & MK_CONTROL) modifiers |= kControl;
  if (GetKeyState(VK_MENU) < 0) modifiers |= kAlt;
  return modifiers;
}

}  // namespace

Win32SettingsDialog::Win32SettingsDialog(DialogModel& model, const SettingsEnvironment& environment,
                                         MessageBoxes& boxes)
    : model_(model), environment_(environment), boxes_(boxes), dpi_(win32::ScreenDpi()) {
  model_.Prepare();
  font_ = win32::SystemFont(8, dpi_);
  const wchar_t* window_class = win32::RegisterWindowClass(L"KivrelForm1", Procedure, COLOR_BTNFACE);
  window_ = win32::CreateFixedWindow(window_class, win32::Wide(model_.Caption()), dialog_layout::kWidth,
                                     dialog_layout::kHeight, dpi_, this);
  Build();
  model_.SetListener([this] { Refresh(); });
  Refresh();
}

Win32SettingsDialog::~Win32SettingsDialog() {
  model_.SetListener(nullptr);
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

HWND Win32SettingsDialog::Add(const wchar_t* window_class, const wchar_t* text, DWORD style, const TwipsRect& place,
                              int id) {
  const RECT box = win32::PixelRect(place, dpi_);
  HWND control = CreateWindowExW(0, window_class, text, WS_CHILD | WS_VISIBLE | style, box.left, box.top,
                                 box.right - box.left, box.bottom - box.top, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

void Win32SettingsDialog::Build() {
  // Created in the order of the tab indexes, which is the order the Tab key
  // visits them in.
  constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  constexpr DWORD kLabel = SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
  constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
  auto field = [&](Field f) {
    Add(L"EDIT", L"", kEdit, kFieldRows[static_cast<int>(f)].box, FieldId(f));
  };
  auto label = [&](Field f) {
    const int row = static_cast<int>(f);
    HWND control =
        Add(L"STATIC", win32::Wide(DialogModel::LabelOf(f)).c_str(), kLabel, kFieldRows[row].label, kLabelOfField[row]);
    if (f == Field::txtyscale || f == Field::txtxscale) {
      SetWindowSubclass(control, LabelProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
    }
  };
  field(Field::txtyscale);
  Add(L"BUTTON", L"Save", WS_TABSTOP | BS_OWNERDRAW, dialog_layout::kSavePlace, kSave);
  Add(L"BUTTON", L"Cancel/Close", kButton, dialog_layout::kClosePlace, kCancel);
  label(Field::txtyscale);
  field(Field::txtxscale);
  label(Field::txtxscale);
  field(Field::txtascale);
  label(Field::txtascale);
  field(Field::txtzscale);
  label(Field::txtzscale);
  field(Field::txtfeedscale);
  label(Field::txtfeedscale);
  Add(L"BUTTON", L"Exchange X,Y", WS_TABSTOP | BS_CHECKBOX, dialog_layout::kExchangePlace, kExchange);
  Add(L"EDIT", win32::Wide(DialogModel::HelpText()).c_str(), WS_BORDER | ES_MULTILINE | ES_READONLY,
      dialog_layout::kWarningPlace, kWarning);
  Add(L"STATIC", win32::Wide(dialog_layout::kNote).c_str(), kLabel, dialog_layout::kNotePlace, kLabel5);
  Add(L"BUTTON", L"Conv. Inches to MM", kButton, dialog_layout::kInchesPlace, kInches);
  Add(L"BUTTON", L"Conv. MM to Inches", kButton, dialog_layout::kMillimetresPlace, kMillimetres);
  label(Field::txtfeedadd);
  field(Field::txtfeedadd);
  field(Field::txtspinrpm);
  label(Field::txtspinrpm);
}

COLORREF Win32SettingsDialog::SaveFace() const {
  return model_.Unsaved() ? RGB(255, 0, 0) : GetSysColor(COLOR_BTNFACE);
}

void Win32SettingsDialog::Refresh() {
  if (window_ == nullptr) return;
  refreshing_ = true;
  SetWindowTextW(window_, win32::Wide(model_.Caption()).c_str());
  for (int i = 0; i < kFieldCount; ++i) {
    HWND edit = Control(FieldId(static_cast<Field>(i)));
    const std::wstring text = win32::Wide(model_.Text(static_cast<Field>(i)));
    if (win32::WindowText(edit) != text) SetWindowTextW(edit, text.c_str());
  }
  SendMessageW(Control(kExchange), BM_SETCHECK, model_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  MoveRows();
  InvalidateRect(Control(kSave), nullptr, TRUE);
  refreshing_ = false;
}

void Win32SettingsDialog::MoveRows() {
  // The X and Y rows stand where the model puts them. A moved control is
  // drawn afresh at its new place, never by copying its old pixels there: the
  // two rows trade places, so a copy would show one label twice. The place
  // each left behind is painted again too.
  const int moving[] = {FieldId(Field::txtyscale), kLabel1, FieldId(Field::txtxscale), kLabel2};
  bool moved = false;
  for (int i = 0; i < 4; ++i) {
    HWND control = Control(moving[i]);
    const TwipsRect place = model_.Place(static_cast<MovingControl>(i));
    POINT at{win32::Pixels(place.left, dpi_), win32::Pixels(place.top, dpi_)};
    RECT now;
    GetWindowRect(control, &now);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&now), 2);
    if (now.left == at.x && now.top == at.y) continue;
    SetWindowPos(control, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    moved = true;
  }
  if (moved) RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32SettingsDialog::Command(int id, int notification) {
  if (id >= kFirstField && id < kFirstField + kFieldCount) {
    if (notification == EN_CHANGE && !refreshing_) {
      const Field field = static_cast<Field>(id - kFirstField);
      model_.EditText(field, win32::Narrow(win32::WindowText(Control(id))));
    }
    return;
  }
  if (notification != BN_CLICKED) return;
  switch (id) {
    case kExchange: model_.ClickCheck(); break;
    case kSave: model_.Save(environment_); break;
    case kCancel: DestroyWindow(window_); break;
    case kInches: model_.InchesToMillimetres(); break;
    case kMillimetres: model_.MillimetresToInches(); break;
    default: break;  // IDOK and IDCANCEL from Enter and Escape: nothing
  }
}

void Win32SettingsDialog::DrawSave(const DRAWITEMSTRUCT& item) {
  RECT box = item.rcItem;
  HBRUSH face = CreateSolidBrush(SaveFace());
  FillRect(item.hDC, &box, face);
  DeleteObject(face);
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  DrawEdge(item.hDC, &box, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(item.hDC, font_);
  RECT text = box;
  if (pressed) OffsetRect(&text, 1, 1);
  DrawTextW(item.hDC, L"Save", 4, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, old);
  if ((item.itemState & ODS_FOCUS) != 0) {
    InflateRect(&box, -4, -4);
    DrawFocusRect(item.hDC, &box);
  }
}

void Win32SettingsDialog::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  SetFocus(Control(FieldId(Field::txtyscale)));
}

void Win32SettingsDialog::ShowModal() {
  Show();
  MSG message;
  while (window_ != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab and the arrow keys move between the controls; Enter and Escape
    // become IDOK and IDCANCEL, which do nothing here.
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

LRESULT Win32SettingsDialog::Handle(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(w), HIWORD(w));
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (item->CtlID == static_cast<UINT>(kSave)) {
        DrawSave(*item);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
      // The read-only help box stands on the menu colour.
      if (reinterpret_cast<HWND>(l) == GetDlgItem(window, kWarning)) {
        HDC dc = reinterpret_cast<HDC>(w);
        SetBkColor(dc, GetSysColor(COLOR_MENU));
        SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENU));
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, w, l);
}

LRESULT CALLBACK Win32SettingsDialog::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = static_cast<Win32SettingsDialog*>(win32::WindowOwner(window, message, l));
  if (self == nullptr) return DefWindowProcW(window, message, w, l);
  if (message == WM_NCDESTROY) {
    // Closed by Cancel/Close or the close box: edits not saved are lost.
    self->window_ = nullptr;
    return DefWindowProcW(window, message, w, l);
  }
  return self->Handle(window, message, w, l);
}

LRESULT CALLBACK Win32SettingsDialog::LabelProcedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                                     DWORD_PTR self) {
  if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
    auto* dialog = reinterpret_cast<Win32SettingsDialog*>(self);
    dialog->model_.LabelPressed(ButtonOf(message), ModifiersOf(w), dialog->boxes_);
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, LabelProcedure, 1);
  return DefSubclassProc(window, message, w, l);
}

}  // namespace kivrel
