#pragma once

#include "settings/settings.h"

namespace kivrel {

// What loading and saving the parameter file ask of the settings dialog,
// which works on one settings record. Without windows, NoDialog answers.
class DialogHooks {
 public:
  virtual ~DialogHooks() = default;
  // The dialog now agrees with the parameter file.
  virtual void ClearUnsavedMark() = 0;
  // Exchanges the X and Y rows of the dialog and toggles XYdisplayswap.
  virtual void SwapXYDisplayOrder() = 0;
};

// No dialog: there is no mark to clear and no row to move.
class NoDialog final : public DialogHooks {
 public:
  explicit NoDialog(Settings& settings) : settings_(settings) {}
  void ClearUnsavedMark() override {}
  void SwapXYDisplayOrder() override { settings_.XYdisplayswap = !settings_.XYdisplayswap; }

 private:
  Settings& settings_;
};

}  // namespace kivrel
