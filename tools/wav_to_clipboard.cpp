// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <optional>
#include <span>
#include <vector>

#include "playback/AudioLevel.h"
#include "playback/PcmSamples.h"

namespace {

std::optional<kalvetro::WavSamples> ReadWav(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = file.errorString();
    return std::nullopt;
  }
  const QByteArray data = file.readAll();
  std::string reason;
  auto wav = kalvetro::ParseWav(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                          static_cast<std::size_t>(data.size())),
                                &reason);
  if (!wav) *error = QString::fromStdString(reason);
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
  const std::optional<kalvetro::WavSamples> wav = ReadWav(path, &error);
  if (!wav) {
    std::fprintf(stderr, "wav_to_clipboard: %s: %s\n", qPrintable(path), qPrintable(error));
    return 1;
  }
  const std::size_t frames = wav->Frames();
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
