// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/HandScanWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "ui/PaintBox.h"

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

HandScanWindow::HandScanWindow(Console& console, QWidget* parent)
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

  padGroup = new QGroupBox(QStringLiteral("Ручное управление лучем сканера "), this);
  padGroup->setObjectName(QStringLiteral("GroupBoxArea"));
  padGroup->setToolTip(QStringLiteral(
      "Положение курсора на поле воздействует на два канала, начиная с первой отметки в "
      "столбце =Выбор = "));
  padGroup->setGeometry(0, 0, kClientWidth, kClientHeight);

  centreMark = new QWidget(padGroup);
  centreMark->setObjectName(QStringLiteral("ShapeCentr"));
  centreMark->setFixedSize(kMarker, kMarker);
  centreMark->setAttribute(Qt::WA_TransparentForMouseEvents);
  // A yellow circle; its own widget paints it, so it is a plain child shaped by a mask.
  centreMark->setAutoFillBackground(true);
  QPalette yellow = centreMark->palette();
  yellow.setColor(QPalette::Window, Qt::yellow);
  centreMark->setPalette(yellow);
  centreMark->setMask(QRegion(0, 0, kMarker, kMarker, QRegion::Ellipse));
  centreMark->move(kPadLeft + (kPad - kMarker) / 2, kPadTop + (kPad - kMarker) / 2);

  padBox = new PaintBox(padGroup);
  padBox->setObjectName(QStringLiteral("ShapeXY"));
  padBox->setGeometry(kPadLeft, kPadTop, kPad, kPad);
  padBox->setMouseTracking(true);
  padBox->onPaint = [](QPainter& painter) {
    // Cross-hatched, with no background: the marker behind shows through.
    painter.setPen(Qt::black);
    painter.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
    painter.drawRect(0, 0, kPad - 1, kPad - 1);
  };
  padBox->onMouseDown = [this](QMouseEvent* e) { PressPad(e->position().toPoint()); };
  padBox->onMouseMove = [this](QMouseEvent* e) { DragPad(e->position().toPoint()); };
  padBox->onMouseUp = [this](QMouseEvent*) { ReleasePad(); };
  // The marker is sent behind the pad.
  centreMark->stackUnder(padBox);

  invertXBox =
      MakeBox(padGroup, "CheckBoxX", QStringLiteral("X=255"), QStringLiteral("Инверсия по X"));
  invertYBox =
      MakeBox(padGroup, "CheckBoxY", QStringLiteral("Y=255"), QStringLiteral("Инверсия по Y"));
  swapXYBox = MakeBox(padGroup, "CheckBoxX_Y", QStringLiteral("X<->Y"),
                      QStringLiteral("Меняет местами координаты  X <> Y "));
  priorityBox = MakeBox(padGroup, "CheckBoxManualArea", QStringLiteral("Приоритет"),
                        QStringLiteral("Управлять в любом режиме"));
  // Each box on the middle of a pad edge, the corners stay free: "Y=255" at the top (the end
  // of the Y axis), "X=255" at the right, the swap at the bottom, the priority at the left.
  // Each box is as wide as its text needs in the font in use, so no caption is cut.
  const int boxHeight = 18;
  auto width = [](QCheckBox* box, int least) { return std::max(least, box->sizeHint().width()); };
  const int yWidth = width(invertYBox, 64);
  const int xWidth = width(invertXBox, 64);
  const int swapWidth = width(swapXYBox, 64);
  invertYBox->setGeometry(kPadLeft + (kPad - yWidth) / 2, kPadTop + 1, yWidth, boxHeight);
  invertXBox->setGeometry(kPadLeft + kPad - xWidth - 1, kPadTop + kPad / 2 - boxHeight / 2, xWidth,
                          boxHeight);
  swapXYBox->setGeometry(kPadLeft + (kPad - swapWidth) / 2, kPadTop + kPad - boxHeight - 1,
                         swapWidth, boxHeight);
  priorityBox->setGeometry(kPadLeft + 1, kPadTop + kPad / 2 - boxHeight / 2, width(priorityBox, 90),
                           boxHeight);
  connect(priorityBox, &QCheckBox::clicked, this, &HandScanWindow::SwitchPadPriority);

  // The priority lives only while no other window takes the focus: any change of the active
  // window, to this one or away from it, ends it.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { ClearPriority(); });
}

void HandScanWindow::OpenHandScanWindow() {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWindowColour);
  setPalette(palette);
  buttonHeld_ = false;
  show();
  raise();
  activateWindow();
}

void HandScanWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) ClearPriority();
  QWidget::changeEvent(event);
}

void HandScanWindow::ClearPriority() {
  console_.Controls().pad.priority.store(false, kRelaxedOrder);
  priorityBox->setChecked(false);
}

void HandScanWindow::SwitchPadPriority() {
  console_.Controls().pad.priority.store(priorityBox->isChecked(), kRelaxedOrder);
}

void HandScanWindow::PressPad(QPoint pos) {
  buttonHeld_ = true;
  mx_ = static_cast<std::uint8_t>(std::clamp(pos.x(), 0, kPad - 1));
  my_ = static_cast<std::uint8_t>(std::clamp(pos.y(), 0, kPad - 1));
  SendPadPosition();
}

void HandScanWindow::DragPad(QPoint pos) {
  mx_ = static_cast<std::uint8_t>(std::clamp(pos.x(), 0, kPad - 1));
  my_ = static_cast<std::uint8_t>(std::clamp(pos.y(), 0, kPad - 1));
  SendPadPosition();
}

void HandScanWindow::ReleasePad() {
  buttonHeld_ = false;
}

void HandScanWindow::SendPadPosition() {
  int vx = mx_;
  int vy = 255 - my_;
  if (invertXBox->isChecked()) vx = 255 - vx;
  if (invertYBox->isChecked()) vy = 255 - vy;
  if (swapXYBox->isChecked()) std::swap(vx, vy);
  invertXBox->setText(QStringLiteral("X=%1").arg(vx));
  invertYBox->setText(QStringLiteral("Y=%1").arg(vy));
  // Without a held button only the captions follow the pointer.
  if (!buttonHeld_) return;

  centreMark->move(mx_ + kMarker / 2 + padBox->x() - 19, my_ + kMarker / 2 + padBox->y() - 19);
  PadControls& pad = console_.Controls().pad;
  pad.x.store(static_cast<std::uint8_t>(vx), kRelaxedOrder);
  pad.y.store(static_cast<std::uint8_t>(vy), kRelaxedOrder);

  console_.Edit(UndoCopy::Keep, kStepHandScan, [&](ShowState& show) {
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
    return ShowEdit::Reshaped();
  });
}

}  // namespace kalvetro
