#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/disk_file_system.h"
#include "settings/dialog_model.h"
#include "settings/parameter_file.h"
#include "support/fake_platform.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace kivrel::testing {

// One start in setup mode, for the settings dialog of either toolkit: the
// default parameter file written, the settings loaded, then the dialog built.
template <typename Dialog>
class SetupStart : public ::testing::Test {
 protected:
  SetupStart() { WriteFile(path, kDefaultPrm); }

  // Builds the dialog afresh; the test shows it.
  void Build() {
    dialog.reset();
    settings = Settings{};
    model = std::make_unique<DialogModel>(settings);
    LoadSettings(settings, Environment());
    dialog = std::make_unique<Dialog>(*model, Environment(), boxes);
  }
  SettingsEnvironment Environment() { return {files, boxes, *model, path}; }

  TempFolder folder;
  std::string path = folder / "kivrel.prm";
  DiskFileSystem files;
  RecordingMessageBoxes boxes;
  Settings settings;
  std::unique_ptr<DialogModel> model;
  std::unique_ptr<Dialog> dialog;
};

}  // namespace kivrel::testing
