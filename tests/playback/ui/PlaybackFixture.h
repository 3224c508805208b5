// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTimer>

#include "playback/ui/SequencerPanel.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {

// A started console for the playback pages, without the output thread: tests run output
// ticks by hand with Engine().Tick().
class PlaybackFixture : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
    sequencer = form->findChild<SequencerPanel*>(QStringLiteral("GroupBoxPlay"));
    ASSERT_NE(sequencer, nullptr);
  }
  void TearDown() override { form.reset(); }

  // Stops the page timers so that a test drives the sequencer and the clock by hand.
  void HoldTimers() {
    Runner().SequencerTimer().stop();
    sequencer->showClockTimer->stop();
    sequencer->tempoStripTimer->stop();
  }

  template <class T>
  T* Find(const char* name) const {
    T* found = TestConsole::Find<T>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString Text(const char* label) const { return Find<QLabel>(label)->text(); }

  std::uint8_t Step() { return Show().CurrentStep(); }
  std::uint8_t Last() { return Show().LastScene(); }
  void SetScenes(int current, int last) {
    Show().memory.Set(kCurrentStep, static_cast<std::uint8_t>(current));
    Show().memory.Set(kLastScene, static_cast<std::uint8_t>(last));
    form->RefreshAll();
  }
  // Gives scene s the level `level` on channel n.
  void SetLevel(int scene, int channel, int level) {
    Show().DataWrite(static_cast<std::uint8_t>(scene), static_cast<std::uint8_t>(channel), level);
  }

  SequencerPanel* sequencer = nullptr;
};

}  // namespace kalvetro::testing
