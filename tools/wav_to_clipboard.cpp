// Plays a WAV file into the clipboard as a sound level: every period (10 ms by default, so
// 100 times a second) the peak of the samples of that period becomes the level 00..99, the
// same scale as the console's audio input, and is written as two-digit text into the
// clipboard, where the page "ЗВУК" reads it. For showing and testing the clipboard path
// without a sound program:
//   wav_to_clipboard FILE.wav [PERIOD_MS] [--loop]
// Needs a display that has a clipboard (X11; under Xvfb too). Reads 8, 16, 24 and 32-bit PCM
// and 32-bit float WAV files, any number of channels.
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "playback/AudioLevel.h"

namespace {

struct Wav {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved, full scale 1.0
};

std::uint32_t Le32(const char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(p[i]);
  return v;
}
std::uint16_t Le16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(p[0]) |
                                    (static_cast<std::uint8_t>(p[1]) << 8));
}

std::optional<Wav> ReadWav(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = file.errorString();
    return std::nullopt;
  }
  const QByteArray data = file.readAll();
  const char* p = data.constData();
  const qsizetype size = data.size();
  if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) {
    *error = QStringLiteral("not a WAV file");
    return std::nullopt;
  }
  int format = 0;
  int bits = 0;
  Wav wav;
  const char* samples = nullptr;
  qsizetype sampleBytes = 0;
  for (qsizetype at = 12; at + 8 <= size;) {
    const qsizetype length = Le32(p + at + 4);
    const qsizetype body = at + 8;
    const qsizetype available = std::min<qsizetype>(length, size - body);
    if (std::memcmp(p + at, "fmt ", 4) == 0 && available >= 16) {
      format = Le16(p + body);
      wav.channels = Le16(p + body + 2);
      wav.rate = static_cast<int>(Le32(p + body + 4));
      bits = Le16(p + body + 14);
      if (format == 0xFFFE && available >= 26) format = Le16(p + body + 24);  // extensible
    } else if (std::memcmp(p + at, "data", 4) == 0) {
      samples = p + body;
      sampleBytes = available;
    }
    at = body + length + (length & 1);
  }
  const bool pcm = format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
  const bool floats = format == 3 && bits == 32;
  if (!samples || wav.rate <= 0 || wav.channels <= 0 || !(pcm || floats)) {
    *error = QStringLiteral("unsupported WAV format (PCM 8/16/24/32 bit or float 32 bit)");
    return std::nullopt;
  }
  const int width = bits / 8;
  const qsizetype count = sampleBytes / width;
  wav.samples.resize(static_cast<std::size_t>(count));
  for (qsizetype i = 0; i < count; ++i) {
    const char* s = samples + i * width;
    float v = 0;
    if (floats) {
      std::memcpy(&v, s, sizeof(v));
    } else if (bits == 8) {
      v = (static_cast<std::uint8_t>(s[0]) - 128) / 128.0f;
    } else if (bits == 16) {
      v = static_cast<std::int16_t>(Le16(s)) / 32768.0f;
    } else if (bits == 24) {
      const std::int32_t raw = static_cast<std::int32_t>(
          (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[0])) << 8) |
          (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[1])) << 16) |
          (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[2])) << 24));
      v = static_cast<float>((raw >> 8) / 8388608.0);
    } else {
      v = static_cast<float>(static_cast<std::int32_t>(Le32(s)) / 2147483648.0);
    }
    wav.samples[static_cast<std::size_t>(i)] = v;
  }
  return wav;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: wav_to_clipboard FILE.wav [PERIOD_MS] [--loop]\n");
    return 2;
  }
  bool loop = false;
  int periodMs = 10;
  QString path;
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--loop")) {
      loop = true;
    } else if (path.isEmpty()) {
      path = args[i];
    } else {
      bool ok = false;
      periodMs = args[i].toInt(&ok);
      if (!ok || periodMs < 1) {
        std::fprintf(stderr, "wav_to_clipboard: bad period %s\n", qPrintable(args[i]));
        return 2;
      }
    }
  }
  QString error;
  const std::optional<Wav> wav = ReadWav(path, &error);
  if (!wav) {
    std::fprintf(stderr, "wav_to_clipboard: %s: %s\n", qPrintable(path), qPrintable(error));
    return 1;
  }
  const std::size_t frames = wav->samples.size() / static_cast<std::size_t>(wav->channels);
  if (frames == 0) {
    std::fprintf(stderr, "wav_to_clipboard: %s holds no samples\n", qPrintable(path));
    return 1;
  }

  // The position in the file follows the clock, so a late tick reads a longer stretch
  // instead of letting the levels drift behind the music.
  QElapsedTimer clock;
  clock.start();
  std::size_t done = 0;  // frames already turned into levels
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setInterval(periodMs);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    std::size_t target =
        static_cast<std::size_t>(clock.nsecsElapsed() / 1000 * wav->rate / 1000000);
    if (target >= frames) {
      if (!loop) {
        app.quit();
        return;
      }
      clock.restart();
      done = 0;
      target = std::min<std::size_t>(frames, static_cast<std::size_t>(wav->rate) * periodMs / 1000);
    }
    if (target <= done) return;
    const std::span<const float> part(wav->samples.data() + done * wav->channels,
                                      (target - done) * wav->channels);
    done = target;
    const int level = kalvetro::AudioLevel(part);
    QGuiApplication::clipboard()->setText(QStringLiteral("%1").arg(level, 2, 10, QChar('0')));
  });
  timer.start();
  return app.exec();
}
