#include "ui/progress_window.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "common/version.h"
#include "ui/progress_layout.h"
#include "ui/system_font.h"
#include "ui/twips.h"

namespace kivrel {
namespace {

using progress_layout::kTrack;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const TwipsRect& place,
                  double points) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(PixelRect(place));
  label->setFont(SystemFont(points));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

ProgressWindow::ProgressWindow()
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("Form2");
  setWindowTitle(progress_layout::kCaption);
  setFixedSize(Pixels(progress_layout::kWidth), Pixels(progress_layout::kHeight));
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);

  QLabel* title = MakeLabel(this, "Label2", "Kivrel", progress_layout::kTitlePlace, 18);
  title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  MakeLabel(this, "Label3", "Version:" + QString::number(kResultVersion), progress_layout::kVersionPlace, 13.5);
  QLabel* processing = MakeLabel(this, "Label1", "Processing...", progress_layout::kProcessingPlace, 12);
  QPalette white = processing->palette();
  white.setColor(QPalette::WindowText, Qt::white);
  processing->setPalette(white);
  processing->setAttribute(Qt::WA_TranslucentBackground);
  processing->raise();  // above the bar
}

int ProgressWindow::FillPixels() const {
  return Pixels(fill_.DrawnWidth());
}

void ProgressWindow::Show() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  show();
}

void ProgressWindow::Repaint() {
  if (!isVisible() || !fill_.Changed(FillPixels())) return;
  repaint();
}

void ProgressWindow::ProcessEvents() { QCoreApplication::processEvents(); }

void ProgressWindow::SetFill(double fraction) { fill_.Set(fraction); }

void ProgressWindow::Close() { close(); }

void ProgressWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect track = PixelRect(kTrack);
  painter.fillRect(track, Qt::black);  // Shape1
  const int pixels = FillPixels();
  fill_.Painted(pixels);
  const QRect fill(track.left(), track.top(), pixels, track.height());  // Shape2
  painter.fillRect(fill, QColor(0, 192, 0));
  painter.setPen(Qt::black);
  painter.drawRect(fill.adjusted(0, 0, -1, -1));
}

}  // namespace kivrel
