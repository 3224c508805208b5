#include "editing/ui/NameCopyGroup.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QToolButton>

#include "app/Console.h"
#include "editing/ChannelNames.h"
#include "windows/DialogService.h"
#include "windows/SpeedButtons.h"
#include "windows/WindowParts.h"

namespace kalvetro {

namespace {

QSpinBox* MakeSpin(QWidget* parent, const char* name, int maximum, int value, const QString& hint) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(1, maximum);
  spin->setValue(value);
  spin->setToolTip(hint);
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

  SpinEditNameFirst = MakeSpin(this, "SpinEditNameFirst", kNameCopyFirstMax, 1,
                               QStringLiteral("Номер канала от которого начинается копирование "));
  SpinEditNameLast = MakeSpin(this, "SpinEditNameLast", kNameCopyLastMax, 10,
                              QStringLiteral("Номер канала до которого продолжается копирование "));
  SpinEditNameFrom =
      MakeSpin(this, "SpinEditNameFrom", kNameCopyTargetMax, 11,
               QStringLiteral("Номер канала в который начинается копирование отмеченного блока"));
  // Each input with its caption above and, where it has one, the second line below.
  const struct {
    QSpinBox* spin;
    const char* above;
    const char* below;
  } inputs[] = {{SpinEditNameFirst, " От канала ", ""},
                {SpinEditNameLast, "До канала ", "включительно"},
                {SpinEditNameFrom, "Начиная ", "с канала "}};
  for (int c = 0; c < 3; ++c) {
    grid->addWidget(new QLabel(QString::fromUtf8(inputs[c].above), this), 0, c);
    grid->addWidget(inputs[c].spin, 1, c);
    grid->addWidget(new QLabel(QString::fromUtf8(inputs[c].below), this), 2, c);
  }
  SpeedButtonNameBlocCopy = MakeSpeedButton(this, QStringLiteral("SpeedButtonNameBlocCopy"),
                                            QStringLiteral("Выполнить копирование"), QString());
  SpeedButtonNameBlocCopy->setMinimumHeight(26);
  grid->addWidget(SpeedButtonNameBlocCopy, 3, 0, 1, 3);
  connect(SpeedButtonNameBlocCopy, &QToolButton::clicked, this,
          &NameCopyGroup::ButtonNameBlocCopyClick);

  if (QMenu* settings = parts_.Menu(MenuId::Settings)) {
    ClearNameChannelItem = settings->addAction(QStringLiteral("Очистить имена каналов"));
    ClearNameChannelItem->setObjectName(QStringLiteral("ClearNameChannelItem"));
    ClearNameChannelItem->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    connect(ClearNameChannelItem, &QAction::triggered, this,
            &NameCopyGroup::ClearNameChannelItemClick);
  }
}

void NameCopyGroup::ButtonNameBlocCopyClick() {
  console_.ToMemoryUndo();
  const NameCopyResult result = NameBlocCopy(console_.Show(), SpinEditNameFirst->value(),
                                             SpinEditNameLast->value(), SpinEditNameFrom->value());
  if (result == NameCopyResult::kTooManyNames)
    parts_.Dialogs().Warning(
        QStringLiteral(" Копирование не выполнено: Максимальное число имен > 256 ! "));
  console_.Notify(ShowArea::Names);  // ReturnName
}

void NameCopyGroup::ClearNameChannelItemClick() {
  if (parts_.Dialogs().Ask(QStringLiteral("Очистить имена каналов?")))
    ClearNameChannel(console_.Show().memory);
  console_.Notify(ShowArea::Names);  // ReturnName, in both cases
}

}  // namespace kalvetro
