// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class QSpinBox;
class QWidget;

namespace kalvetro {

// The controls every page builds, made in one place: each gets its object name (the name
// tests and tools find it by) and the settings a page gives it.

struct BarSettings {
  Qt::Orientation orientation = Qt::Horizontal;
  int minimum = 0;
  int maximum = 255;
  int value = 0;
  int pageStep = 10;
  QString hint;
};

QScrollBar* MakeBar(QWidget* parent, const QString& name, const BarSettings& settings);

struct NumberBoxSettings {
  int minimum = 1;
  int maximum = 255;
  int value = 1;
  QString hint;
};

QSpinBox* MakeNumberBox(QWidget* parent, const QString& name, const NumberBoxSettings& settings);

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& title);

// Every label of the console shows its text as plain text, never as rich text: much of what
// labels show came from outside (OSC addresses, WebSocket and MIDI errors, port, file and
// channel names), and Qt would otherwise take a text that looks like HTML for HTML, draw it
// and load the images it names, even from a FIFO or /dev/zero.
QLabel* PlainLabel(const QString& text, QWidget* parent);
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text = QString());

// A one-line text field with the grey text it shows while empty and its hint.
QLineEdit* MakeLineEdit(QWidget* parent, const QString& name, const QString& placeholder,
                        const QString& hint);

// Marks a control as something a desk control can be taught to drive, in the words of a desk
// mapping ("tempo", "channel 12", "flash 3"): learning a desk control ends with a click on a
// marked control. RemoteTargetOf: the words of the control or of the nearest marked parent.
void MarkRemoteTarget(QWidget* control, const QString& words);
QString RemoteTargetOf(const QWidget* control);

}  // namespace kalvetro
