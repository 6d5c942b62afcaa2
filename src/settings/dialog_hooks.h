#pragma once

#include "settings/settings.h"

namespace kivrel {

// What loading and saving the parameter file ask of the settings dialog.
// The dialog answers them once it exists; until then NoDialog does.
class DialogHooks {
 public:
  virtual ~DialogHooks() = default;
  // The dialog now agrees with the parameter file.
  virtual void ClearUnsavedMark() = 0;
  // Exchanges the X and Y rows of the dialog and toggles XYdisplayswap.
  virtual void SwapXYDisplayOrder(Settings& settings) = 0;
};

// No dialog: there is no mark to clear and no row to move.
class NoDialog final : public DialogHooks {
 public:
  void ClearUnsavedMark() override {}
  void SwapXYDisplayOrder(Settings& settings) override {
    settings.XYdisplayswap = !settings.XYdisplayswap;
  }
};

}  // namespace kivrel
