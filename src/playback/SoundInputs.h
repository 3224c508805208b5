// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "playback/AudioInput.h"

namespace kalvetro {

// The inputs Qt Multimedia knows, by their descriptions: the chooser's list on a machine
// where no sound server answers.
std::vector<SoundInputInfo> QtSoundInputs();

// Opens and starts the input `wanted` stands for (a name or a part of one; empty: the
// default input): through the sound server when one answers, else through Qt Multimedia.
// Null, with the reason for the status line in error, when there is none to listen to.
std::unique_ptr<AudioInput> OpenAudioInput(const QString& wanted, QString* error);

}  // namespace kalvetro
