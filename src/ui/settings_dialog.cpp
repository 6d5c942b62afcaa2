#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <functional>

#include "ui/system_font.h"
#include "ui/twips.h"

namespace kivrel {
namespace {

// A label that reports mouse presses with their button and modifier keys.
class PressLabel : public QLabel {
 public:
  PressLabel(const QString& text, QWidget* parent, std::function<void(QMouseEvent*)> pressed)
      : QLabel(text, parent), pressed_(std::move(pressed)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override { pressed_(event); }

 private:
  std::function<void(QMouseEvent*)> pressed_;
};

MouseButton ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton: return MouseButton::Right;
    case Qt::LeftButton: return MouseButton::Left;
    default: return MouseButton::Middle;
  }
}

unsigned ModifiersOf(Qt::KeyboardModifiers modifiers) {
  unsigned result = kNoModifier;
  if (modifiers & Qt::ShiftModifier) result |= kShift;
  if (modifiers & Qt::ControlModifier) result |= kControl;
  if (modifiers & Qt::AltModifier) result |= kAlt;
  return result;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const TwipsRect& place) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(PixelRect(place));
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

SettingsDialog::SettingsDialog(DialogModel& model, const SettingsEnvironment& environment,
                               MessageBoxes& boxes)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      model_(model),
      environment_(environment),
      boxes_(boxes) {
  setObjectName("Form1");
  setFixedSize(Pixels(dialog_layout::kWidth), Pixels(dialog_layout::kHeight));
  setFont(SystemFont(8));  // the default system font the layout is drawn for
  model_.Prepare();

  auto* warning = new QPlainTextEdit(this);
  warning->setObjectName("warning");
  warning->setGeometry(PixelRect(dialog_layout::kWarningPlace));
  warning->setReadOnly(true);
  warning->setFocusPolicy(Qt::NoFocus);
  warning->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  warning->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  warning->setPlainText(QString::fromLatin1(DialogModel::HelpText().c_str()).replace("\r\n", "\n"));
  QPalette menu = warning->palette();
  menu.setColor(QPalette::Base, menu.color(QPalette::Window));
  warning->setPalette(menu);

  auto* note = new QLabel(dialog_layout::kNote, this);
  note->setObjectName("Label5");
  note->setGeometry(PixelRect(dialog_layout::kNotePlace));
  note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto label_pressed = [this](QMouseEvent* event) {
    model_.LabelPressed(ButtonOf(event->button()), ModifiersOf(event->modifiers()), boxes_);
  };
  for (int i = 0; i < kFieldCount; ++i) {
    const dialog_layout::FieldRow& control = dialog_layout::kFieldRows[i];
    auto* edit = new QLineEdit(this);
    edit->setObjectName(control.box_name);
    edit->setGeometry(PixelRect(control.box));
    const Field field = static_cast<Field>(i);
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
      model_.EditText(field, text.toLocal8Bit().toStdString());
    });
    fields_[static_cast<std::size_t>(field)] = edit;
    QLabel* label = (field == Field::txtyscale || field == Field::txtxscale)
                        ? new PressLabel(DialogModel::LabelOf(field), this, label_pressed)
                        : new QLabel(DialogModel::LabelOf(field), this);
    label->setObjectName(control.label_name);
    label->setGeometry(PixelRect(control.label));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  moving_ = {fields_[0], findChild<QLabel*>("Label1"), fields_[1], findChild<QLabel*>("Label2")};

  exchange_ = new QCheckBox("Exchange X,Y", this);
  exchange_->setObjectName("chkxyexchange");
  exchange_->setGeometry(PixelRect(dialog_layout::kExchangePlace));
  connect(exchange_, &QCheckBox::clicked, this, [this] { model_.ClickCheck(); });

  QPushButton* inches = MakeButton(this, "Command3", "Conv. Inches to MM", dialog_layout::kInchesPlace);
  QPushButton* millimetres = MakeButton(this, "Command4", "Conv. MM to Inches", dialog_layout::kMillimetresPlace);
  QPushButton* close_button = MakeButton(this, "Command2", "Cancel/Close", dialog_layout::kClosePlace);
  save_ = MakeButton(this, "Command1", "Save", dialog_layout::kSavePlace);
  connect(inches, &QPushButton::clicked, this, [this] { model_.InchesToMillimetres(); });
  connect(millimetres, &QPushButton::clicked, this, [this] { model_.MillimetresToInches(); });
  connect(close_button, &QPushButton::clicked, this, [this] { close(); });
  connect(save_, &QPushButton::clicked, this, [this] { model_.Save(environment_); });

  // The focus moves in the order of the controls' tab indexes.
  QWidget* order[] = {fields_[0], save_,     close_button, fields_[1], fields_[3], fields_[2],
                      fields_[4], exchange_, inches,       millimetres, fields_[5], fields_[6]};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  model_.SetListener([this] { Refresh(); });
  Refresh();
}

SettingsDialog::~SettingsDialog() { model_.SetListener(nullptr); }

void SettingsDialog::Refresh() {
  setWindowTitle(QString::fromLocal8Bit(model_.Caption().c_str()));
  for (int i = 0; i < kFieldCount; ++i) {
    const QString text = QString::fromLocal8Bit(model_.Text(static_cast<Field>(i)).c_str());
    QLineEdit* edit = fields_[static_cast<std::size_t>(i)];
    if (edit->text() != text) {
      const QSignalBlocker quiet(edit);
      edit->setText(text);
    }
  }
  {
    const QSignalBlocker quiet(exchange_);
    exchange_->setChecked(model_.Checked());
  }
  save_->setStyleSheet(model_.Unsaved() ? "background-color: rgb(255, 0, 0);" : "");
  for (int i = 0; i < 4; ++i) {
    const TwipsRect place = model_.Place(static_cast<MovingControl>(i));
    moving_[static_cast<std::size_t>(i)]->move(Pixels(place.left), Pixels(place.top));
  }
}

void SettingsDialog::ShowModal() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  fields_[0]->setFocus();
  exec();
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace kivrel
