// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/AudioInput.h"

namespace kalvetro {

int MatchSoundInput(const std::vector<SoundInputInfo>& inputs, const QString& wanted) {
  if (wanted.isEmpty()) return -1;
  for (std::size_t i = 0; i < inputs.size(); ++i)
    if (inputs[i].name == wanted) return static_cast<int>(i);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (inputs[i].name.contains(wanted, Qt::CaseInsensitive) ||
        inputs[i].label.contains(wanted, Qt::CaseInsensitive))
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kalvetro
