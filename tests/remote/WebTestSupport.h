// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test helpers of the phone remote: the DMX wire read from the pty as packets come, and a
// phone (a WebSocket client) that keeps every message the console sends it.
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QWebSocket>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "show/ShowMemory.h"
#include "support/TestShow.h"

namespace kalvetro::testing {

// The show of the phone remote's tests: three scenes with channel 1 at kWebSceneLevels,
// picture 3 holding channel kWebPictureChannel at kWebPictureLevel.
inline constexpr int kWebSceneLevels[3] = {10, 20, 30};
inline constexpr int kWebPictureChannel = 20;
inline constexpr int kWebPictureLevel = 77;

inline QString WriteWebTestShow(const QTemporaryDir& dir) {
  return TestShow(2, 50, false)
      .Levels(1, {kWebSceneLevels[0], kWebSceneLevels[1], kWebSceneLevels[2]})
      .Picture(2, kWebPictureChannel, kWebPictureLevel)
      .WriteTo(dir, QStringLiteral("phone.klv"));
}

// The packets the console writes to the pty, decoded as they come.
class Wire {
 public:
  explicit Wire(Pty& pty) : pty_(pty) {}

  // Reads what has come; returns the newest complete packet, if any came so far.
  const std::optional<DmxFrame>& Latest() {
    std::uint8_t buffer[8192];
    ssize_t n = 0;
    while ((n = ::read(pty_.Master(), buffer, sizeof buffer)) > 0)
      decoder_.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), 0,
                    [this](const DmxFrame& f) { latest_ = f; });
    return latest_;
  }
  // Runs the event loop until a packet that arrives from now on satisfies holds.
  bool WaitFor(const std::function<bool(const DmxFrame&)>& holds, int ms = 3000) {
    Latest();
    latest_.reset();
    return testing::WaitFor([&] { return Latest() && holds(*latest_); }, ms);
  }
  // The level of channel 1..255 in the packet that arrives next.
  int Level(int channel) {
    Latest();
    latest_.reset();
    testing::WaitFor([&] { return Latest().has_value(); }, 2000);
    return latest_ ? latest_->levels[channel - 1] : -1;
  }
  long Malformed() const { return decoder_.Malformed(); }

 private:
  Pty& pty_;
  DmxStreamDecoder decoder_;
  std::optional<DmxFrame> latest_;
};

// A phone on the console's WebSocket: keeps every text message it hears.
class Phone {
 public:
  explicit Phone(int port, const QString& host = QStringLiteral("127.0.0.1")) {
    QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
      messages_.push_back(QJsonDocument::fromJson(text.toUtf8()).object());
    });
    QObject::connect(&socket_, &QWebSocket::disconnected, [this] { closed_ = true; });
    socket_.open(QUrl(QStringLiteral("ws://%1:%2/ws").arg(host).arg(port)));
  }

  bool WaitOpen() {
    testing::WaitFor(
        [this] { return socket_.state() == QAbstractSocket::ConnectedState || closed_; });
    return socket_.state() == QAbstractSocket::ConnectedState;
  }
  void Send(const QByteArray& text) { socket_.sendTextMessage(QString::fromUtf8(text)); }
  void SendBinary(const QByteArray& bytes) { socket_.sendBinaryMessage(bytes); }
  // Connects and sends the PIN; true when the console let it in.
  bool LogIn(const QString& pin) {
    if (!WaitOpen()) return false;
    Send(QStringLiteral("{\"pin\":\"%1\"}").arg(pin).toUtf8());
    const auto answer = Next({QStringLiteral("welcome"), QStringLiteral("denied")});
    return answer && answer->value(QStringLiteral("type")).toString() == QStringLiteral("welcome");
  }
  // The next message of one of these types after those already taken (waits for it).
  std::optional<QJsonObject> Next(const QStringList& types, int ms = 3000) {
    std::optional<QJsonObject> found;
    testing::WaitFor(
        [&] {
          for (; cursor_ < messages_.size(); ++cursor_)
            if (types.contains(messages_[cursor_].value(QStringLiteral("type")).toString())) {
              found = messages_[cursor_++];
              return true;
            }
          return false;
        },
        ms);
    return found;
  }
  std::optional<QJsonObject> Next(const QString& type, int ms = 3000) {
    return Next(QStringList{type}, ms);
  }
  // Sends a command and returns the console's reply to it.
  QJsonObject Ask(const QByteArray& text) {
    Send(text);
    return Next(QStringLiteral("reply")).value_or(QJsonObject{});
  }
  // Waits until the console has closed the connection.
  bool WaitClosed(int ms = 3000) {
    return testing::WaitFor([this] { return closed_; }, ms);
  }
  bool Closed() const { return closed_; }
  const std::vector<QJsonObject>& Messages() const { return messages_; }
  // Skips what has come so far.
  void SkipAll() { cursor_ = messages_.size(); }

 private:
  QWebSocket socket_;
  std::vector<QJsonObject> messages_;
  std::size_t cursor_ = 0;
  bool closed_ = false;
};

}  // namespace kalvetro::testing
