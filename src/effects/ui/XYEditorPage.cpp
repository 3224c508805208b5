// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/ui/XYEditorPage.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <span>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/ChannelNames.h"
#include "editing/KeyMap.h"
#include "ui/Controls.h"
#include "ui/PaintBox.h"
#include "ui/SpeedButtons.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

constexpr int kField = 256;
constexpr int kRepeatStartMs = 700;
constexpr int kRepeatIdleMs = 1000;

const QString kFieldHint = QStringLiteral("Переместить сцену в X-Y");
const QString kPairHint =
    QStringLiteral("При включенном флажке содежимое Редактируемого поля  записывается в память");
const QString kTooShort = QStringLiteral(" Для этой фигуры нужны хотя бы две сцены ");

}  // namespace

XYEditorPage::XYEditorPage(Console& console, WindowParts& parts, QWidget* parent)
    : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("XYEditorPage"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);
  page->setSpacing(6);

  headingLabel =
      MakeLabel(this, QStringLiteral("LabelEditXYHeading"),
                QStringLiteral("Динамика изменения двух соседних каналов по выделенным сценам "));
  QFont heading = headingLabel->font();
  heading.setBold(true);
  headingLabel->setFont(heading);
  page->addWidget(headingLabel);

  auto* row = new QHBoxLayout;
  row->setSpacing(4);
  page->addLayout(row);

  auto* fieldColumn = new QVBoxLayout;
  fieldColumn->addWidget(BuildField(), 0, Qt::AlignLeft);
  fieldColumn->addWidget(BuildCurrentGroup());
  fieldColumn->addStretch();
  row->addLayout(fieldColumn);

  auto* pairColumn = new QVBoxLayout;
  pairColumn->addWidget(BuildChannelGroup());
  pairColumn->addWidget(BuildSceneGroup());
  pairColumn->addStretch();
  row->addLayout(pairColumn);

  auto* editColumn = new QVBoxLayout;
  editColumn->addWidget(BuildPositionGroup());
  auto* mirrorAndSize = new QHBoxLayout;
  mirrorAndSize->addWidget(BuildMirrorGroup());
  mirrorAndSize->addWidget(BuildSizeGroup());
  editColumn->addLayout(mirrorAndSize);
  editColumn->addWidget(BuildRotateGroup());
  editColumn->addStretch();
  row->addLayout(editColumn);

  auto* figureColumn = new QVBoxLayout;
  figureColumn->addWidget(BuildFigureGroup());
  // The tab's own remember/undo pair stands under the figures.
  if (QWidget* pair = parent ? parent->findChild<QWidget*>(QStringLiteral("UndoPair4")) : nullptr)
    figureColumn->addWidget(pair);
  figureColumn->addStretch();
  row->addLayout(figureColumn);
  row->addStretch(1);
  page->addStretch(1);

  // The repeat timer runs all the time; a held button shortens its interval.
  repeatTimer = new QTimer(this);
  repeatTimer->setObjectName(QStringLiteral("TimerRepeatButton"));
  repeatTimer->setInterval(kRepeatStartMs);
  connect(repeatTimer, &QTimer::timeout, this, &XYEditorPage::RepeatStep);
  repeatTimer->start();

  // The main window's wheel comes through its key filter, which sees it first.
  parts.OnWheel(this, [this](int delta) {
    if (IsShownPage(this)) MouseWheel(delta);
  });
  connect(&console_, &Console::PageRefresh, this, [this] {
    if (!IsShownPage(this)) return;
    RefreshLabels();
    RedrawPath();
  });
  RefreshLabels();
}

// ---------------------------------------------------------------- building the page

QWidget* XYEditorPage::BuildField() {
  auto* frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("PanelEditXY"));
  frame->setFrameShape(QFrame::Box);
  frame->setLineWidth(1);
  frame->setFixedSize(kField + 2, kField + 2);
  frame->setAutoFillBackground(true);
  QPalette palette = frame->palette();
  palette.setColor(QPalette::Window, Qt::white);
  frame->setPalette(palette);

  gridBox = new PaintBox(frame);
  gridBox->setObjectName(QStringLiteral("PaintBoxGrid"));
  gridBox->setGeometry(1, 1, kField, kField);
  gridBox->onPaint = [this](QPainter& painter) { DrawGrid(painter); };
  gridBox->setAttribute(Qt::WA_TransparentForMouseEvents);

  fieldBox = new PaintBox(frame);
  fieldBox->setObjectName(QStringLiteral("PaintBoxXY"));
  fieldBox->setGeometry(1, 1, kField, kField);
  fieldBox->setMouseTracking(true);
  fieldBox->onPaint = [this](QPainter& painter) { DrawPath(painter); };
  fieldBox->onMouseDown = [this](QMouseEvent* e) {
    PressField(e->button(), e->position().toPoint());
  };
  fieldBox->onMouseMove = [this](QMouseEvent* e) { DragField(e->position().toPoint()); };
  fieldBox->onMouseUp = [this](QMouseEvent*) { ReleaseField(); };
  fieldHint_ = kFieldHint;
  fieldBox->setToolTip(fieldHint_);
  return frame;
}

QGroupBox* XYEditorPage::BuildChannelGroup() {
  auto* group =
      MakeGroup(this, QStringLiteral("GroupBoxEditXYCh"), QStringLiteral("Редактируемые Каналы "));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setVerticalSpacing(2);
  for (int k = 1; k <= kPairs; ++k) {
    auto* box = new QCheckBox(group);
    box->setObjectName(QStringLiteral("CheckBoxEditXY%1").arg(k));
    box->setToolTip(kPairHint);
    box->setChecked(k == 1);  // the first box plays no part in any operation
    pairCopyBoxes[k - 1] = box;
    auto* bar = MakeBar(group, QStringLiteral("ScrollBarEditXYCh%1").arg(k),
                        {.minimum = 0, .maximum = 253, .value = 0});
    bar->setMinimumWidth(60);
    pairSliders[k - 1] = bar;
    auto* first = PlainLabel(QString(), group);
    first->setObjectName(QStringLiteral("LabelXYareaFirrtName%1").arg(k));
    auto* second = PlainLabel(QString(), group);
    second->setObjectName(QStringLiteral("LabelXYareaSecondName%1").arg(k));
    for (QLabel* label : {first, second}) label->setMinimumWidth(130);
    pairFirstNameLabels[k - 1] = first;
    pairSecondNameLabels[k - 1] = second;
    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    names->addWidget(first);
    names->addWidget(second);
    const int r = k - 1;
    grid->addWidget(box, r, 0);
    grid->addWidget(bar, r, 1);
    grid->addLayout(names, r, 2);
    connect(bar, &QScrollBar::valueChanged, this, [this, k] { ChangePairChannel(k); });
  }
  copyToPairsButton =
      MakeSpeedButton(group, QStringLiteral("SpeedButtonEditXYcopy"), QStringLiteral("Копировать"),
                      QStringLiteral("Выполнить копирование в каналы, выбранные флажками "));
  grid->addWidget(copyToPairsButton, kPairs, 0, 1, 3);
  connect(copyToPairsButton, &QToolButton::clicked, this, &XYEditorPage::CopyToPairs);
  return group;
}

QGroupBox* XYEditorPage::BuildSceneGroup() {
  auto* group =
      MakeGroup(this, QStringLiteral("GroupBoxEditXYScenes"), QStringLiteral("Видимые Сцены "));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(4, 4, 4, 4);
  auto* fromLabel = MakeLabel(group, QStringLiteral("LabelESSfrom"), QStringLiteral("От Сцены"));
  auto* toLabel = MakeLabel(group, QStringLiteral("LabelESSto"), QStringLiteral("До Сцены"));
  fromSceneEdit = new QSpinBox(group);
  fromSceneEdit->setObjectName(QStringLiteral("SpinEditESSfrom"));
  fromSceneEdit->setRange(1, 250);
  fromSceneEdit->setValue(1);
  toSceneEdit = new QSpinBox(group);
  toSceneEdit->setObjectName(QStringLiteral("SpinEditESSto"));
  toSceneEdit->setRange(2, 255);
  toSceneEdit->setValue(32);
  for (QSpinBox* spin : {fromSceneEdit, toSceneEdit}) spin->setFixedWidth(70);
  allScenesBox = new QCheckBox(QStringLiteral("Все сцены"), group);
  allScenesBox->setObjectName(QStringLiteral("CheckBoxEditXYAllScenes"));
  allScenesBox->setChecked(true);
  changeSceneBox = new QCheckBox(QStringLiteral("Менять Сцену"), group);
  changeSceneBox->setObjectName(QStringLiteral("CheckBoxAllScen"));
  changeSceneBox->setToolTip(QStringLiteral("Перетаскивание луча меняет текущую сцену"));
  changeSceneBox->setChecked(true);
  grid->addWidget(fromLabel, 0, 0);
  grid->addWidget(fromSceneEdit, 0, 1);
  grid->addWidget(toLabel, 1, 0);
  grid->addWidget(toSceneEdit, 1, 1);
  grid->addWidget(allScenesBox, 2, 0, 1, 2);
  grid->addWidget(changeSceneBox, 3, 0, 1, 2);
  connect(fromSceneEdit, &QSpinBox::valueChanged, this, &XYEditorPage::ChangeFromScene);
  connect(toSceneEdit, &QSpinBox::valueChanged, this, &XYEditorPage::ChangeToScene);
  connect(allScenesBox, &QCheckBox::clicked, this, &XYEditorPage::RefreshLabels);
  return group;
}

QGroupBox* XYEditorPage::BuildCurrentGroup() {
  auto* group = MakeGroup(this, QStringLiteral("GroupBoxEditXYCurrent"), QStringLiteral("Текущие"));
  auto* layout = new QHBoxLayout(group);
  layout->setContentsMargins(4, 4, 4, 4);
  positionXLabel = MakeLabel(group, QStringLiteral("LabelESPosX"), QStringLiteral("X = "));
  positionYLabel = MakeLabel(group, QStringLiteral("LabelESPosY"), QStringLiteral("Y = "));
  foundSceneLabel = MakeLabel(group, QStringLiteral("LabelEXYscena"), QStringLiteral(" Сцена ? "));
  for (QLabel* label : {positionXLabel, positionYLabel}) label->setMinimumWidth(50);
  foundSceneLabel->setMinimumWidth(80);
  layout->addWidget(positionXLabel);
  layout->addWidget(positionYLabel);
  layout->addWidget(foundSceneLabel, 1);
  group->setFixedWidth(kField + 2);
  return group;
}

QToolButton* XYEditorPage::MakeRepeatButton(QWidget* parent, const char* name,
                                            const QString& caption, const QString& hint, int code) {
  auto* button = MakeSpeedButton(parent, QString::fromLatin1(name), caption, hint, false);
  button->setFixedSize(30, 26);
  connect(button, &QToolButton::pressed, this, [this, code] { StartRepeat(code); });
  connect(button, &QToolButton::released, this, &XYEditorPage::StopRepeat);
  return button;
}

QGroupBox* XYEditorPage::BuildPositionGroup() {
  auto* group = MakeGroup(this, QStringLiteral("GroupBoxEditXYPos"), QStringLiteral("Положение"));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(2);
  const QString hint = QStringLiteral("Смещение фигуры");
  moveUpButton = MakeRepeatButton(group, "SpeedButtonEditPosUp", "▲", hint, 3);
  moveLeftButton = MakeRepeatButton(group, "SpeedButtonEditPosLeft", "◀", hint, 2);
  moveRightButton = MakeRepeatButton(group, "SpeedButtonEditPosRight", "▶", hint, 1);
  moveDownButton = MakeRepeatButton(group, "SpeedButtonEditPosDown", "▼", hint, 4);
  grid->addWidget(moveUpButton, 0, 1);
  grid->addWidget(moveLeftButton, 1, 0);
  grid->addWidget(moveRightButton, 1, 2);
  grid->addWidget(moveDownButton, 2, 1);
  return group;
}

QGroupBox* XYEditorPage::BuildMirrorGroup() {
  auto* group =
      MakeGroup(this, QStringLiteral("GroupBoxEditXYMirror"), QStringLiteral("Отражение "));
  auto* layout = new QHBoxLayout(group);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  const QString hint = QStringLiteral("Зеркальное отображение");
  // Mirrors apply once per click and never repeat.
  mirrorHorizontalButton =
      MakeSpeedButton(group, QStringLiteral("SpeedButtonGorizontMirror"), "↔", hint, false);
  mirrorVerticalButton =
      MakeSpeedButton(group, QStringLiteral("SpeedButtonVerticalMirror"), "↕", hint, false);
  for (auto [button, code] :
       {std::pair{mirrorHorizontalButton, 5}, std::pair{mirrorVerticalButton, 6}}) {
    button->setFixedSize(30, 26);
    connect(button, &QToolButton::clicked, this, [this, code] { StartRepeat(code); });
    layout->addWidget(button);
  }
  return group;
}

QGroupBox* XYEditorPage::BuildSizeGroup() {
  auto* group = MakeGroup(this, QStringLiteral("GroupBoxEditXYSize"), QStringLiteral("Размер "));
  auto* layout = new QHBoxLayout(group);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  shrinkButton = MakeRepeatButton(group, "SpeedButtonEditRazmerMene", "−",
                                  QStringLiteral("Уменьшить фигуру"), 7);
  growButton = MakeRepeatButton(group, "SpeedButtonEditRazmerMore", "+",
                                QStringLiteral("Увеличить фигуру"), 8);
  layout->addWidget(shrinkButton);
  layout->addWidget(growButton);
  return group;
}

QGroupBox* XYEditorPage::BuildRotateGroup() {
  auto* group = MakeGroup(this, QStringLiteral("GroupBoxEditXYRotate"), QStringLiteral("Поворот"));
  auto* layout = new QVBoxLayout(group);
  layout->setContentsMargins(4, 4, 4, 4);
  rotationSlider = MakeBar(group, QStringLiteral("ScrollBarRotate"),
                           {.minimum = 1, .maximum = 359, .value = 45});
  rotationSlider->setMinimumWidth(80);
  rotationLabel = MakeLabel(group, QStringLiteral("LabelEditRL"));
  rotateButton = MakeSpeedButton(group, QStringLiteral("SpeedButtonRotateLeft"),
                                 QStringLiteral("↻"), QStringLiteral("Выполнить поворот "));
  layout->addWidget(rotationSlider);
  auto* line = new QHBoxLayout;
  line->addWidget(rotationLabel, 1);
  line->addWidget(rotateButton);
  rotateButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  rotateButton->setFixedSize(40, 26);
  layout->addLayout(line);
  connect(rotationSlider, &QScrollBar::valueChanged, this, &XYEditorPage::RefreshLabels);
  connect(rotateButton, &QToolButton::clicked, this, &XYEditorPage::RotateFigure);
  return group;
}

QGroupBox* XYEditorPage::BuildFigureGroup() {
  auto* group =
      MakeGroup(this, QStringLiteral("GroupBoxEditXYFigures"), QStringLiteral("Создание Фигур "));
  auto* outer = new QGridLayout(group);
  outer->setContentsMargins(4, 4, 4, 4);
  auto* buttons = new QGridLayout;
  buttons->setSpacing(2);
  const QString hint = QStringLiteral("Вычертить фигугу по сценам");
  using Generator = XYStatus (*)(ShowState&, const XYArea&, const XYFigure&);
  struct FigureButton {
    const char* name;
    const char* caption;
    Generator generator;
  };
  const std::array<FigureButton, 9> figures = {{
      {"SpeedButtonEditXYmadeLine", "╱", &MakeLine},
      {"SpeedButtonEditXYmadeTreug", "△", &MakeTriangle},
      {"SpeedButtonEditXYmadeRect", "□", &MakeRectangle},
      {"SpeedButtonEditXYmadeSix", "X", &MakeCross},
      {"SpeedButtonEditXYmadeCucle", "○", &MakeCircle},
      {"SpeedButtonEditXYmade8", "8", &MakeFigureEight},
      {"SpeedButtonEditXYmadePent", "88", &MakeDoubleEight},
      {"SpeedButtonEditXYmadeSnake", "≀", &MakeSnake},
      {"SpeedButtonEditSpiral", "@", &MakeSpiral},
  }};
  for (int i = 0; i < static_cast<int>(figures.size()); ++i) {
    const FigureButton& f = figures[i];
    auto* button = MakeSpeedButton(group, QString::fromLatin1(f.name), QString::fromUtf8(f.caption),
                                   hint, false);
    button->setFixedSize(40, 32);
    QFont font = button->font();
    font.setPointSize(font.pointSize() + 3);
    button->setFont(font);
    const Generator generator = f.generator;
    connect(button, &QToolButton::clicked, this, [this, generator] { MakeFigure(generator); });
    buttons->addWidget(button, i / 3, i % 3);
  }
  figureSizeSlider = MakeBar(group, QStringLiteral("ScrollBarEditMaxX"),
                             {.minimum = 20, .maximum = 250, .value = 200});
  figureSizeSlider->setToolTip(QStringLiteral("размер создаваемой фигуры"));
  figureOptionSlider = MakeBar(
      group, QStringLiteral("ScrollBarEditWide"),
      {.orientation = Qt::Vertical, .minimum = 0, .maximum = 10, .value = 7, .pageStep = 1});
  figureOptionSlider->setToolTip(QStringLiteral("вид или длинна конца фигуры"));
  figureLabel = MakeLabel(group, QStringLiteral("LabelmadeFigure"));
  outer->addLayout(buttons, 0, 0);
  outer->addWidget(figureOptionSlider, 0, 1);
  outer->addWidget(figureSizeSlider, 1, 0, 1, 2);
  outer->addWidget(figureLabel, 2, 0, 1, 2);
  connect(figureSizeSlider, &QScrollBar::valueChanged, this, &XYEditorPage::RefreshLabels);
  connect(figureOptionSlider, &QScrollBar::valueChanged, this, &XYEditorPage::RefreshLabels);
  return group;
}

// ---------------------------------------------------------------- state of the controls

XYArea XYEditorPage::Area() const {
  return {pairSliders[0]->value(), fromSceneEdit->value(), toSceneEdit->value()};
}

XYFigure XYEditorPage::Figure() const {
  return {figureSizeSlider->value(), figureOptionSlider->value()};
}

QString XYEditorPage::PairName(int channel) const {
  // The stored name up to its first 0 byte; the label shows it as it is kept.
  std::array<std::uint8_t, kChannelNameLength> bytes{};
  const ShowMemory& memory = console_.Show().memory;
  int length = 0;
  while (length < kChannelNameLength) {
    const std::uint8_t b = memory.Get(NameOffset(channel) + length);
    if (b == 0) break;
    bytes[length++] = b;
  }
  const std::string text = DecodeCp1251(std::span<const std::uint8_t>(bytes.data(), length));
  return QStringLiteral("Ch%1  ").arg(channel) + QString::fromStdString(text);
}

void XYEditorPage::SetFieldHint(bool on, const QString& text) {
  if (!text.isEmpty()) fieldHint_ = text;
  fieldBox->setToolTip(on ? fieldHint_ : QString());
}

void XYEditorPage::ShowFoundScene() {
  const int row = mouse_.found();
  foundSceneLabel->setText(QString::fromStdString(SceneLabel(row)));
  SetFieldHint(true, QString::fromStdString(SceneHint(row)));
}

// ---------------------------------------------------------------- refresh

void XYEditorPage::RedrawPath() {
  fieldBox->update();
}

void XYEditorPage::RefreshLabels() {
  foundSceneLabel->setText(QStringLiteral(" Сцена ? "));
  SetFieldHint(false);
  if (allScenesBox->isChecked()) {
    const XYArea all = AllScenesArea(console_.Show(), pairSliders[0]->value());
    fromSceneEdit->setValue(all.from);
    toSceneEdit->setValue(all.to);
  }
  for (int k = 0; k < kPairs; ++k) {
    const int q = pairSliders[k]->value();
    pairFirstNameLabels[k]->setText(PairName(q + 1));
    pairSecondNameLabels[k]->setText(PairName(q + 2));
  }
  rotationLabel->setText(QString::fromStdString(RotationLabel(rotationSlider->value())));
  figureLabel->setText(QString::fromStdString(FigureLabel(Figure())));
}

// ---------------------------------------------------------------- handlers

void XYEditorPage::ChangePairChannel(int k) {
  if (k == 1) console_.Show().xyFirstChannel = pairSliders[0]->value();
  RefreshLabels();
  RedrawPath();
}

void XYEditorPage::ChangeFromScene() {
  if (fromSceneEdit->value() >= toSceneEdit->value()) fromSceneEdit->setValue(toSceneEdit->value());
  RedrawPath();
}

void XYEditorPage::ChangeToScene() {
  if (fromSceneEdit->value() >= toSceneEdit->value()) toSceneEdit->setValue(fromSceneEdit->value());
  RedrawPath();
}

void XYEditorPage::PressField(Qt::MouseButton button, QPoint pos) {
  const XYMouse::Mode mode = button == Qt::RightButton ? XYMouse::kRight : XYMouse::kLeft;
  const bool stepChanged =
      mouse_.Down(console_.Show(), Area(), mode, pos.x(), pos.y(), changeSceneBox->isChecked());
  if (mouse_.found() != kNoScene) ShowFoundScene();
  // The sequencer shows the new current scene (the core refuses the change while playing).
  if (stepChanged) console_.RefreshShowSettings();
}

void XYEditorPage::DragField(QPoint pos) {
  const int x = std::clamp(pos.x(), 0, kField - 1);
  const int y = std::clamp(pos.y(), 0, kField - 1);
  positionYLabel->setText(QStringLiteral("Y = %1").arg(255 - y));
  positionXLabel->setText(QStringLiteral("X = %1").arg(x));
  foundSceneLabel->setText(QStringLiteral("  "));
  SetFieldHint(false);
  if (mouse_.Move(console_.Show(), Area(), x, y)) ShowFoundScene();
  switch (mouse_.mode()) {
    case XYMouse::kLeft:
      fieldBox->setCursor(Qt::DragMoveCursor);
      break;
    case XYMouse::kRight:
      foundSceneLabel->setText(QStringLiteral(" Размер "));
      fieldBox->setCursor(Qt::SizeAllCursor);
      break;
    case XYMouse::kNone:
      break;
  }
  RedrawPath();
}

void XYEditorPage::ReleaseField() {
  const bool dragged = mouse_.mode() == XYMouse::kLeft && mouse_.found() < 255;
  fieldBox->unsetCursor();
  // The drag wrote the levels as it went; it ends as one edit.
  console_.Edit(UndoCopy::Keep, kStepFigure, [&](ShowState&) {
    mouse_.Up();
    return dragged ? ShowEdit(ShowArea::Levels) : ShowEdit();
  });
  foundSceneLabel->setText(QStringLiteral(" "));
  SetFieldHint(false);
}

void XYEditorPage::StartRepeat(int code) {
  const int now = repeat_.Press(code);
  StepArea(now);
}

void XYEditorPage::StopRepeat() {
  repeat_.Release();
  repeatTimer->setInterval(repeat_.intervalMs);
}

void XYEditorPage::RepeatStep() {
  const int code = repeat_.Tick();
  if (code == 0) return;
  if (repeatTimer->interval() != repeat_.intervalMs) repeatTimer->setInterval(repeat_.intervalMs);
  StepArea(code);
}

void XYEditorPage::StepArea(int code) {
  console_.Edit(UndoCopy::Keep, kStepFigure, [&](ShowState& show) {
    ApplyAreaStep(show, Area(), code);
    return ShowEdit(ShowArea::Levels);
  });
  RedrawPath();
}

void XYEditorPage::RotateFigure() {
  console_.Edit(UndoCopy::Keep, kStepFigure, [&](ShowState& show) {
    RotateArea(show, Area(), rotationSlider->value());
    return ShowEdit(ShowArea::Levels);
  });
  RedrawPath();
}

void XYEditorPage::CopyToPairs() {
  std::array<XYCopyTarget, 3> targets;
  for (int k = 1; k < kPairs; ++k)
    targets[k - 1] = {pairSliders[k]->value(), pairCopyBoxes[k]->isChecked()};
  console_.Edit(UndoCopy::Take, kStepFigure, [&](ShowState& show) {
    CopyXYToPairs(show, Area(), targets);
    return ShowEdit(ShowArea::Levels);
  });
}

void XYEditorPage::MakeFigure(XYStatus (*generator)(ShowState&, const XYArea&, const XYFigure&)) {
  XYStatus status = XYStatus::kSingleScene;
  console_.Edit(UndoCopy::Keep, kStepFigure, [&](ShowState& show) {
    status = generator(show, Area(), Figure());
    return status == XYStatus::kSingleScene ? ShowEdit() : ShowEdit(ShowArea::Levels);
  });
  if (status == XYStatus::kSingleScene) {
    console_.ShowStatus(kTooShort);
    return;
  }
  RedrawPath();
}

void XYEditorPage::wheelEvent(QWheelEvent* event) {
  MouseWheel(event->angleDelta().y());
  event->accept();
}

void XYEditorPage::MouseWheel(int delta) {
  QScrollBar* bar = pairSliders[0];
  bar->setValue(
      WheelPosition(WheelTarget::kBeamXY, delta, bar->value(), bar->minimum(), bar->maximum()));
}

// ---------------------------------------------------------------- drawing

void XYEditorPage::DrawGrid(QPainter& painter) {
  auto cross = [&painter](int at) {
    painter.drawLine(at, 0, at, 255);
    painter.drawLine(0, at, 255, at);
  };
  painter.setPen(QPen(QColor(128, 128, 128), 1, Qt::SolidLine));
  for (int at = 143; at <= 239; at += 16) cross(at);
  for (int at = 111; at >= 15; at -= 16) cross(at);
  painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  cross(127);
}

void XYEditorPage::DrawPath(QPainter& painter) {
  const XYArea area = Area();
  if (!ValidXYArea(area)) return;
  const ShowState& show = console_.Show();
  auto screen = [&](int row) {
    const XYPoint p = ReadXY(show, area.first, row);
    return QPoint(p.x, 255 - p.y);
  };
  auto square = [&painter](QPoint at, int half, const QColor& fill) {
    painter.setBrush(fill);
    painter.drawRect(at.x() - half, at.y() - half, 2 * half, 2 * half);
  };
  painter.setPen(QPen(Qt::blue, 1));
  QPoint previous = screen(area.from - 1);
  square(previous, 4, QColor(0, 255, 0));
  for (int row = area.from; row <= area.to - 1; ++row) {
    const QPoint at = screen(row);
    painter.drawLine(previous, at);
    square(at, 3, QColor(0, 128, 0));
    previous = at;
  }
  square(previous, 3, Qt::red);
}

}  // namespace kalvetro
