#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/message_boxes.h"
#include "settings/dialog_hooks.h"
#include "settings/dialog_layout.h"
#include "settings/parameter_file.h"
#include "settings/settings.h"

namespace kivrel {

// The seven entry fields of the settings dialog, each paired with a setting.
enum class Field { txtyscale, txtxscale, txtzscale, txtascale, txtfeedscale, txtfeedadd, txtspinrpm };
inline constexpr int kFieldCount = 7;

enum class MouseButton { Left, Right, Middle };
// Modifier keys held during a mouse press, as a set of bits.
enum Modifier : unsigned { kNoModifier = 0, kShift = 1, kControl = 2, kAlt = 4 };

inline constexpr const char* kNegativeMultiplier = "You cannot have a negative speed multiplier";
inline constexpr const char* kSwapQuestion = "Do you want to swap the X and Y display order?";

// What the settings dialog shows and does, apart from drawing: the field
// texts, the check box, the unsaved mark and the places of the two rows that
// can be swapped. A window binds to it; tests drive it directly.
class DialogModel : public DialogHooks {
 public:
  explicit DialogModel(Settings& settings);

  // Fills the fields, the check box, the help text and the caption from the
  // settings, once; the hooks and the window call it before anything else.
  void Prepare();

  // DialogHooks: both prepare the dialog first.
  void ClearUnsavedMark() override;
  void SwapXYDisplayOrder() override;

  const std::string& Text(Field field) const { return texts_[static_cast<int>(field)]; }
  bool Checked() const { return checked_; }
  bool Unsaved() const { return unsaved_; }
  const std::string& Caption() const { return caption_; }
  TwipsRect Place(MovingControl control) const { return places_[static_cast<int>(control)]; }

  // A field's text changes (typed or assigned); a change sets the mark.
  void EditText(Field field, const std::string& text);
  // A click on "Exchange X,Y": toggles the box and sets the mark.
  void ClickCheck();

  // "Save": refuses a negative feed-rate multiplier, and a field that is not
  // wholly a number or lies beyond the 32-bit range (saying which field),
  // else stores every field in the settings and writes the parameter file.
  // True when the file was written; the fields then show the values as
  // stored.
  bool Save(const SettingsEnvironment& environment);

  // "Conv. Inches to MM" and "Conv. MM to Inches": the four scales and the
  // feed-rate multiplier become the factor, in the settings and the fields.
  void InchesToMillimetres();
  void MillimetresToInches();

  // A mouse press on Label1 or Label2: a right click with Shift alone asks
  // to swap the X and Y rows, and Yes swaps them and sets the mark.
  void LabelPressed(MouseButton button, unsigned modifiers, MessageBoxes& boxes);

  // Called after every change, so that a window can show it.
  void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

  // The help text beside the fields.
  static const std::string& HelpText();
  // The caption of the label beside a field ("Y Scale Multiplier", ...).
  static const char* LabelOf(Field field);

 private:
  void SetUnsaved(bool unsaved);
  // The field shows its setting as stored.
  void ShowSetting(Field field);
  void SetFactor(float value, const char* text);
  void Changed();

  Settings& settings_;
  bool prepared_ = false;
  std::array<std::string, kFieldCount> texts_;
  bool checked_ = false;
  bool unsaved_ = false;
  std::string caption_ = "Kivrel Preprocessor v";
  std::array<TwipsRect, 4> places_;
  std::function<void()> listener_;
};

}  // namespace kivrel
