// SPDX-License-Identifier: GPL-3.0-or-later
// The door of the remotes into the show: every command, refused ones included, and the state
// signals whoever changed the show.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowRunner.h"
#include "support/ConsoleOptionsIn.h"

namespace kalvetro {
namespace {

using testing::OptionsIn;

TEST(RemoteControl, RunsInRangeCommandsRefusesTheRestAndReportsEveryChange) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, dir.filePath(QStringLiteral("no-port"))));
  console.ClearAll();
  ShowState& show = console.Show();
  show.memory.Set(kLastScene, 2);  // three scenes
  console.RefreshAll();
  RemoteControl remote(console);
  std::vector<std::pair<int, int>> scenes;
  std::vector<int> tempos;
  std::vector<std::pair<int, bool>> pictures;
  QObject::connect(&remote, &RemoteControl::SceneChanged,
                   [&](int n, int m) { scenes.emplace_back(n, m); });
  QObject::connect(&remote, &RemoteControl::TempoChanged, [&](int t) { tempos.push_back(t); });
  QObject::connect(&remote, &RemoteControl::PictureChanged,
                   [&](int k, bool on, bool) { pictures.emplace_back(k, on); });
  using K = RemoteCommandKind;

  // Scenes count from 1; out of range nothing moves.
  EXPECT_TRUE(remote.Run({K::Scene, 3}).isEmpty());
  EXPECT_EQ(show.CurrentStep(), 2);
  EXPECT_FALSE(remote.Run({K::Scene, 4}).isEmpty());
  EXPECT_FALSE(remote.Run({K::Scene, 0}).isEmpty());
  EXPECT_EQ(show.CurrentStep(), 2);
  EXPECT_TRUE(remote.Run({K::Next}).isEmpty());  // wraps to scene 1
  EXPECT_EQ(show.CurrentStep(), 0);
  EXPECT_EQ(scenes, (std::vector<std::pair<int, int>>{{3, 3}, {1, 3}}));

  // The window's own moves reach the remotes the same way.
  console.Runner().Previous();
  EXPECT_EQ(scenes.back(), (std::pair<int, int>{3, 3}));
  EXPECT_EQ(remote.State().scene, 3);

  EXPECT_FALSE(remote.Run({K::Tempo, 9}).isEmpty());
  EXPECT_FALSE(remote.Run({K::Tempo, 171}).isEmpty());
  EXPECT_TRUE(remote.Run({K::Tempo, 100}).isEmpty());
  EXPECT_EQ(show.memory.Get(kTempo), 100);
  EXPECT_EQ(tempos, std::vector<int>{100});

  // A channel level goes into the current scene while stopped, never while playing.
  EXPECT_TRUE(remote.Run({K::Channel, 255, 42}).isEmpty());
  EXPECT_EQ(show.memory.Get(SceneRowOffset(2) + 255), 42);
  EXPECT_FALSE(remote.Run({K::Channel, 256, 1}).isEmpty());
  EXPECT_FALSE(remote.Run({K::Channel, 1, 256}).isEmpty());
  EXPECT_TRUE(remote.Run({K::Play, 1}).isEmpty());
  EXPECT_TRUE(remote.State().playing);
  EXPECT_FALSE(remote.Run({K::Channel, 255, 7}).isEmpty());
  EXPECT_EQ(show.memory.Get(SceneRowOffset(show.CurrentStep()) + 255), 42);
  EXPECT_FALSE(remote.Run({K::Play, 2}).isEmpty());
  EXPECT_TRUE(remote.State().playing);

  // Blackout stops the show, as the key does.
  EXPECT_TRUE(remote.Run({K::BlackOut, 1}).isEmpty());
  EXPECT_TRUE(remote.State().blackOut);
  EXPECT_FALSE(remote.State().playing);
  EXPECT_TRUE(remote.Run({K::BlackOut, 0}).isEmpty());

  // Pictures: a flash goes off when let go unless latched.
  EXPECT_TRUE(remote.Run({K::Picture, 3, 1}).isEmpty());
  EXPECT_TRUE(console.Runner().Picture(2));
  EXPECT_TRUE(remote.Run({K::Picture, 3, 0}).isEmpty());
  EXPECT_FALSE(console.Runner().Picture(2));
  EXPECT_TRUE(remote.Run({K::Latch, 16, 1}).isEmpty());
  EXPECT_TRUE(remote.Run({K::Picture, 16, 0}).isEmpty());
  EXPECT_TRUE(console.Runner().Picture(15));
  EXPECT_TRUE(remote.State().latched[15]);
  EXPECT_FALSE(remote.Run({K::Picture, 17, 1}).isEmpty());
  EXPECT_FALSE(remote.Run({K::Latch, 1, 3}).isEmpty());
  EXPECT_EQ(pictures, (std::vector<std::pair<int, bool>>{{3, true}, {3, false}, {16, true}}));

  EXPECT_TRUE(remote.Run({K::Automat, 2, 1}).isEmpty());
  EXPECT_TRUE(console.Runner().AutomatWithShow(2));
  EXPECT_FALSE(remote.Run({K::Automat, 3, 1}).isEmpty());
}

}  // namespace
}  // namespace kalvetro
