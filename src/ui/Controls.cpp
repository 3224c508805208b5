// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>

namespace kalvetro {

QScrollBar* MakeBar(QWidget* parent, const QString& name, const BarSettings& settings) {
  auto* bar = new QScrollBar(settings.orientation, parent);
  bar->setObjectName(name);
  bar->setRange(settings.minimum, settings.maximum);
  bar->setPageStep(settings.pageStep);
  bar->setValue(settings.value);
  if (!settings.hint.isEmpty()) bar->setToolTip(settings.hint);
  return bar;
}

QSpinBox* MakeNumberBox(QWidget* parent, const QString& name, const NumberBoxSettings& settings) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(settings.minimum, settings.maximum);
  box->setValue(settings.value);
  if (!settings.hint.isEmpty()) box->setToolTip(settings.hint);
  return box;
}

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& title) {
  auto* group = new QGroupBox(title, parent);
  if (!name.isEmpty()) group->setObjectName(name);
  return group;
}

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  return label;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* label = PlainLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QLineEdit* MakeLineEdit(QWidget* parent, const QString& name, const QString& placeholder,
                        const QString& hint) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setPlaceholderText(placeholder);
  edit->setToolTip(hint);
  return edit;
}

namespace {
constexpr char kRemoteTarget[] = "remoteTarget";
}

void MarkRemoteTarget(QWidget* control, const QString& words) {
  control->setProperty(kRemoteTarget, words);
}

QString RemoteTargetOf(const QWidget* control) {
  for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    const QVariant words = w->property(kRemoteTarget);
    if (words.isValid()) return words.toString();
  }
  return {};
}

}  // namespace kalvetro
