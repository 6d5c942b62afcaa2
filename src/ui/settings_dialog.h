#pragma once

#include <QDialog>
#include <array>

#include "settings/dialog_model.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kivrel {

// Form1: the settings dialog, a view over DialogModel. Every control sits at
// its place in twips; the model decides everything else.
class SettingsDialog : public QDialog {
 public:
  SettingsDialog(DialogModel& model, const SettingsEnvironment& environment, MessageBoxes& boxes);
  ~SettingsDialog() override;

  // Shows the dialog centred on the screen and returns when it has closed.
  void ShowModal();

 protected:
  // Esc does not close the dialog: it has no cancel button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Refresh();

  DialogModel& model_;
  SettingsEnvironment environment_;
  MessageBoxes& boxes_;
  std::array<QLineEdit*, kFieldCount> fields_{};
  QCheckBox* exchange_ = nullptr;
  QPushButton* save_ = nullptr;
  std::array<QWidget*, 4> moving_{};
};

}  // namespace kivrel
