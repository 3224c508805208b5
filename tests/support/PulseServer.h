// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A PulseAudio server of the test's own: a private runtime folder and socket, no sound card,
// outputs made and removed as null sinks. PULSE_SERVER of this process names it from Start
// on, so the console in the test and every program the test starts talk to this server only.
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

namespace kalvetro::testing {

class PulseServer {
 public:
  PulseServer() = default;
  ~PulseServer() { Stop(); }
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  // Starts the server and waits until it answers; false when it does not.
  bool Start() {
    if (!dir_.isValid()) return false;
    socket_ = dir_.filePath(QStringLiteral("native"));
    QProcessEnvironment environment = Environment();
    server_.setProcessEnvironment(environment);
    server_.setStandardErrorFile(dir_.filePath(QStringLiteral("server.log")));
    server_.start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
         QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-target=stderr"),
         QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + socket_});
    if (!server_.waitForStarted(5000)) return false;
    qputenv("PULSE_SERVER", Server().toUtf8());
    for (int i = 0; i < 100; ++i) {
      if (Pactl({QStringLiteral("info")})) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // Stops the server; a paplay still playing is stopped first.
  void Stop() {
    for (QProcess* player : players_) {
      player->kill();
      player->waitForFinished(2000);
      delete player;
    }
    players_.clear();
    if (server_.state() == QProcess::NotRunning) return;
    server_.terminate();
    if (!server_.waitForFinished(5000)) server_.kill();
    server_.waitForFinished(2000);
    qunsetenv("PULSE_SERVER");
  }
  QString Server() const { return QStringLiteral("unix:") + socket_; }

  // Adds an output; its monitor is the source "<name>.monitor". Returns the module's index
  // (to remove it by), or -1.
  int AddSink(const QString& name, const QString& description) {
    QString out;
    if (!Pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                QStringLiteral("sink_name=") + name,
                QStringLiteral("sink_properties=\"device.description='%1'\"").arg(description)},
               &out))
      return -1;
    bool ok = false;
    const int module = out.trimmed().toInt(&ok);
    return ok ? module : -1;
  }
  bool RemoveModule(int module) {
    return Pactl({QStringLiteral("unload-module"), QString::number(module)});
  }
  // Plays a WAV file into the output `sink`, in the background.
  bool Play(const QString& sink, const QString& wav) {
    auto* player = new QProcess;
    player->setProcessEnvironment(Environment());
    player->start(QStringLiteral("paplay"), {QStringLiteral("-d"), sink, wav});
    players_.push_back(player);
    return player->waitForStarted(5000);
  }
  // Waits for every paplay started so far.
  void WaitPlayed() {
    for (QProcess* player : players_) {
      player->waitForFinished(20000);
      delete player;
    }
    players_.clear();
  }

  // pactl with these arguments; its standard output in out.
  bool Pactl(const QStringList& arguments, QString* out = nullptr) const {
    QProcess pactl;
    pactl.setProcessEnvironment(Environment());
    pactl.start(QStringLiteral("pactl"), arguments);
    if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0) return false;
    if (out) *out = QString::fromUtf8(pactl.readAllStandardOutput());
    return true;
  }

  // Writes a mono 16-bit WAV at 44.1 kHz: `clicks` full-scale clicks of 20 ms, one every
  // `periodMs`, the first after `periodMs / 2` of silence; returns its path.
  QString WriteClicks(int clicks, int periodMs) const {
    constexpr int kRate = 44100;
    const int period = kRate * periodMs / 1000;
    const int total = period * clicks + period / 2;
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < total; ++i) {
      const int at = i - period / 2;
      const bool click = at >= 0 && at % period < kRate / 50;
      // A square burst of 1 kHz: loud and with no ramp, as a click is.
      out << static_cast<qint16>(click ? ((at % 44) < 22 ? 30000 : -30000) : 0);
    }
    QByteArray wav;
    QDataStream header(&wav, QIODevice::WriteOnly);
    header.setByteOrder(QDataStream::LittleEndian);
    header.writeRawData("RIFF", 4);
    header << static_cast<quint32>(36 + samples.size());
    header.writeRawData("WAVEfmt ", 8);
    header << quint32{16} << quint16{1} << quint16{1} << quint32{kRate} << quint32{kRate * 2}
           << quint16{2} << quint16{16};
    header.writeRawData("data", 4);
    header << static_cast<quint32>(samples.size());
    const QString path = dir_.filePath(QStringLiteral("clicks-%1.wav").arg(clicks));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(wav + samples);
    return path;
  }

 private:
  QProcessEnvironment Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
    environment.insert(QStringLiteral("HOME"), dir_.path());
    environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket_);
    return environment;
  }

  QTemporaryDir dir_;
  QString socket_;
  QProcess server_;
  std::vector<QProcess*> players_;
};

}  // namespace kalvetro::testing
