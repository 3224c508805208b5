// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/OscCommand.h"

#include <lo/lo_errors.h>
#include <lo/lo_lowlevel.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "playback/Sequencer.h"
#include "show/ShowMemory.h"

namespace kalvetro {

namespace {

using K = RemoteCommandKind;

constexpr char kBundleTag[] = "#bundle";   // with its terminating zero: 8 bytes
constexpr std::size_t kBundleHeader = 16;  // the tag and the 8-byte time tag

// An argument as a whole number, or why it is not one.
struct Whole {
  bool ok = false;
  int value = 0;
};

// liblo's arguments lie on 4-byte boundaries inside the message, while its lo_arg union asks
// for 8: they are read by copying their bytes, never through the union.
Whole WholeArgument(char type, const lo_arg* arg) {
  if (type == LO_INT32) {
    std::int32_t i = 0;
    std::memcpy(&i, static_cast<const void*>(arg), sizeof i);
    return {true, i};
  }
  if (type == LO_FLOAT) {
    // Touch panels send 1.0 for a pressed button; 0.5 means nothing here.
    float f = 0;
    std::memcpy(&f, static_cast<const void*>(arg), sizeof f);
    if (std::isfinite(f) && std::trunc(f) == f && std::fabs(f) <= 1e9f)
      return {true, static_cast<int>(f)};
  }
  return {};
}

struct Address {
  const char* path;
  K kind;
  int arguments;  // -1: a trigger (no argument, or one: 1 acts, 0 is a button let go)
  int firstLow, firstHigh;
  int secondLow, secondHigh;
  bool sync;
};

// The scene's upper bound depends on the show: the door checks it.
const Address kAddresses[] = {
    {"/kalvetro/play", K::Play, 1, 0, 1, 0, 0, false},
    {"/kalvetro/next", K::Next, -1, 0, 0, 0, 0, false},
    {"/kalvetro/previous", K::Previous, -1, 0, 0, 0, 0, false},
    {"/kalvetro/scene", K::Scene, 1, 1, kSceneCount, 0, 0, false},
    {"/kalvetro/tempo", K::Tempo, 1, kTempoMin, kTempoMax, 0, 0, false},
    {"/kalvetro/blackout", K::BlackOut, 1, 0, 1, 0, 0, false},
    {"/kalvetro/picture", K::Picture, 2, 1, kPictureCount, 0, 1, false},
    {"/kalvetro/latch", K::Latch, 2, 1, kPictureCount, 0, 1, false},
    {"/kalvetro/channel", K::Channel, 2, 1, kChannelCount, 0, 255, false},
    {"/kalvetro/automat", K::Automat, 2, 1, 2, 0, 1, false},
    {"/kalvetro/sync", K::Next, -1, 0, 0, 0, 0, true},
};

struct MessageFree {
  void operator()(lo_message m) const { lo_message_free(m); }
};

QString Refused(const QString& path, const QString& why) {
  return QStringLiteral("%1: %2").arg(path, why);
}

class Reader {
 public:
  OscPacket packet;

  // `data` is 4-byte aligned, as liblo reads its words in place while checking them.
  bool Read(const std::uint8_t* data, std::size_t size, int depth) {
    if (size >= 8 && std::memcmp(data, kBundleTag, 8) == 0) return ReadBundle(data, size, depth);
    return ReadMessage(data, size);
  }

 private:
  bool Fail(const QString& error) {
    packet.error = error;
    return false;
  }

  bool ReadBundle(const std::uint8_t* data, std::size_t size, int depth) {
    if (depth >= kOscMaxBundleDepth)
      return Fail(QStringLiteral("слишком глубокая вложенность пакетов"));
    if (size < kBundleHeader || size % 4 != 0)
      return Fail(QStringLiteral("поврежденный пакет OSC"));
    std::size_t at = kBundleHeader;
    while (at < size) {
      if (size - at < 4) return Fail(QStringLiteral("поврежденный пакет OSC"));
      const std::uint32_t length = (std::uint32_t{data[at]} << 24) |
                                   (std::uint32_t{data[at + 1]} << 16) |
                                   (std::uint32_t{data[at + 2]} << 8) | data[at + 3];
      at += 4;
      if (length == 0 || length % 4 != 0 || length > size - at)
        return Fail(QStringLiteral("поврежденный пакет OSC: длина части %1").arg(length));
      if (!Read(data + at, length, depth + 1)) return false;
      at += length;
    }
    return true;
  }

  bool ReadMessage(const std::uint8_t* data, std::size_t size) {
    if (++messages_ > kOscMaxMessagesPerPacket)
      return Fail(QStringLiteral("больше %1 сообщений в пакете").arg(kOscMaxMessagesPerPacket));
    int result = 0;
    // liblo checks the address, the type tags, the padding and every argument's length and
    // copies the message; it leaves the bytes given alone.
    std::unique_ptr<std::remove_pointer_t<lo_message>, MessageFree> message(
        lo_message_deserialise(const_cast<std::uint8_t*>(data), size, &result));
    if (!message) return Fail(QStringLiteral("не сообщение OSC (liblo: %1)").arg(result));
    // The address is the message's first string, checked by liblo to end inside it.
    const char* path = reinterpret_cast<const char*>(data);
    const QString pathText = QString::fromUtf8(path).left(64);
    const int argc = lo_message_get_argc(message.get());
    const char* types = lo_message_get_types(message.get());
    lo_arg** argv = lo_message_get_argv(message.get());

    QString text = pathText;
    for (int i = 0; i < argc && i < 4; ++i) {
      const Whole w = WholeArgument(types[i], argv[i]);
      text += w.ok ? QStringLiteral(" %1").arg(w.value) : QStringLiteral(" ?%1").arg(types[i]);
    }
    if (!packet.text.isEmpty()) packet.text += QStringLiteral("; ");
    packet.text += text;

    const Address* address = nullptr;
    for (const Address& a : kAddresses)
      if (std::strcmp(path, a.path) == 0) address = &a;
    if (!address) return Fail(QStringLiteral("неизвестный адрес %1").arg(pathText));

    int values[2] = {0, 0};
    for (int i = 0; i < argc && i < 2; ++i) {
      const Whole w = WholeArgument(types[i], argv[i]);
      if (!w.ok)
        return Fail(Refused(pathText, QStringLiteral("аргумент %1 не целое число").arg(i + 1)));
      values[i] = w.value;
    }
    if (address->arguments < 0) {
      if (argc > 1 || (argc == 1 && values[0] != 0 && values[0] != 1))
        return Fail(Refused(pathText, QStringLiteral("ожидается без аргумента, 1 или 0")));
      if (argc == 1 && values[0] == 0) return true;  // a button let go: nothing to do
    } else if (argc != address->arguments) {
      return Fail(Refused(pathText, QStringLiteral("ожидается аргументов: %1, получено: %2")
                                        .arg(address->arguments)
                                        .arg(argc)));
    } else {
      const int low[2] = {address->firstLow, address->secondLow};
      const int high[2] = {address->firstHigh, address->secondHigh};
      for (int i = 0; i < argc; ++i)
        if (values[i] < low[i] || values[i] > high[i])
          return Fail(Refused(
              pathText, QStringLiteral("%1 вне %2..%3").arg(values[i]).arg(low[i]).arg(high[i])));
    }
    OscRequest request;
    request.sync = address->sync;
    request.command = {address->kind, address->arguments > 0 ? values[0] : 0, values[1]};
    packet.requests.push_back(request);
    return true;
  }

  int messages_ = 0;
};

}  // namespace

OscPacket ParseOscPacket(const void* data, std::size_t size) {
  Reader reader;
  if (size == 0 || size % 4 != 0) {
    reader.packet.error = QStringLiteral("не пакет OSC: %1 байт").arg(size);
    return reader.packet;
  }
  // A copy on 4-byte words: the datagram's buffer may start anywhere.
  std::vector<std::uint32_t> words(size / 4);
  std::memcpy(words.data(), data, size);
  if (!reader.Read(reinterpret_cast<const std::uint8_t*>(words.data()), size, 0))
    reader.packet.requests.clear();
  return std::move(reader.packet);
}

}  // namespace kalvetro
