#pragma once

#include <windows.h>

#include <array>

#include "settings/dialog_model.h"

namespace kivrel {

// Form1 as a native window over DialogModel: every control at its place in
// twips, in the font the layout was made for; the model decides the rest.
class Win32SettingsDialog {
 public:
  // Control identifiers, from 100 on: 1 and 2 are IDOK and IDCANCEL, which
  // Enter and Escape send and the dialog ignores.
  enum Control : int {
    kFirstField = 100,  // + Field, seven edit boxes
    kLabel1 = 120,
    kLabel2,
    kLabel3,
    kLabel4,
    kLabel5,
    kLabel6,
    kLabel7,
    kLabel8,
    kExchange = 130,
    kSave,
    kCancel,
    kInches,
    kMillimetres,
    kWarning,
  };

  Win32SettingsDialog(DialogModel& model, const SettingsEnvironment& environment, MessageBoxes& boxes);
  ~Win32SettingsDialog();
  Win32SettingsDialog(const Win32SettingsDialog&) = delete;
  Win32SettingsDialog& operator=(const Win32SettingsDialog&) = delete;

  // Shows the dialog centred on the screen and returns when it has closed.
  void ShowModal();
  // Shows it without waiting (for tests and screenshots).
  void Show();

  HWND window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  // The face colour the Save button is drawn with.
  COLORREF SaveFace() const;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK LabelProcedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self);
  LRESULT Handle(HWND window, UINT message, WPARAM w, LPARAM l);
  void Build();
  HWND Add(const wchar_t* window_class, const wchar_t* text, DWORD style, const TwipsRect& place, int id);
  void Command(int id, int notification);
  void DrawSave(const DRAWITEMSTRUCT& item);
  void Refresh();
  void MoveRows();

  DialogModel& model_;
  SettingsEnvironment environment_;
  MessageBoxes& boxes_;
  int dpi_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  bool refreshing_ = false;
};

}  // namespace kivrel
