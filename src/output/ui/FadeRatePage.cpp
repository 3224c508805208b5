// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/ui/FadeRatePage.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"
#include "output/RateScale.h"
#include "ui/Controls.h"

namespace kalvetro {

FadeRatePage::FadeRatePage(Console& console, QWidget* parent) : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("FadeRatePage"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  crossfadeGroup = new QGroupBox(QStringLiteral("Плавность перехода  сцен "), this);
  crossfadeGroup->setObjectName(QStringLiteral("RadioGroupRate"));
  auto* items = new QHBoxLayout(crossfadeGroup);
  rateItems_ = new QButtonGroup(this);
  const QString captions[] = {QStringLiteral("Ползунки"), QStringLiteral("Автомат"),
                              QStringLiteral("Выкл")};
  for (int i = 0; i < 3; ++i) {
    auto* item = new QRadioButton(captions[i], crossfadeGroup);
    item->setObjectName(QStringLiteral("RadioGroupRateItem%1").arg(i));
    rateItems_->addButton(item, i);
    items->addWidget(item);
  }
  rateItems_->button(kCrossfadeSliders)->setChecked(true);
  // The crossfade mode is the show runner's; the items choose it and show it, whoever chose.
  ShowRunner& runner = console_.Runner();
  connect(rateItems_, &QButtonGroup::idToggled, this, [this, &runner](int id, bool checked) {
    if (checked) runner.SetCrossfadeMode(id);
  });
  runner.SetCrossfadeMode(ItemIndex());
  connect(&runner, &ShowRunner::CrossfadeModeChanged, this, &FadeRatePage::SetItemIndex);
  layout->addWidget(crossfadeGroup);

  auto* group = new QGroupBox(QStringLiteral("Время изменения уровня выбранных каналов"), this);
  group->setObjectName(QStringLiteral("GroupBoxRateLeuel"));
  auto* row = new QHBoxLayout(group);
  rateSlider = new QScrollBar(Qt::Horizontal, group);
  rateSlider->setObjectName(QStringLiteral("ScrollBarRateLeuel"));
  rateSlider->setRange(0, kRatePositions - 1);
  rateSlider->setPageStep(10);
  rateSlider->setValue(7);
  rateSlider->setToolTip(QStringLiteral("Время изменения уровня выбранных каналов DMX "));
  rateSlider->setMinimumHeight(20);
  connect(rateSlider, &QScrollBar::valueChanged, this, [this] { ChangeRate(); });
  rateLabel = PlainLabel(QStringLiteral("2 sec"), group);
  rateLabel->setObjectName(QStringLiteral("LabelRate"));
  rateLabel->setToolTip(QStringLiteral("Время изменения уровня всех каналов DMX  в секундах"));
  rateLabel->setMinimumWidth(44);
  rateLabel->setAlignment(Qt::AlignCenter);
  QFont big = rateLabel->font();
  big.setBold(true);
  rateLabel->setFont(big);
  row->addWidget(rateSlider, 1);
  row->addWidget(rateLabel);
  layout->addWidget(group);
  layout->addStretch();
  // Any rate slider that is moved relabels the label with its rate.
  connect(&console_, &Console::RateChosen, this,
          [this](int position) { rateLabel->setText(QString::fromUtf8(RateLabel(position))); });
}

int FadeRatePage::ItemIndex() const {
  return rateItems_->checkedId();
}

void FadeRatePage::SetItemIndex(int index) {
  if (index == ItemIndex()) return;
  if (index < 0 || index > 2) {
    // An exclusive group never lets its last button go; lift the rule for a moment.
    rateItems_->setExclusive(false);
    rateItems_->checkedButton()->setChecked(false);
    rateItems_->setExclusive(true);
    console_.Runner().SetCrossfadeMode(kCrossfadeNone);
    return;
  }
  rateItems_->button(index)->setChecked(true);
}

void FadeRatePage::ChangeRate() {
  const std::uint8_t step = console_.ChooseRate(rateSlider->value());
  console_.Edit(UndoCopy::Keep, kStepRate, [step](ShowState& show) {
    show.memory.Set(kRateStep, step);
    // The selection bytes are the selection: every box writes its byte the moment it changes.
    SetSelectedRates(show.memory, step);
    return ShowEdit(ShowArea::Rates);
  });
}

}  // namespace kalvetro
