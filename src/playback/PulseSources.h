// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "playback/AudioInput.h"
#include "playback/PulseLoop.h"

struct pa_context;

namespace kalvetro {

class ThreadInbox;

// What the server has, as read in one go.
struct PulseInputList {
  std::vector<SoundInputInfo> inputs;
  std::vector<int> rates;     // each input's own sample rate
  std::string defaultSource;  // the name of the server's default source
};
// On the loop's thread: reads the default source, the outputs and the sources, then calls
// `done` with them (an empty list when the server refused).
void ReadPulseInputs(pa_context* context, std::function<void(PulseInputList)> done);

// Reads the server's inputs one reading at a time and hands each list to `done`. Events come
// in bursts (a new output brings its monitor): a reading asked for while one is under way is
// made once, after it. Loop thread only.
class PulseInputReader {
 public:
  explicit PulseInputReader(std::function<void(PulseInputList)> done) : done_(std::move(done)) {}
  void Read(pa_context* context);

 private:
  std::function<void(PulseInputList)> done_;
  bool reading_ = false;
  bool again_ = false;
};

// The sound server's sources as the chooser offers them: every input and the monitor of
// every output, shown as "Звук этого компьютера: <the output's description>". The list is
// read again whenever a source or an output comes, goes or changes.
class PulseSources : public QObject {
  Q_OBJECT

 public:
  explicit PulseSources(QObject* parent = nullptr);
  ~PulseSources() override;

  enum class State { kConnecting, kReady, kUnreachable };
  State CurrentState() const { return state_; }
  // The sources as last read, in the server's order.
  const std::vector<SoundInputInfo>& Inputs() const { return inputs_; }

 signals:
  // The list was read (the first time or again).
  void Changed();
  // No sound server could be reached, or it went away; the list is empty from then on.
  void Unreachable();

 private:
  // Loop thread.
  void Subscribe(pa_context* context);
  void Refresh();

  ThreadInbox* inbox_;
  State state_ = State::kConnecting;
  std::vector<SoundInputInfo> inputs_;
  // Loop thread only.
  pa_context* context_ = nullptr;
  PulseInputReader reader_;
  PulseLoop loop_;
};

// The label the chooser shows for a monitor of the output described as `sinkDescription`.
QString MonitorLabel(const QString& sinkDescription);

}  // namespace kalvetro
