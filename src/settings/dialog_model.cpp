#include "settings/dialog_model.h"

#include <cfloat>
#include <cmath>
#include <optional>

#include "common/failure.h"
#include "common/version.h"
#include "numbers/fixed_text.h"
#include "numbers/leading_number.h"
#include "settings/strict_number.h"
#include "settings/unit_factors.h"

namespace kivrel {
namespace {

constexpr const char* kUnableToSave = "Unable to save. Try again.";

// The setting each field edits, in field order.
float Settings::*const kSettingOf[kFieldCount] = {
    &Settings::YScale,    &Settings::XScale,  &Settings::ZScale,    &Settings::AScale,
    &Settings::FeedScale, &Settings::FeedAdd, &Settings::SpindleRPM,
};

constexpr const char* kLabels[kFieldCount] = {
    "Y Scale Multiplier", "X Scale Multiplier", "Z Scale Multiplier", "A Scale Multiplier",
    "Feed Rate Multiplier", "Feed Rate Add", "Spindle RPM",
};

// The fields the unit buttons set, in the order they set them.
constexpr Field kScaleFields[] = {Field::txtyscale, Field::txtxscale, Field::txtzscale,
                                  Field::txtascale, Field::txtfeedscale};

TwipsRect& PlaceOf(std::array<TwipsRect, 4>& places, MovingControl control) {
  return places[static_cast<int>(control)];
}

}  // namespace

DialogModel::DialogModel(Settings& settings) : settings_(settings) {
  texts_ = {"1", "1", "1", "1", "1", "0", "0"};  // the design values
  for (int i = 0; i < 4; ++i) places_[static_cast<std::size_t>(i)] = kDesignedPlace[i];
}

const std::string& DialogModel::HelpText() {
  static const std::string text =
      "Warning: If you have arcs in the file and you set the scale multipliers for the two axes "
      "that make those arcs to different values, the arcs will be cut improperly, and jump at the "
      "ends. \r\n\r\n"
      "To rotate the part in X,Y, check the exchange box and enter the appropriate negative "
      "scales. For 90deg ccw, make Y negative and check the XYExchange box, for 90deg cw, make X "
      "negative and check the XY exchange box. For 180 about the origin, make X and Y negative and "
      "do not check the XYexchange box.\r\n\r\n"
      "If a scale is entered as 0, that axis will be COMPLETELY REMOVED from the Gcode.\r\n\r\n"
      "To leave spindle speeds unchanged, set the value to 0";
  return text;
}

const char* DialogModel::LabelOf(Field field) { return kLabels[static_cast<int>(field)]; }

void DialogModel::ShowSetting(Field field) {
  EditText(field, RenderSingle(settings_.*kSettingOf[static_cast<int>(field)],
                               field == Field::txtspinrpm ? Pattern::Whole : Pattern::TenDecimals));
}

void DialogModel::Prepare() {
  if (prepared_) return;
  prepared_ = true;
  for (Field field : kScaleFields) ShowSetting(field);
  if (settings_.XYexchange && !checked_) {
    checked_ = true;
    SetUnsaved(true);
  }
  ShowSetting(Field::txtspinrpm);
  ShowSetting(Field::txtfeedadd);
  caption_ += VersionText();
  Changed();
}

void DialogModel::ClearUnsavedMark() {
  Prepare();
  SetUnsaved(false);
  Changed();
}

void DialogModel::SwapXYDisplayOrder() {
  Prepare();
  const TwipsRect text_x = Place(MovingControl::txtxscale);
  const TwipsRect label_x = Place(MovingControl::Label2);
  TwipsRect& label2 = PlaceOf(places_, MovingControl::Label2);
  TwipsRect& label1 = PlaceOf(places_, MovingControl::Label1);
  TwipsRect& txtx = PlaceOf(places_, MovingControl::txtxscale);
  TwipsRect& txty = PlaceOf(places_, MovingControl::txtyscale);
  label2.top = label1.top;
  label2.left = label1.left;
  txtx.top = txty.top;
  txtx.left = txty.left;
  label1.top = label_x.top;
  label1.left = label_x.left;
  txty.top = text_x.top;
  txty.left = text_x.left;
  settings_.XYdisplayswap = !settings_.XYdisplayswap;
  Changed();
}

void DialogModel::EditText(Field field, const std::string& text) {
  std::string& current = texts_[static_cast<int>(field)];
  if (current == text) return;
  current = text;
  SetUnsaved(true);
  Changed();
}

void DialogModel::ClickCheck() {
  checked_ = !checked_;
  SetUnsaved(true);
  Changed();
}

bool DialogModel::Save(const SettingsEnvironment& environment) {
  if (LeadingNumber(Text(Field::txtfeedscale)) < 0) {
    environment.boxes.Notify(kNegativeMultiplier);
    return false;
  }
  // Each field must be wholly a number, read as the parameter file reads
  // it: "abc" would store 0, which removes an axis from every program. A
  // value beyond the 32-bit range could not be read back at the next start,
  // which would then reset every setting.
  std::array<float, kFieldCount> values{};
  for (int i = 0; i < kFieldCount; ++i) {
    const std::string& text = texts_[static_cast<std::size_t>(i)];
    const std::optional<float> value = StrictNumber(text);
    if (!value) {
      const bool too_large = !(std::fabs(LeadingNumber(text)) <= FLT_MAX);
      environment.boxes.Notify(std::string("The value for ") + kLabels[i] +
                               (too_large ? " is too large to be stored." : " is not a number.") +
                               " Nothing was saved.");
      return false;
    }
    values[static_cast<std::size_t>(i)] = *value;
  }
  for (int i = 0; i < kFieldCount; ++i) settings_.*kSettingOf[i] = values[static_cast<std::size_t>(i)];
  settings_.XYexchange = checked_;
  bool saved = false;
  try {
    saved = SaveSettings(settings_, environment);
  } catch (const Failure&) {
    // Not even a new file could be created (a read-only folder, say): the
    // dialog stays open and marked, and the operator may try again.
    environment.boxes.Notify(kUnableToSave);
  }
  if (!saved) return false;
  // The fields now show the values as stored.
  for (int i = 0; i < kFieldCount; ++i) ShowSetting(static_cast<Field>(i));
  SetUnsaved(false);
  Changed();
  return true;
}

void DialogModel::SetFactor(float value, const char* text) {
  for (Field field : kScaleFields) {
    settings_.*kSettingOf[static_cast<int>(field)] = value;
    EditText(field, text);
  }
}

void DialogModel::InchesToMillimetres() { SetFactor(kInchesToMillimetres, "25.4"); }

void DialogModel::MillimetresToInches() { SetFactor(kMillimetresToInches, "0.039370078740"); }

void DialogModel::LabelPressed(MouseButton button, unsigned modifiers, MessageBoxes& boxes) {
  if (button != MouseButton::Right || modifiers != kShift) return;
  if (!boxes.Ask(kSwapQuestion)) return;
  SwapXYDisplayOrder();
  SetUnsaved(true);
  Changed();
}

void DialogModel::SetUnsaved(bool unsaved) { unsaved_ = unsaved; }

void DialogModel::Changed() {
  if (listener_) listener_();
}

}  // namespace kivrel
