// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/ui/ColourMixerPanel.h"
#include "app/ShowFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/KeyMap.h"
#include "effects/WindowColour.h"
#include "ui/Controls.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

QFrame* ColourMark(QWidget* parent, const char* name, const QColor& colour) {
  auto* mark = new QFrame(parent);
  mark->setObjectName(QString::fromLatin1(name));
  mark->setFixedSize(16, 16);
  mark->setFrameShape(QFrame::Box);
  mark->setAutoFillBackground(true);
  QPalette palette = mark->palette();
  palette.setColor(QPalette::Window, colour);
  mark->setPalette(palette);
  return mark;
}

// Window background and readable text for it.
void SetBackground(QPalette& palette, const QColor& colour) {
  const QColor text =
      DarkColour(colour.red(), colour.green(), colour.blue()) ? Qt::white : Qt::black;
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::WindowText, text);
}

}  // namespace

ColourMixerPanel::ColourMixerPanel(Console& console, WindowParts& parts, QWidget* parent)
    : QGroupBox(QStringLiteral("Цвет формы"), parent), console_(console) {
  setObjectName(QStringLiteral("GroupBoxColor"));
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(14);
  auto makeBar = [this, grid](const char* name, const QString& hint, int column, int colourByte) {
    auto* bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setToolTip(hint);
    bar->setRange(0, 255);
    bar->setPageStep(30);
    bar->setValue(180);
    // The top of a bar is full strength.
    bar->setInvertedAppearance(true);
    bar->setInvertedControls(false);
    bar->setMinimumHeight(120);
    connect(bar, &QScrollBar::valueChanged, this,
            [this, colourByte](int position) { ChangeColour(colourByte, position); });
    grid->addWidget(bar, 1, column, Qt::AlignHCenter);
    return bar;
  };
  redSlider = makeBar("ScrollBarRed", QStringLiteral("Красная компонента цвета базовой формы"), 0,
                      kColourRed);
  greenSlider = makeBar("ScrollBarGreen", QStringLiteral("Зеленая компонента цвета базовой формы"),
                        1, kColourGreen);
  blueSlider = makeBar("ScrollBarBlue", QStringLiteral("Синяя компонента цвета базовой формы"), 2,
                       kColourBlue);
  grid->addWidget(ColourMark(this, "ShapeAqua", QColor(0, 255, 255)), 0, 0, Qt::AlignHCenter);
  grid->addWidget(ColourMark(this, "ShapeFuchsia", QColor(255, 0, 255)), 0, 1, Qt::AlignHCenter);
  grid->addWidget(ColourMark(this, "ShapeYellow", QColor(255, 255, 0)), 0, 2, Qt::AlignHCenter);
  grid->addWidget(ColourMark(this, "ShapeRed", QColor(255, 0, 0)), 2, 0, Qt::AlignHCenter);
  grid->addWidget(ColourMark(this, "ShapeLime", QColor(0, 255, 0)), 2, 1, Qt::AlignHCenter);
  grid->addWidget(ColourMark(this, "ShapeBlue", QColor(0, 0, 255)), 2, 2, Qt::AlignHCenter);
  layout->addLayout(grid);

  colourOnBox = new QCheckBox(QStringLiteral("Вкл. цвет"), this);
  colourOnBox->setObjectName(QStringLiteral("CheckBoxColorZamok"));
  colourOnBox->setToolTip(QStringLiteral("Включить цвет"));
  colourOnBox->setChecked(true);
  connect(colourOnBox, &QCheckBox::toggled, this, &ColourMixerPanel::SwitchColour);
  layout->addWidget(colourOnBox);
  colourAutoBox = new QCheckBox(QStringLiteral("Менять цвет автоматически"), this);
  colourAutoBox->setObjectName(QStringLiteral("CheckBoxColorAvto"));
  layout->addWidget(colourAutoBox);
  lastKeyLabel = PlainLabel(QStringLiteral("Клавиатура ?"), this);
  lastKeyLabel->setObjectName(QStringLiteral("LabelKeySp"));
  layout->addWidget(lastKeyLabel);
  layout->addStretch();

  connect(&console_, &Console::ShowSettingsRefresh, this, &ColourMixerPanel::RefreshColour);
  connect(&console_.Files(), &ShowFiles::ShowSavedAs, this, &ColourMixerPanel::ShowSavedAs);
  // The key display ("NomberKey is " + code) shows the last key that went down.
  parts.OnKeyCode(lastKeyLabel, [this](int code) {
    lastKeyLabel->setText(QString::fromStdString(KeyLabelText(code)));
  });
}

void ColourMixerPanel::ChangeColour(int colourByte, int position) {
  if (refreshing_) return;
  console_.Show().memory.Set(colourByte, static_cast<std::uint8_t>(position));
  RefreshColour();
  console_.RecordStep(kStepColour);
}

void ColourMixerPanel::SwitchColour(bool ticked) {
  if (refreshing_) return;
  console_.Show().memory.Set(kColourOn, ticked ? 1 : 0);
  RefreshColour();
  console_.RecordStep(kStepColour);
}

void ColourMixerPanel::ShowSavedAs() {
  if (!colourAutoBox->isChecked()) return;
  // The file just written keeps its colour; the show in memory moves on.
  ShiftWindowColour(console_.Show().memory);
  RefreshColour();
}

void ColourMixerPanel::RefreshColour() {
  const WindowColour colour = ReadWindowColour(console_.Show().memory);
  // Every refresh of the console comes here (each scene of a playing show); the controls and
  // the palettes are set again only when the colour bytes changed.
  if (shown_ && *shown_ == colour) return;
  shown_ = colour;
  refreshing_ = true;
  // Any other value than 0 and 1 leaves the box as it is.
  if (colour.on == 1) colourOnBox->setChecked(true);
  if (colour.on == 0) colourOnBox->setChecked(false);
  redSlider->setValue(colour.red);
  greenSlider->setValue(colour.green);
  blueSlider->setValue(colour.blue);
  refreshing_ = false;

  const QColor mix(colour.red, colour.green, colour.blue);
  QPalette own = palette();
  SetBackground(own, mix);
  setPalette(own);
  PaintMainWindow(colour.on != 0, mix);
}

void ColourMixerPanel::PaintMainWindow(bool on, const QColor& mix) {
  QWidget* main = window();
  if (main == this) return;
  // Only the window's background and its plain text take the mix; buttons, edit fields and
  // lists keep the desktop style's colours.
  QPalette palette = main->palette();
  const QPalette desktop = QApplication::palette(main);
  if (on) {
    SetBackground(palette, mix);
  } else {
    palette.setColor(QPalette::Window, desktop.color(QPalette::Window));
    palette.setColor(QPalette::WindowText, desktop.color(QPalette::WindowText));
  }
  main->setPalette(palette);
}

}  // namespace kalvetro
