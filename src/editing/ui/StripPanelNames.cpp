// SPDX-License-Identifier: GPL-3.0-or-later
// The channel name boxes of the strip panel.
#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QValidator>
#include <algorithm>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/ChannelNames.h"
#include "editing/KeyMap.h"
#include "editing/ui/StripPanel.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

// Lets into a name box only what code page 1251 can hold: a character outside it (a Chinese
// letter, an emoji) is refused as it is typed or pasted, so that no name is ever stored with
// characters lost or replaced.
class Cp1251Validator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*pos*/) const override {
    const QByteArray utf8 = input.toUtf8();
    const Cp1251Text text =
        EncodeCp1251(std::string_view(utf8.constData(), utf8.size()), kChannelNameLength);
    return text.Ok() ? Acceptable : Invalid;
  }
};

}  // namespace

void StripPanel::BuildNameBoxes() {
  auto* validator = new Cp1251Validator(this);
  for (QLineEdit* box : nameBoxes) {
    box->setValidator(validator);
    box->installEventFilter(this);
  }
  connect(&console_, &Console::Changed, this, [this](ShowArea area) {
    if (area == ShowArea::Names && !storingNames_) RefreshNames();
  });
  // A name being typed belongs to the show it was typed for: when another show, an emptied
  // one or the undo copy takes its place, the typing goes and the boxes show the new names.
  connect(&console_, &Console::ShowReplaced, this, [this] {
    RefreshNames();
    for (QLineEdit* box : nameBoxes) box->setModified(false);
  });
  parts_.OnWheel(this, [this](int delta) { WheelTurned(delta); });
}

bool StripPanel::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box && std::find(nameBoxes.begin(), nameBoxes.end(), box) != nameBoxes.end()) {
    // A click, not a focus by the Tab key: a name reached with Tab keeps the keys working.
    if (event->type() == QEvent::MouseButtonPress) BeginNameTyping();
    if (event->type() == QEvent::FocusOut) StoreChannelNames();
  }
  return QWidget::eventFilter(watched, event);
}

QString StripPanel::StoredNameOfStrip(int k) {
  return QString::fromStdString(LoadName(console_.Show().memory, stripOffset_ + k));
}

void StripPanel::RefreshNames(bool keepTyping) {
  // Setting a line edit's text lays it out and repaints it even when the text is the same, and
  // the refresh runs at every scene of a playing show: only a changed name is set. In the
  // page refresh a name the operator is typing stays while the strips show the same channels;
  // it is stored when the box loses the focus.
  const bool sameChannels = nameOffset_ == stripOffset_;
  nameOffset_ = stripOffset_;
  for (int k = 1; k <= kStripCount; ++k) {
    QLineEdit* box = nameBoxes[k - 1];
    if (keepTyping && sameChannels && box->hasFocus() && box->isModified()) continue;
    const QString name = StoredNameOfStrip(k);
    if (box->text() != name) box->setText(name);
  }
}

bool StripPanel::StoreNameBox(int k) {
  const QByteArray utf8 = nameBoxes[k - 1]->text().toUtf8();
  const NameStoreResult result = SaveName(console_.Show().memory, stripOffset_ + k,
                                          std::string_view(utf8.constData(), utf8.size()));
  // A text the code page cannot hold is not stored: the box shows the stored name again
  // rather than a text that would be lost.
  if (!result.stored) nameBoxes[k - 1]->setText(StoredNameOfStrip(k));
  return result.stored;
}

void StripPanel::StoreNameBoxes() {
  for (int k = 1; k <= kStripCount; ++k) {
    StoreNameBox(k);
    nameBoxes[k - 1]->setModified(false);  // stored: the refresh may show the name again
  }
}

void StripPanel::BeginNameTyping() {
  console_.SetKeyPreview(false);
  console_.SetConveyorKeys(false);
}

void StripPanel::StoreChannelNames() {
  storingNames_ = true;
  console_.Edit(UndoCopy::Keep, kStepChannelName, [&](ShowState& show) {
    StoreNameBoxes();
    BlanksToZero(show.memory);
    return ShowEdit(ShowArea::Names);
  });
  storingNames_ = false;
}

void StripPanel::WheelTurned(int delta) {
  if (!IsShownPage(this)) return;
  stripWindowSlider->setValue(WheelPosition(WheelTarget::kStrips, delta, stripWindowSlider->value(),
                                            stripWindowSlider->minimum(),
                                            stripWindowSlider->maximum()));
}

}  // namespace kalvetro
