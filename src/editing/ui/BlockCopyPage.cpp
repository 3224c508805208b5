// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/BlockCopyPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <initializer_list>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "ui/Controls.h"
#include "ui/DialogService.h"
#include "ui/SpeedButtons.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

const QString kFirstChannelHint =
    QStringLiteral("Номер канала от которого начинается копирование ");
const QString kLastChannelHint =
    QStringLiteral("Номер канала до которого продолжается копирование ");
const QString kTargetChannelHint =
    QStringLiteral("Номер канала в который начинается копирование отмеченного блока");
const QString kCopyHint = QStringLiteral("Выполнить копирование");

QSpinBox* MakeSpin(QWidget* parent, const char* name, int maximum, int value,
                   const QString& hint = QString()) {
  auto* spin = MakeNumberBox(parent, QString::fromLatin1(name),
                             {.maximum = maximum, .value = value, .hint = hint});
  spin->setFixedWidth(56);
  spin->setAlignment(Qt::AlignRight);
  return spin;
}

// One input line of a group: the caption words before the box, the box, the word after it.
void AddInput(QGridLayout* grid, int row, int column, std::initializer_list<const char*> before,
              QSpinBox* spin, const char* after = nullptr) {
  QWidget* parent = grid->parentWidget();
  auto* captions = new QHBoxLayout;
  captions->setSpacing(0);
  for (const char* text : before) captions->addWidget(PlainLabel(QString::fromUtf8(text), parent));
  captions->addStretch();
  grid->addLayout(captions, row, column);
  grid->addWidget(spin, row, column + 1);
  if (after) grid->addWidget(PlainLabel(QString::fromUtf8(after), parent), row, column + 2);
}

QGroupBox* MakeCopyGroup(QWidget* parent, const char* name, const QString& title) {
  auto* group = MakeGroup(parent, QString::fromLatin1(name), title);
  group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  return group;
}

QGridLayout* GroupGrid(QGroupBox* group) {
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 4, 6, 6);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(3);
  return grid;
}

QToolButton* MakeCopyButton(QWidget* parent, const char* name) {
  auto* button = MakeSpeedButton(parent, QString::fromLatin1(name), QStringLiteral("Копировать"),
                                 kCopyHint, false);
  button->setMinimumWidth(96);
  return button;
}

// The three channel inputs of a group; `row` is the first line.
void AddChannelInputs(QGridLayout* grid, int row, int column, QSpinBox* first, QSpinBox* last,
                      QSpinBox* target) {
  AddInput(grid, row, column, {" От канала "}, first);
  AddInput(grid, row + 1, column, {"До канала "}, last, "включительно");
  AddInput(grid, row + 2, column, {"Начиная ", "с канала "}, target);
}

CopyRange RangeOf(const QSpinBox* first, const QSpinBox* last, const QSpinBox* target) {
  return {first->value(), last->value(), target->value()};
}

}  // namespace

BlockCopyPage::BlockCopyPage(Console& console, WindowParts& parts, QWidget* undoPair,
                             QWidget* parent)
    : QWidget(parent), console_(console), parts_(parts) {
  setObjectName(QStringLiteral("BlockCopyPage"));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);
  page->setSpacing(6);

  auto* title = PlainLabel(QStringLiteral("Копирование данных блоками "), this);
  title->setObjectName(QStringLiteral("LabelCopyTitle"));
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 2);
  title->setFont(bold);
  // The title line carries the remember / restore pair of this page with its reminder.
  auto* top = new QHBoxLayout;
  top->addWidget(title, 0, Qt::AlignTop);
  top->addStretch();
  auto* events = PlainLabel(QStringLiteral("Смотри на Events !!! "), this);
  events->setObjectName(QStringLiteral("LabelEvents"));
  events->setStyleSheet(QStringLiteral("color: rgb(128,0,0);"));
  top->addWidget(events, 0, Qt::AlignBottom);
  if (undoPair) {
    undoPair->setParent(this);
    undoPair->setFixedWidth(180);
    top->addWidget(undoPair);
  }
  page->addLayout(top);

  auto* columns = new QHBoxLayout;
  auto* groups = new QGridLayout;
  groups->setSpacing(8);
  columns->addLayout(groups);
  columns->addStretch();
  page->addLayout(columns);

  // "Каналов текущей Сцены "
  QGroupBox* current =
      MakeCopyGroup(this, "GroupBoxLevelBloc", QStringLiteral("Каналов текущей Сцены "));
  QGridLayout* grid = GroupGrid(current);
  channelCopyFirst = MakeSpin(current, "SpinEditLevelFirst", 254, 1, kFirstChannelHint);
  channelCopyLast = MakeSpin(current, "SpinEditLevelLast", 255, 10, kLastChannelHint);
  channelCopyTarget = MakeSpin(current, "SpinEditLevelFrom", 255, 11, kTargetChannelHint);
  AddChannelInputs(grid, 0, 0, channelCopyFirst, channelCopyLast, channelCopyTarget);
  copyCurrentChannelsButton = MakeCopyButton(current, "SpeedButtonLevelBlocCopy");
  grid->addWidget(copyCurrentChannelsButton, 3, 0, 1, 3, Qt::AlignRight);
  groups->addWidget(current, 0, 0);

  // "Каналов (все сцены)"
  QGroupBox* all =
      MakeCopyGroup(this, "GroupBoxLevelJobScens", QStringLiteral("Каналов (все сцены)"));
  grid = GroupGrid(all);
  allScenesChannelFirst = MakeSpin(all, "SpinEditChBeg", 254, 1, kFirstChannelHint);
  allScenesChannelLast = MakeSpin(all, "SpinEditChFin", 255, 10, kLastChannelHint);
  allScenesChannelTarget = MakeSpin(all, "SpinEditChTo", 255, 11, kTargetChannelHint);
  AddChannelInputs(grid, 0, 0, allScenesChannelFirst, allScenesChannelLast, allScenesChannelTarget);
  copyAllScenesChannelsButton = MakeCopyButton(all, "SpeedButtonLevelJobScens");
  grid->addWidget(copyAllScenesChannelsButton, 3, 0, 1, 3, Qt::AlignRight);
  groups->addWidget(all, 0, 1);

  // "Каналов в сценах": the channel inputs on the left, the scene inputs on the right.
  QGroupBox* inScenes =
      MakeCopyGroup(this, "GroupBoxScenAllCopy", QStringLiteral("Каналов в сценах"));
  grid = GroupGrid(inScenes);
  rangeChannelFirst = MakeSpin(inScenes, "SpinEditAllScChbeg", 254, 1, kFirstChannelHint);
  rangeChannelLast = MakeSpin(inScenes, "SpinEditAllScChFin", 255, 10, kLastChannelHint);
  rangeChannelTarget = MakeSpin(inScenes, "SpinEditAllScChTo", 255, 11, kTargetChannelHint);
  AddChannelInputs(grid, 0, 0, rangeChannelFirst, rangeChannelLast, rangeChannelTarget);
  rangeSceneFirst = MakeSpin(inScenes, "SpinEditAllScChbegSc", 255, 1);
  rangeSceneLast = MakeSpin(inScenes, "SpinEditAllScChFinSc", 255, 10);
  rangeSceneTarget = MakeSpin(inScenes, "SpinEditAllScChToSc", 255, 11);
  grid->setColumnMinimumWidth(3, 12);
  AddInput(grid, 0, 4, {" От Сцены"}, rangeSceneFirst);
  AddInput(grid, 1, 4, {"До Сцены "}, rangeSceneLast, "включительно");
  AddInput(grid, 2, 4, {"Начиная ", "с сцены "}, rangeSceneTarget);
  copyChannelsAcrossScenesButton = MakeCopyButton(inScenes, "SpeedButtonScenAllCopy");
  grid->addWidget(copyChannelsAcrossScenesButton, 3, 0, 1, 7, Qt::AlignRight);
  groups->addWidget(inScenes, 1, 0);

  // "Сцен (все каналы)"
  QGroupBox* scenes = MakeCopyGroup(this, "GroupBoxScenaBloc", QStringLiteral("Сцен (все каналы)"));
  grid = GroupGrid(scenes);
  sceneCopyFirst = MakeSpin(scenes, "SpinEditScenaFirst", 254, 1);
  sceneCopyLast = MakeSpin(scenes, "SpinEditScenaLast", 255, 10);
  sceneCopyTarget = MakeSpin(scenes, "SpinEditScenaFrom", 255, 11);
  AddInput(grid, 0, 0, {" От Сцены"}, sceneCopyFirst);
  AddInput(grid, 1, 0, {"До Сцены "}, sceneCopyLast, "включительно");
  AddInput(grid, 2, 0, {"Начиная ", "с сцены "}, sceneCopyTarget);
  copySceneRangeButton = MakeCopyButton(scenes, "SpeedButtonScenaBlocCopy");
  grid->addWidget(copySceneRangeButton, 3, 0, 1, 3, Qt::AlignRight);
  groups->addWidget(scenes, 1, 1);

  connect(copyCurrentChannelsButton, &QToolButton::clicked, this,
          [this] { CopyCurrentSceneChannels(); });
  connect(copyAllScenesChannelsButton, &QToolButton::clicked, this,
          [this] { CopyChannelsInAllScenes(); });
  connect(copyChannelsAcrossScenesButton, &QToolButton::clicked, this,
          [this] { CopyChannelsAcrossScenes(); });
  connect(copySceneRangeButton, &QToolButton::clicked, this, [this] { CopySceneRange(); });
}

void BlockCopyPage::CopyCurrentSceneChannels() {
  const CopyRange channels = RangeOf(channelCopyFirst, channelCopyLast, channelCopyTarget);
  RunCopy([&](ShowState& show) { return CopyChannelsOfCurrentScene(show, channels); });
}

void BlockCopyPage::CopyChannelsInAllScenes() {
  const CopyRange channels =
      RangeOf(allScenesChannelFirst, allScenesChannelLast, allScenesChannelTarget);
  RunCopy([&](ShowState& show) { return CopyChannelsOfAllScenes(show, channels); });
}

void BlockCopyPage::CopyChannelsAcrossScenes() {
  const CopyRange channels = RangeOf(rangeChannelFirst, rangeChannelLast, rangeChannelTarget);
  const CopyRange scenes = RangeOf(rangeSceneFirst, rangeSceneLast, rangeSceneTarget);
  RunCopy([&](ShowState& show) { return CopyChannelsInScenes(show, channels, scenes); });
}

void BlockCopyPage::CopySceneRange() {
  const CopyRange scenes = RangeOf(sceneCopyFirst, sceneCopyLast, sceneCopyTarget);
  RunCopy([&](ShowState& show) { return CopyScenes(show, scenes); });
}

void BlockCopyPage::RunCopy(const std::function<BlockCopyResult(ShowState&)>& copy) {
  // The undo copy is taken also before a refused copy, so that the restore buttons of every
  // page enable as they always did; the core operation then takes the same copy itself.
  BlockCopyResult result{};
  console_.Edit(UndoCopy::Take, kStepBlockCopy, [&](ShowState& show) {
    result = copy(show);
    return BlockCopyWarning(result) ? ShowEdit() : ShowEdit(ShowArea::Levels);
  });
  if (const char* warning = BlockCopyWarning(result))
    parts_.Dialogs().Warning(QString::fromUtf8(warning));
}

}  // namespace kalvetro
