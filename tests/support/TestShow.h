// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <initializer_list>

#include "playback/Automats.h"
#include "show/ShowMemory.h"

namespace kalvetro::testing {

// A small show file for a test: scenes 1..lastScene + 1 at a tempo, every other byte zero but
// what the test sets; fade steps jump at once unless asked otherwise.
class TestShow {
 public:
  TestShow(int lastScene, int tempo, bool instantFades = true) : bytes_(kShowFileSize, 0) {
    bytes_[kLastScene] = static_cast<char>(lastScene);
    bytes_[kTempo] = static_cast<char>(tempo);
    if (instantFades)
      for (int n = kRateRow; n < kRateRow + kRowSize; ++n) bytes_[n] = static_cast<char>(255);
  }
  // Channel `channel` of scene s (0-based) at each level in turn: scene 0, 1, ...
  TestShow& Levels(int channel, std::initializer_list<int> levels) {
    int s = 0;
    for (int level : levels) bytes_[SceneRowOffset(s++) + channel] = static_cast<char>(level);
    return *this;
  }
  // Automat 1 or 2: tempo, first channel, program, bright and dark levels.
  TestShow& Automat(int a, int tempo, int firstChannel, int program, int bright, int dark = 0) {
    const int base = a == 1 ? kAutomat1 : kAutomat2;
    bytes_[base + kAutomatTempo] = static_cast<char>(tempo);
    bytes_[base + kAutomatChannel] = static_cast<char>(firstChannel);
    bytes_[base + kAutomatMode] = static_cast<char>(program);
    bytes_[base + kAutomatBright] = static_cast<char>(bright);
    bytes_[base + kAutomatDark] = static_cast<char>(dark);
    return *this;
  }
  // Static picture k (0-based) holds the channel at the level.
  TestShow& Picture(int k, int channel, int level) {
    bytes_[PictureOffset(k) + channel] = 1;
    bytes_[PictureOffset(k) + kPictureLevels + channel] = static_cast<char>(level);
    return *this;
  }
  QByteArray& Bytes() { return bytes_; }

  // Writes the show as `name` in dir and returns its path.
  QString WriteTo(const QTemporaryDir& dir, const QString& name) const {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(file.write(bytes_), bytes_.size());
    return file.fileName();
  }

 private:
  QByteArray bytes_;
};

}  // namespace kalvetro::testing
