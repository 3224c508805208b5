#include "windows/THandScanForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "app/Console.h"
#include "windows/PaintBox.h"

namespace kalvetro {

namespace {

constexpr int kPad = 256;
constexpr int kMarker = 20;
const QColor kWindowColour(200, 200, 255);

QCheckBox* MakeBox(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setToolTip(hint);
  // The boxes stand on the pad's edges: give them the window colour so that the hatching does
  // not run through their captions.
  box->setAutoFillBackground(true);
  return box;
}

}  // namespace

THandScanForm::THandScanForm(Console& console, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      console_(console) {
  setObjectName(QStringLiteral("HandScanForm"));
  setWindowTitle(QStringLiteral("Поле для ручного управления лучем сканера"));
  setFixedSize(kClientWidth, kClientHeight);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWindowColour);
  setPalette(palette);

  GroupBoxArea = new QGroupBox(QStringLiteral("Ручное управление лучем сканера "), this);
  GroupBoxArea->setObjectName(QStringLiteral("GroupBoxArea"));
  GroupBoxArea->setToolTip(QStringLiteral(
      "Положение курсора на поле воздействует на два канала, начиная с первой отметки в "
      "столбце =Выбор = "));
  GroupBoxArea->setGeometry(0, 0, kClientWidth, kClientHeight);

  ShapeCentr = new QWidget(GroupBoxArea);
  ShapeCentr->setObjectName(QStringLiteral("ShapeCentr"));
  ShapeCentr->setFixedSize(kMarker, kMarker);
  ShapeCentr->setAttribute(Qt::WA_TransparentForMouseEvents);
  // A yellow circle; its own widget paints it, so it is a plain child shaped by a mask.
  ShapeCentr->setAutoFillBackground(true);
  QPalette yellow = ShapeCentr->palette();
  yellow.setColor(QPalette::Window, Qt::yellow);
  ShapeCentr->setPalette(yellow);
  ShapeCentr->setMask(QRegion(0, 0, kMarker, kMarker, QRegion::Ellipse));
  ShapeCentr->move(kPadLeft + (kPad - kMarker) / 2, kPadTop + (kPad - kMarker) / 2);

  ShapeXY = new PaintBox(GroupBoxArea);
  ShapeXY->setObjectName(QStringLiteral("ShapeXY"));
  ShapeXY->setGeometry(kPadLeft, kPadTop, kPad, kPad);
  ShapeXY->setMouseTracking(true);
  ShapeXY->onPaint = [](QPainter& painter) {
    // Cross-hatched, with no background: the marker behind shows through.
    painter.setPen(Qt::black);
    painter.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
    painter.drawRect(0, 0, kPad - 1, kPad - 1);
  };
  ShapeXY->onMouseDown = [this](QMouseEvent* e) { ShapeXYMouseDown(e->position().toPoint()); };
  ShapeXY->onMouseMove = [this](QMouseEvent* e) { ShapeXYMouseMove(e->position().toPoint()); };
  ShapeXY->onMouseUp = [this](QMouseEvent*) { ShapeXYMouseUp(); };
  // The marker is sent behind the pad.
  ShapeCentr->stackUnder(ShapeXY);

  CheckBoxX =
      MakeBox(GroupBoxArea, "CheckBoxX", QStringLiteral("X=255"), QStringLiteral("Инверсия по X"));
  CheckBoxY =
      MakeBox(GroupBoxArea, "CheckBoxY", QStringLiteral("Y=255"), QStringLiteral("Инверсия по Y"));
  CheckBoxX_Y = MakeBox(GroupBoxArea, "CheckBoxX_Y", QStringLiteral("X<->Y"),
                        QStringLiteral("Меняет местами координаты  X <> Y "));
  CheckBoxManualArea = MakeBox(GroupBoxArea, "CheckBoxManualArea", QStringLiteral("Приоритет"),
                               QStringLiteral("Управлять в любом режиме"));
  // Each box on the middle of a pad edge, the corners stay free: "Y=255" at the top (the end
  // of the Y axis), "X=255" at the right, the swap at the bottom, the priority at the left.
  const int boxHeight = 18;
  CheckBoxY->setGeometry(kPadLeft + kPad / 2 - 32, kPadTop + 1, 64, boxHeight);
  CheckBoxX->setGeometry(kPadLeft + kPad - 65, kPadTop + kPad / 2 - boxHeight / 2, 64, boxHeight);
  CheckBoxX_Y->setGeometry(kPadLeft + kPad / 2 - 32, kPadTop + kPad - boxHeight - 1, 64, boxHeight);
  CheckBoxManualArea->setGeometry(kPadLeft + 1, kPadTop + kPad / 2 - boxHeight / 2, 90, boxHeight);
  connect(CheckBoxManualArea, &QCheckBox::clicked, this, &THandScanForm::CheckBoxManualAreaClick);

  // The priority lives only while no other window takes the focus: any change of the active
  // window, to this one or away from it, ends it.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { ClearPriority(); });
}

void THandScanForm::AreaItemClick() {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWindowColour);
  setPalette(palette);
  buttonHeld_ = false;
  show();
  raise();
  activateWindow();
}

void THandScanForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) ClearPriority();
  QWidget::changeEvent(event);
}

void THandScanForm::ClearPriority() {
  console_.Controls().pad.priority.store(false, kRelaxedOrder);
  CheckBoxManualArea->setChecked(false);
}

void THandScanForm::CheckBoxManualAreaClick() {
  console_.Controls().pad.priority.store(CheckBoxManualArea->isChecked(), kRelaxedOrder);
}

void THandScanForm::ShapeXYMouseDown(QPoint pos) {
  buttonHeld_ = true;
  mx_ = static_cast<std::uint8_t>(std::clamp(pos.x(), 0, kPad - 1));
  my_ = static_cast<std::uint8_t>(std::clamp(pos.y(), 0, kPad - 1));
  calcMouse();
}

void THandScanForm::ShapeXYMouseMove(QPoint pos) {
  mx_ = static_cast<std::uint8_t>(std::clamp(pos.x(), 0, kPad - 1));
  my_ = static_cast<std::uint8_t>(std::clamp(pos.y(), 0, kPad - 1));
  calcMouse();
}

void THandScanForm::ShapeXYMouseUp() {
  buttonHeld_ = false;
}

void THandScanForm::calcMouse() {
  int vx = mx_;
  int vy = 255 - my_;
  if (CheckBoxX->isChecked()) vx = 255 - vx;
  if (CheckBoxY->isChecked()) vy = 255 - vy;
  if (CheckBoxX_Y->isChecked()) std::swap(vx, vy);
  CheckBoxX->setText(QStringLiteral("X=%1").arg(vx));
  CheckBoxY->setText(QStringLiteral("Y=%1").arg(vy));
  // Without a held button only the captions follow the pointer.
  if (!buttonHeld_) return;

  ShapeCentr->move(mx_ + kMarker / 2 + ShapeXY->x() - 19, my_ + kMarker / 2 + ShapeXY->y() - 19);
  PadControls& pad = console_.Controls().pad;
  pad.x.store(static_cast<std::uint8_t>(vx), kRelaxedOrder);
  pad.y.store(static_cast<std::uint8_t>(vy), kRelaxedOrder);

  ShowState& show = console_.Show();
  const int row = SceneRowOffset(show.CurrentStep());
  for (int n = 1; n <= 255; ++n) {
    if (!console_.Selected(n)) continue;
    // The second channel of a pair never starts a pair itself.
    if (n < 255 && console_.Selected(n + 1)) console_.SetSelected(n + 1, false);
    if (show.playing.load()) continue;
    show.memory.Set(row + n, static_cast<std::uint8_t>(vx));
    // For channel 255 the Y lands on byte 0 of the next row (or the spare byte after scene
    // 255), which belongs to no channel.
    show.memory.Set(row + n + 1, static_cast<std::uint8_t>(vy));
  }
  console_.ReturnPageControlAll();
}

}  // namespace kalvetro
