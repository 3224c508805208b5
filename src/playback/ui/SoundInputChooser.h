// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "playback/AudioInput.h"

class QComboBox;
class QLabel;

namespace kalvetro {

class Console;
class PulseSources;

// The choice of the audio input on the sound page: the default input, every input of the
// sound server and the sound every output of this computer plays ("Звук этого компьютера:
// ..."), by the names the server gives, kept up to date as devices come and go. Without a
// sound server it offers Qt Multimedia's inputs. The choice is kept by name in the settings;
// a name given on the command line stands for this run. A chosen input that is not there is
// still shown, so that the choice is not lost while a sound card is unplugged.
class SoundInputChooser : public QWidget {
  Q_OBJECT

 public:
  SoundInputChooser(Console& console, QWidget* parent);
  ~SoundInputChooser() override;

  // The input chosen: a name or a part of one; empty: the default input.
  const QString& Choice() const { return wanted_; }

  QLabel* caption = nullptr;
  QComboBox* inputBox = nullptr;

 signals:
  // The operator chose another input.
  void Chosen(const QString& name);

 private:
  void Show(const std::vector<SoundInputInfo>& inputs);
  void ChooseInput(int index);

  Console& console_;
  PulseSources* sources_ = nullptr;
  bool serverless_ = false;  // no sound server: Qt's inputs are shown
  QString wanted_;
  std::vector<SoundInputInfo> shown_;
};

}  // namespace kalvetro
