// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "playback/AudioInput.h"
#include "playback/PulseLoop.h"
#include "playback/PulseSources.h"

struct pa_context;
struct pa_stream;

namespace kalvetro {

class ThreadInbox;

// A source of the sound server (an input, or the monitor of an output) as the level source,
// recorded through libpulse as mono floats. A source named by the operator that goes away
// (an unplugged sound card, an output removed) is said to be lost; the input then reads as
// silence and is recorded again as soon as a source of that name is back.
class PulseLevelInput : public AudioInput {
  Q_OBJECT

 public:
  // `wanted`: a source's name, or a part of its name or label (the first that matches is
  // taken and then followed by its exact name); empty: the server's default source.
  explicit PulseLevelInput(const QString& wanted, QObject* parent = nullptr);
  ~PulseLevelInput() override;

  // Connects to the server and starts recording, waiting a few seconds at most for the
  // server's answer. A wanted source that is not there yet is no failure: the input starts
  // lost and is taken when the source appears. Fails when no server answers.
  bool Start(QString* error) override;
  void Stop() override;
  bool Running() const override { return started_; }
  QString Description() const override { return description_; }
  void SetPcmListener(PcmListener* listener) override;
  // The level of the samples recorded since the last read; none arrived: the last level
  // again (silence while the source is lost).
  std::optional<int> ReadLevel() override;

  // Start failed because no sound server could be reached (another way in may work).
  bool ServerMissing() const { return serverMissing_; }
  // Whether a source is being recorded right now.
  bool Recording() const { return recording_; }

 private:
  // Loop thread.
  void Connected(pa_context* context);
  void FindSource();
  void Record(const std::string& name, const QString& label, int rate);
  void TakeInputs(PulseInputList list);
  void StreamState();
  void ReadSamples();
  void DropStream();
  // Start's answer: started, with the input's label; or not, with the reason.
  void Answer(bool ok, const QString& text);
  // UI thread, through the inbox.
  void SayLost(const QString& reason);
  void SayBack(const QString& label);

  const QString wanted_;
  ThreadInbox* inbox_;
  bool started_ = false;
  bool serverMissing_ = false;
  bool recording_ = false;  // UI thread's view
  bool lostSaid_ = false;
  QString description_;
  int lastLevel_ = 0;
  // The peak level recorded since the last read, plus one; 0: nothing new.
  std::atomic<int> pendingLevel_{0};
  std::mutex listenerMutex_;
  PcmListener* listener_ = nullptr;  // under listenerMutex_
  // Start's wait for the first answer.
  std::mutex answerMutex_;
  struct StartAnswer {
    bool ok;
    QString text;
  };
  std::optional<StartAnswer> answer_;
  std::atomic<bool> answerReady_{false};  // answer_ is set
  // Loop thread only.
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  std::string followed_;     // the exact name once one source has been taken
  PulseInputReader reader_;  // its answers come to TakeInputs
  bool answeredStart_ = false;
  int rate_ = 48000;
  QString streamLabel_;
  PulseLoop loop_;
};

}  // namespace kalvetro
