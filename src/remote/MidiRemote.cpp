// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/MidiRemote.h"

#include <RtMidi.h>

#include <QMetaObject>
#include <algorithm>

#include "door/RemoteDoor.h"

namespace kalvetro {

namespace {

constexpr int kScanIntervalMs = 2000;
constexpr int kResendMs = 300;
constexpr char kClientName[] = "Kalvetro";

RtMidi::Api ApiOf(const std::string& name) {
  return name == "jack" ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

// The first port whose name contains the text; -1 none.
int FindPort(RtMidi& midi, const std::string& text) {
  if (text.empty()) return -1;
  const unsigned count = midi.getPortCount();
  for (unsigned i = 0; i < count; ++i)
    if (midi.getPortName(i).find(text) != std::string::npos) return static_cast<int>(i);
  return -1;
}

QStringList PortNames(RtMidi& midi) {
  QStringList names;
  const unsigned count = midi.getPortCount();
  for (unsigned i = 0; i < count; ++i) names << QString::fromStdString(midi.getPortName(i));
  return names;
}

QString Describe(const MidiEvent& e) {
  return QString::fromStdString(FormatMidiControl(e.control)) +
         QStringLiteral(" = %1").arg(e.value);
}

}  // namespace

// RtMidi's objects and the errors they report (from either thread).
struct MidiRemote::Ports {
  std::unique_ptr<RtMidiIn> in;
  std::unique_ptr<RtMidiOut> out;
  CallbackMutex errorLock;
  std::string error;

  static void Error(RtMidiError::Type, const std::string& text, void* self) {
    auto* ports = static_cast<Ports*>(self);
    std::lock_guard lock(ports->errorLock);
    ports->error = text;
  }
  std::string TakeError() {
    std::lock_guard lock(errorLock);
    return std::exchange(error, {});
  }
};

MidiRemote::MidiRemote(RemoteDoor& door) : door_(door) {
  scanTimer_.setInterval(kScanIntervalMs);
  connect(&scanTimer_, &QTimer::timeout, this, &MidiRemote::Scan);
  resendTimer_.setSingleShot(true);
  resendTimer_.setInterval(kResendMs);
  connect(&resendTimer_, &QTimer::timeout, this, [this] { SendFeedback(true); });
  auto feedback = [this] { SendFeedback(); };
  connect(&door_, &RemoteDoor::SceneChanged, this, feedback);
  connect(&door_, &RemoteDoor::PlayingChanged, this, feedback);
  connect(&door_, &RemoteDoor::BlackOutChanged, this, feedback);
  connect(&door_, &RemoteDoor::TempoChanged, this, feedback);
  connect(&door_, &RemoteDoor::PictureChanged, this, feedback);
  connect(&door_, &RemoteDoor::AutomatChanged, this, feedback);
  connect(&door_, &RemoteDoor::LevelsChanged, this, feedback);
}

MidiRemote::~MidiRemote() {
  Stop();
}

bool MidiRemote::Start(const MidiSettings& setup) {
  Stop();
  setup_ = setup;
  SetMappings(setup.mappings);
  if (!setup.on) return true;
  auto ports = std::make_unique<Ports>();
  try {
    ports->in = std::make_unique<RtMidiIn>(ApiOf(setup.api), kClientName);
    ports->out = std::make_unique<RtMidiOut>(ApiOf(setup.api), kClientName);
  } catch (const RtMidiError& error) {
    lastError_ = QStringLiteral("MIDI: %1").arg(QString::fromStdString(error.getMessage()));
    return false;
  }
  ports->in->setErrorCallback(&Ports::Error, ports.get());
  ports->out->setErrorCallback(&Ports::Error, ports.get());
  ports->in->setCallback(&MidiRemote::Receive, this);
  ports_ = std::move(ports);
  running_ = true;
  Scan();
  scanTimer_.start();
  return true;
}

void MidiRemote::SetMappings(const std::vector<std::string>& lines) {
  setup_.mappings = lines;
  std::vector<MidiMapping> mappings;
  badMappings_ = 0;
  for (const std::string& line : lines) {
    if (const auto m = ParseMidiMapping(line))
      mappings.push_back(*m);
    else
      ++badMappings_;
  }
  mapper_.SetMappings(std::move(mappings));
  SendFeedback(true);
}

void MidiRemote::Stop() {
  scanTimer_.stop();
  resendTimer_.stop();
  if (ports_) {
    // Closing the input ends RtMidi's thread before the table it writes goes.
    ports_->in->cancelCallback();
    ports_.reset();
  }
  running_ = false;
  if (connected_) {
    connected_ = false;
    emit ConnectedChanged(false);
  }
  outConnected_ = false;
}

QStringList MidiRemote::InputPorts() const {
  return ports_ ? PortNames(*ports_->in) : QStringList();
}

QStringList MidiRemote::OutputPorts() const {
  return ports_ ? PortNames(*ports_->out) : QStringList();
}

void MidiRemote::Scan() {
  if (!ports_) return;
  // The desk is there when its input is: a desk without lights has no port to show them on,
  // and one whose lights come a moment after its controls gets them when they come.
  const bool inThere = FindPort(*ports_->in, setup_.inPort) >= 0;
  if (!connected_) {
    if (inThere) Open();
    return;
  }
  if (!inThere) {
    Close(true);
    return;
  }
  const bool outThere = FindPort(*ports_->out, setup_.outPort) >= 0;
  if (outThere != outConnected_)
    OpenOutput();
  else
    SendFeedback();
}

void MidiRemote::OpenOutput() {
  Ports& p = *ports_;
  p.out->closePort();
  p.TakeError();
  const int out = FindPort(*p.out, setup_.outPort);
  if (out >= 0) p.out->openPort(static_cast<unsigned>(out), "out");
  outConnected_ = out >= 0 && p.TakeError().empty();
  SendFeedback(true);
  if (outConnected_) resendTimer_.start();
}

void MidiRemote::Open() {
  Ports& p = *ports_;
  const int in = FindPort(*p.in, setup_.inPort);
  if (in < 0) return;
  // RtMidi's isPortOpen() is not kept by every back end: an open that failed is known by
  // the error it reported.
  p.TakeError();
  p.in->closePort();
  p.in->openPort(static_cast<unsigned>(in), "in");
  // SysEx, clock and active sensing are dropped by RtMidi itself: it keeps a SysEx until its
  // end, so a desk that never ends one would otherwise grow our memory without bound.
  p.in->ignoreTypes(true, true, true);
  if (const std::string error = p.TakeError(); !error.empty()) {
    lastError_ = QStringLiteral("MIDI: %1").arg(QString::fromStdString(error));
    return;
  }
  connected_ = true;
  mapper_.ResetTakeover();
  door_.Say(
      QStringLiteral("MIDI: пульт «%1» подключён").arg(QString::fromStdString(setup_.inPort)));
  emit ConnectedChanged(true);
  OpenOutput();
}

void MidiRemote::Close(bool gone) {
  if (ports_) {
    ports_->in->closePort();
    ports_->out->closePort();
  }
  connected_ = false;
  outConnected_ = false;
  if (gone)
    door_.Say(QStringLiteral("MIDI: пульт «%1» отключён, показ продолжается")
                  .arg(QString::fromStdString(setup_.inPort)));
  emit ConnectedChanged(false);
}

void MidiRemote::Receive(double, std::vector<unsigned char>* message, void* self) {
  if (message) static_cast<MidiRemote*>(self)->Take(*message);
}

void MidiRemote::Take(const std::vector<unsigned char>& message) {
  const auto event = ParseMidi(message.data(), message.size());
  if (!event) {
    ignored_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  received_.fetch_add(1, std::memory_order_relaxed);
  const int slot = MidiControlSlot(event->control);
  bool post = false;
  {
    std::lock_guard lock(pendingLock_);
    Pending& pending = pending_[static_cast<std::size_t>(slot)];
    if (pending.value < 0) {
      dirty_.push_back(slot);
      pending.low = pending.high = event->value;
    }
    pending.value = event->value;
    pending.low = std::min(pending.low, event->value);
    pending.high = std::max(pending.high, event->value);
    post = !std::exchange(posted_, true);
  }
  if (post) inbox_.Post([this] { Drain(); });
}

MidiConsoleView MidiRemote::View() const {
  return {door_.State(),
          [this](int channel) { return static_cast<int>(door_.SceneLevel(channel)); }};
}

void MidiRemote::Drain() {
  std::vector<MidiEvent> events;
  {
    std::lock_guard lock(pendingLock_);
    posted_ = false;
    events.reserve(dirty_.size());
    for (int slot : dirty_) {
      Pending& pending = pending_[static_cast<std::size_t>(slot)];
      const MidiControl control = MidiControlOfSlot(slot);
      // A button pressed and let go within one burst is both: the press is not lost.
      if (control.kind == MidiKind::Note && pending.value == 0 && pending.high > 0)
        events.push_back({control, pending.high});
      events.push_back({control, pending.value, pending.low, pending.high});
      pending.value = -1;
    }
    dirty_.clear();
  }
  for (const MidiEvent& event : events) {
    lastMessage_ = Describe(event);
    const auto action = mapper_.Handle(event, View());
    if (action && action->command) {
      const QString refused = door_.Run(*action->command);
      if (!refused.isEmpty()) {
        ++refused_;
        lastError_ = refused;
        door_.Say(QStringLiteral("MIDI: ") + refused);
      }
    }
    emit ControlMoved(event.control, event.value);
  }
  SendFeedback();
}

void MidiRemote::SendFeedback(bool everything) {
  if (!ports_ || !connected_ || !outConnected_) return;
  const std::vector<MidiEvent> values = mapper_.Feedback(View());
  if (everything || shown_.size() != values.size()) shown_.assign(values.size(), -1);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const MidiEvent& e = values[i];
    if (shown_[i] == e.value) continue;
    shown_[i] = e.value;
    const unsigned char status = static_cast<unsigned char>(
        (e.control.kind == MidiKind::Note ? 0x90 : 0xB0) | (e.control.channel - 1));
    const unsigned char bytes[3] = {status, static_cast<unsigned char>(e.control.number),
                                    static_cast<unsigned char>(e.value)};
    ports_->out->sendMessage(bytes, sizeof bytes);
  }
}

}  // namespace kalvetro
