// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RemoteControl.h"
#include "app/PictureEditorSession.h"
#include "app/ShowFiles.h"

#include <QFileInfo>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"
#include "effects/Conveyor.h"
#include "playback/Sequencer.h"

namespace kalvetro {

namespace {

QString OutOfRange(const char* what, int value, int low, int high) {
  return QStringLiteral("%1 %2 вне %3..%4")
      .arg(QString::fromUtf8(what))
      .arg(value)
      .arg(low)
      .arg(high);
}

bool IsFlag(int v) {
  return v == 0 || v == 1;
}

}  // namespace

RemoteControl::RemoteControl(Console& console, QObject* parent)
    : RemoteDoor(parent), console_(console) {
  state_ = Read();
  // Every way the show can change ends in one of these; Refresh sends only what differs.
  ShowRunner& runner = console_.Runner();
  connect(&runner, &ShowRunner::PlayingChanged, this, &RemoteControl::Refresh);
  connect(&runner, &ShowRunner::BlackOutChanged, this, &RemoteControl::Refresh);
  connect(&runner, &ShowRunner::PictureChanged, this, &RemoteControl::Refresh);
  connect(&console_, &Console::ShowSettingsRefresh, this, &RemoteControl::Refresh);
  connect(&console_, &Console::ShowReplaced, this, &RemoteControl::Refresh);
  connect(&console_.Files(), &ShowFiles::FileNameChanged, this, &RemoteControl::Refresh);
  connect(&console_, &Console::Changed, this, &RemoteControl::Refresh);
  connect(&runner, &ShowRunner::SceneStepped, this, &RemoteControl::Refresh);
  connect(&runner, &ShowRunner::TempoChanged, this, &RemoteControl::Refresh);
  connect(&runner, &ShowRunner::AutomatChanged, this, &RemoteControl::Refresh);
  connect(&console_, &Console::Changed, this, [this](ShowArea area) {
    if (area == ShowArea::Levels) emit LevelsChanged();
  });
  connect(&console_.Files(), &ShowFiles::SettingsRead, this, &RemoteDoor::SetupRead);
}

QString RemoteControl::Check(const RemoteCommand& c) const {
  switch (c.kind) {
    case RemoteCommandKind::Play:
      if (!IsFlag(c.a)) return OutOfRange("Пуск", c.a, 0, 1);
      if (console_.PictureEditor().IsOpen()) return QStringLiteral("Открыт редактор картинок");
      break;
    case RemoteCommandKind::Next:
    case RemoteCommandKind::Previous:
      break;
    case RemoteCommandKind::Scene:
      if (c.a < 1 || c.a > state_.lastScene) return OutOfRange("Сцена", c.a, 1, state_.lastScene);
      break;
    case RemoteCommandKind::Tempo:
      if (c.a < kTempoMin || c.a > kTempoMax) return OutOfRange("Темп", c.a, kTempoMin, kTempoMax);
      break;
    case RemoteCommandKind::BlackOut:
      if (!IsFlag(c.a)) return OutOfRange("Затемнение", c.a, 0, 1);
      break;
    case RemoteCommandKind::Picture:
    case RemoteCommandKind::Latch:
      if (c.a < 1 || c.a > kPictureCount) return OutOfRange("Картинка", c.a, 1, kPictureCount);
      if (!IsFlag(c.b)) return OutOfRange("Картинка: значение", c.b, 0, 1);
      break;
    case RemoteCommandKind::Channel:
      if (c.a < 1 || c.a > kChannelCount) return OutOfRange("Канал", c.a, 1, kChannelCount);
      if (c.b < 0 || c.b > 255) return OutOfRange("Уровень", c.b, 0, 255);
      if (console_.Show().playing.load())
        return QStringLiteral("Идет воспроизведение: уровень канала не меняется");
      break;
    case RemoteCommandKind::Automat:
      if (c.a < 1 || c.a > 2) return OutOfRange("Автомат", c.a, 1, 2);
      if (!IsFlag(c.b)) return OutOfRange("Автомат: значение", c.b, 0, 1);
      break;
    case RemoteCommandKind::ConveyorSlot:
      if (c.a < 1 || c.a > kConveyorSlots)
        return OutOfRange("Ячейка конвейера", c.a, 1, kConveyorSlots);
      break;
  }
  return {};
}

QString RemoteControl::Run(const RemoteCommand& c) {
  if (QString refused = Check(c); !refused.isEmpty()) return refused;
  ShowRunner& runner = console_.Runner();
  // What the command changes of the show is recorded with the rest of its burst.
  const ShowHistory::RemoteBurst burst(console_.History());
  switch (c.kind) {
    case RemoteCommandKind::Play:
      c.a ? runner.Play() : runner.Stop();
      break;
    case RemoteCommandKind::Next:
      runner.Next();
      break;
    case RemoteCommandKind::Previous:
      runner.Previous();
      break;
    case RemoteCommandKind::Scene:
      if (!runner.GoToScene(c.a - 1)) return OutOfRange("Сцена", c.a, 1, state_.lastScene);
      break;
    case RemoteCommandKind::Tempo:
      runner.SetTempo(c.a);
      console_.RefreshShowSettings();
      break;
    case RemoteCommandKind::BlackOut:
      runner.SetBlackOut(c.a == 1);
      break;
    case RemoteCommandKind::Picture:
      runner.FlashPicture(c.a - 1, c.b == 1);
      break;
    case RemoteCommandKind::Latch:
      runner.LatchPicture(c.a - 1, c.b == 1);
      break;
    case RemoteCommandKind::Channel:
      if (!runner.SetChannelLevel(c.a, c.b))
        return QStringLiteral("Идет воспроизведение: уровень канала не меняется");
      break;
    case RemoteCommandKind::Automat:
      runner.SetAutomatWithShow(c.a, c.b == 1);
      break;
    case RemoteCommandKind::ConveyorSlot:
      // The slot's button is a toggle: a click sets it to the other state.
      runner.SetConveyorSlotDown(c.a, !runner.ConveyorState().Down(c.a));
      break;
  }
  // What the remote changed of the show is a step of the undo history, with its burst.
  console_.RecordStep();
  Refresh();
  return {};
}

std::uint8_t RemoteControl::OutputLevel(int channel) const {
  if (channel < 1 || channel > kChannelCount) return 0;
  return console_.Frames().Output(channel);
}

std::uint8_t RemoteControl::SceneLevel(int channel) const {
  if (channel < 1 || channel > kChannelCount) return 0;
  const ShowState& show = console_.Show();
  return show.DataRead(show.CurrentStep(), static_cast<std::uint8_t>(channel));
}

const RemoteSettings& RemoteControl::Setup() const {
  return console_.Files().RemoteSetup();
}

void RemoteControl::SetSetup(const RemoteSettings& setup) {
  console_.Files().SetRemoteSetup(setup);
}

void RemoteControl::Say(const QString& text) {
  console_.ShowStatus(text);
}

RemoteState RemoteControl::Read() const {
  const ShowState& show = console_.Show();
  const ShowRunner& runner = const_cast<Console&>(console_).Runner();
  RemoteState s;
  s.lastScene = std::min<int>(show.LastScene(), kSceneCount - 1) + 1;
  s.scene = std::min<int>(show.CurrentStep() + 1, s.lastScene);
  s.playing = show.playing.load();
  s.blackOut = runner.BlackOut();
  s.tempo = runner.Tempo();
  if (show.showNamed)
    s.showName = QFileInfo(console_.Files().SaveDialogFileName()).completeBaseName();
  for (int k = 0; k < kPictureCount; ++k) {
    s.pictures[k] = runner.Picture(k);
    s.latched[k] = runner.PictureLatched(k);
  }
  for (int a = 1; a <= 2; ++a) s.automats[a - 1] = runner.AutomatWithShow(a);
  return s;
}

void RemoteControl::Refresh() {
  const RemoteState was = state_;
  state_ = Read();
  const RemoteState& now = state_;
  if (now.scene != was.scene || now.lastScene != was.lastScene)
    emit SceneChanged(now.scene, now.lastScene);
  if (now.playing != was.playing) emit PlayingChanged(now.playing);
  if (now.blackOut != was.blackOut) emit BlackOutChanged(now.blackOut);
  if (now.tempo != was.tempo) emit TempoChanged(now.tempo);
  for (int k = 0; k < kPictureCount; ++k)
    if (now.pictures[k] != was.pictures[k] || now.latched[k] != was.latched[k])
      emit PictureChanged(k + 1, now.pictures[k], now.latched[k]);
  for (int a = 0; a < 2; ++a)
    if (now.automats[a] != was.automats[a]) emit AutomatChanged(a + 1, now.automats[a]);
  if (now.showName != was.showName) emit ShowNameChanged(now.showName);
}

}  // namespace kalvetro
