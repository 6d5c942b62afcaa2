// Renders the two windows on Qt's offscreen platform and saves them as PNG
// files, for the README: screenshots FOLDER
#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <iostream>

#include "platform/disk_file_system.h"
#include "settings/dialog_model.h"
#include "ui/progress_window.h"
#include "ui/qt_message_boxes.h"
#include "ui/settings_dialog.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: screenshots FOLDER\n";
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);

  kivrel::Settings settings;
  kivrel::AssignDefaults(settings);
  kivrel::DialogModel model(settings);
  model.ClearUnsavedMark();
  kivrel::DiskFileSystem files;
  kivrel::QtMessageBoxes boxes;
  kivrel::SettingsEnvironment environment{files, boxes, model, "/nonexistent/kivrel.prm"};
  kivrel::SettingsDialog dialog(model, environment, boxes);
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return 1;
  bool saved = dialog.grab().save(folder + "/settings-dialog.png");

  kivrel::ProgressWindow progress;
  progress.Show();
  if (!QTest::qWaitForWindowExposed(&progress)) return 1;
  progress.SetFill(0.42);
  progress.Repaint();
  saved = progress.grab().save(folder + "/progress-window.png") && saved;
  return saved ? 0 : 1;
}
