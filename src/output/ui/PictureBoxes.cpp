// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/ui/PictureBoxes.h"

#include <QCheckBox>
#include <QGridLayout>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "ui/Controls.h"

namespace kalvetro {

namespace {
struct PictureKey {
  const char* name;     // objectName suffix
  const char* caption;  // caption of the box
  const char* key;      // key named in the hint
};
constexpr PictureKey kKeys[kPictureCount] = {
    {"1", "1", "1"},          {"2", "2", "2"}, {"3", "3", "3"}, {"4", "4", "4"},
    {"5", "5", "5"},          {"6", "6", "6"}, {"7", "7", "7"}, {"8", "8", "8"},
    {"Space", "==", "прбел"}, {"Z", "Z", "Z"}, {"X", "X", "X"}, {"C", "C", "C"},
    {"V", "V", "V"},          {"B", "B", "B"}, {"N", "N", "N"}, {"M", "M", "M"},
};
}  // namespace

PictureBoxes::PictureBoxes(Console& console, QWidget* parent)
    : QGroupBox(QStringLiteral(" Статические картинки "), parent), console_(console) {
  setObjectName(QStringLiteral("GroupBoxChasers"));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(4);
  for (int k = 0; k < kPictureCount; ++k) {
    auto* box = new QCheckBox(QString::fromUtf8(kKeys[k].caption), this);
    box->setObjectName(QStringLiteral("CheckBoxChs") + QString::fromLatin1(kKeys[k].name));
    box->setToolTip(QStringLiteral("Запрограммированая статическая картинка - Горячая кнопка =") +
                    QString::fromUtf8(kKeys[k].key) + QStringLiteral("= "));
    connect(box, &QCheckBox::toggled, this,
            [this, k](bool on) { console_.Runner().SetPicture(k, on); });
    // Taught to a desk button: flashed while held, or latched when clicked with Ctrl.
    MarkRemoteTarget(box, QStringLiteral("flash %1").arg(k + 1));
    pictureBoxes[k] = box;
    // Two rows of eight, as the keys lie: the digits above, Space and the letters below.
    grid->addWidget(box, k / 8, k % 8);
  }
  // Pictures switched elsewhere (the keyboard) tick their boxes.
  connect(&console_.Runner(), &ShowRunner::PictureChanged, this,
          [this](int k, bool on) { pictureBoxes[k]->setChecked(on); });
}

}  // namespace kalvetro
