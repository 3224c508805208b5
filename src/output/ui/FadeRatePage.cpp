#include "output/ui/FadeRatePage.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "editing/ui/StripPanel.h"
#include "output/OutputControls.h"
#include "output/RateScale.h"
#include "show/ShowState.h"
#include "windows/ConsoleHost.h"

namespace kalvetro {

FadeRatePage::FadeRatePage(ConsoleHost& host, OutputControls& controls, QWidget* parent)
    : QWidget(parent), host_(host), controls_(controls) {
  setObjectName(QStringLiteral("FadeRatePage"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  RadioGroupRate = new QGroupBox(QStringLiteral("Плавность перехода  сцен "), this);
  RadioGroupRate->setObjectName(QStringLiteral("RadioGroupRate"));
  auto* items = new QHBoxLayout(RadioGroupRate);
  rateItems_ = new QButtonGroup(this);
  const QString captions[] = {QStringLiteral("Ползунки"), QStringLiteral("Автомат"),
                              QStringLiteral("Выкл")};
  for (int i = 0; i < 3; ++i) {
    auto* item = new QRadioButton(captions[i], RadioGroupRate);
    item->setObjectName(QStringLiteral("RadioGroupRateItem%1").arg(i));
    rateItems_->addButton(item, i);
    items->addWidget(item);
  }
  rateItems_->button(kCrossfadeSliders)->setChecked(true);
  // The tick reads the mode afresh every 50 ms; the mirror keeps it in step.
  connect(rateItems_, &QButtonGroup::idToggled, this,
          [this] { controls_.crossfadeMode.store(ItemIndex()); });
  controls_.crossfadeMode.store(ItemIndex());
  layout->addWidget(RadioGroupRate);

  auto* group = new QGroupBox(QStringLiteral("Время изменения уровня выбранных каналов"), this);
  group->setObjectName(QStringLiteral("GroupBoxRateLeuel"));
  auto* row = new QHBoxLayout(group);
  ScrollBarRateLeuel = new QScrollBar(Qt::Horizontal, group);
  ScrollBarRateLeuel->setObjectName(QStringLiteral("ScrollBarRateLeuel"));
  ScrollBarRateLeuel->setRange(0, kRatePositions - 1);
  ScrollBarRateLeuel->setPageStep(10);
  ScrollBarRateLeuel->setValue(7);
  ScrollBarRateLeuel->setToolTip(QStringLiteral("Время изменения уровня выбранных каналов DMX "));
  ScrollBarRateLeuel->setMinimumHeight(20);
  connect(ScrollBarRateLeuel, &QScrollBar::valueChanged, this,
          [this] { ScrollBarRateLeuelChange(); });
  LabelRate = new QLabel(QStringLiteral("2 sec"), group);
  LabelRate->setObjectName(QStringLiteral("LabelRate"));
  LabelRate->setToolTip(QStringLiteral("Время изменения уровня всех каналов DMX  в секундах"));
  LabelRate->setMinimumWidth(44);
  LabelRate->setAlignment(Qt::AlignCenter);
  QFont big = LabelRate->font();
  big.setBold(true);
  LabelRate->setFont(big);
  row->addWidget(ScrollBarRateLeuel, 1);
  row->addWidget(LabelRate);
  layout->addWidget(group);
  layout->addStretch();
}

std::uint8_t FadeRatePage::TabRate(int position) {
  lastPosition_ = position;
  lastStep_ = RateStep(position);
  LabelRate->setText(QString::fromUtf8(RateLabel(position)));
  return lastStep_;
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
    controls_.crossfadeMode.store(kCrossfadeNone);
    return;
  }
  rateItems_->button(index)->setChecked(true);
}

void FadeRatePage::ScrollBarRateLeuelChange() {
  const std::uint8_t step = TabRate(ScrollBarRateLeuel->value());
  ShowMemory& memory = host_.Show().memory;
  memory.Set(kRateStep, step);
  if (strips_) strips_->CheckBoxToMemory();
  SetSelectedRates(memory, step);
  if (strips_) strips_->ReturnRate();
}

}  // namespace kalvetro
