// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/NameCopyGroup.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QToolButton>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/ChannelNames.h"
#include "ui/Controls.h"
#include "ui/DialogService.h"
#include "ui/SpeedButtons.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

QSpinBox* MakeSpin(QWidget* parent, const char* name, int maximum, int value, const QString& hint) {
  auto* spin = MakeNumberBox(parent, QString::fromLatin1(name),
                             {.maximum = maximum, .value = value, .hint = hint});
  spin->setMinimumWidth(64);
  return spin;
}

}  // namespace

NameCopyGroup::NameCopyGroup(Console& console, WindowParts& parts, QWidget* parent)
    : QGroupBox(QStringLiteral("Имен "), parent), console_(console), parts_(parts) {
  setObjectName(QStringLiteral("GroupBoxNameCopy"));
  setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(3);

  nameCopyFirst = MakeSpin(this, "SpinEditNameFirst", kNameCopyFirstMax, 1,
                           QStringLiteral("Номер канала от которого начинается копирование "));
  nameCopyLast = MakeSpin(this, "SpinEditNameLast", kNameCopyLastMax, 10,
                          QStringLiteral("Номер канала до которого продолжается копирование "));
  nameCopyTarget =
      MakeSpin(this, "SpinEditNameFrom", kNameCopyTargetMax, 11,
               QStringLiteral("Номер канала в который начинается копирование отмеченного блока"));
  // Each input with its caption above and, where it has one, the second line below.
  const struct {
    QSpinBox* spin;
    const char* above;
    const char* below;
  } inputs[] = {{nameCopyFirst, " От канала ", ""},
                {nameCopyLast, "До канала ", "включительно"},
                {nameCopyTarget, "Начиная ", "с канала "}};
  for (int c = 0; c < 3; ++c) {
    grid->addWidget(PlainLabel(QString::fromUtf8(inputs[c].above), this), 0, c);
    grid->addWidget(inputs[c].spin, 1, c);
    grid->addWidget(PlainLabel(QString::fromUtf8(inputs[c].below), this), 2, c);
  }
  copyNamesButton = MakeSpeedButton(this, QStringLiteral("SpeedButtonNameBlocCopy"),
                                    QStringLiteral("Выполнить копирование"), QString());
  copyNamesButton->setMinimumHeight(26);
  grid->addWidget(copyNamesButton, 3, 0, 1, 3);
  connect(copyNamesButton, &QToolButton::clicked, this, &NameCopyGroup::CopyNames);

  if (QMenu* settings = parts_.Menu(MenuId::Settings)) {
    clearNamesAction = settings->addAction(QStringLiteral("Очистить имена каналов"));
    clearNamesAction->setObjectName(QStringLiteral("ClearNameChannelItem"));
    clearNamesAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    connect(clearNamesAction, &QAction::triggered, this, &NameCopyGroup::ClearAllChannelNames);
  }
}

void NameCopyGroup::CopyNames() {
  NameCopyResult result{};
  console_.Edit(UndoCopy::Take, kStepNameCopy, [&](ShowState& show) {
    result =
        CopyNameBlock(show, nameCopyFirst->value(), nameCopyLast->value(), nameCopyTarget->value());
    return ShowEdit(ShowArea::Names);
  });
  if (result == NameCopyResult::kTooManyNames)
    parts_.Dialogs().Warning(
        QStringLiteral(" Копирование не выполнено: Максимальное число имен > 256 ! "));
}

void NameCopyGroup::ClearAllChannelNames() {
  const bool clear = parts_.Dialogs().Ask(QStringLiteral("Очистить имена каналов?"));
  // The name boxes show the stored names again in both cases.
  console_.Edit(UndoCopy::Keep, kStepChannelName, [&](ShowState& show) {
    if (clear) ClearChannelNames(show.memory);
    return ShowEdit(ShowArea::Names);
  });
}

}  // namespace kalvetro
