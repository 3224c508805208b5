// SPDX-License-Identifier: GPL-3.0-or-later
// Beat pacing through the real audio path: a PulseAudio server of the test's own with a null
// sink, a drum loop played into it with paplay, and the headless player listening on the
// sink's monitor, the server's default input.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <vector>

#include "support/PulseServer.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

bool RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

TEST(BeatAudioPath, TheHeadlessPlayerStepsOnTheBeatsOfALoopPlayedIntoPulseAudio) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  testing::PulseServer pulse;
  ASSERT_TRUE(pulse.Start());
  ASSERT_GE(pulse.AddSink(QStringLiteral("beats"), QStringLiteral("Beats")), 0);
  // The monitor of the output (what this computer plays) is the default input.
  ASSERT_TRUE(pulse.Pactl({QStringLiteral("set-default-source"), QStringLiteral("beats.monitor")}));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

  // A kick every 0.5 s (120 BPM) for 20 s, made with sox.
  const QString hit = dir.filePath(QStringLiteral("hit.wav"));
  const QString loop = dir.filePath(QStringLiteral("loop.wav"));
  ASSERT_TRUE(RunTool(
      QStringLiteral("sox"),
      {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
       QStringLiteral("1"), hit, QStringLiteral("synth"), QStringLiteral("0.12"),
       QStringLiteral("sine"), QStringLiteral("150-50"), QStringLiteral("fade"),
       QStringLiteral("0"), QStringLiteral("0.12"), QStringLiteral("0.1"), QStringLiteral("pad"),
       QStringLiteral("0"), QStringLiteral("0.38")},
      env));
  ASSERT_TRUE(RunTool(QStringLiteral("sox"),
                      {hit, loop, QStringLiteral("repeat"), QStringLiteral("39")}, env));
  const QString show = testing::TestShow(11, 10).WriteTo(dir, QStringLiteral("show.klv"));

  QProcess console;
  console.setProcessEnvironment(env);
  console.start(QStringLiteral(KALVETRO_CONSOLE_BINARY),
                {QStringLiteral("--headless"), QStringLiteral("--sound"), QStringLiteral("beat"),
                 QStringLiteral("--seconds"), QStringLiteral("14"), show});
  ASSERT_TRUE(console.waitForStarted());
  QTest::qWait(500);
  ASSERT_TRUE(pulse.Play(QStringLiteral("beats"), loop));

  // The time of each scene line the player prints.
  std::vector<qint64> steps;
  QElapsedTimer clock;
  clock.start();
  QByteArray pending;
  while (console.state() != QProcess::NotRunning && clock.elapsed() < 25000) {
    console.waitForReadyRead(20);
    pending += console.readAllStandardOutput();
    while (pending.contains('\n')) {
      const int end = pending.indexOf('\n');
      if (pending.left(end).contains("Сцена")) steps.push_back(clock.elapsed());
      pending.remove(0, end + 1);
    }
  }
  const QByteArray errors = console.readAllStandardError();
  pulse.Stop();

  // The first line is the start; then one step per beat once the tracker has the pulse.
  ASSERT_GE(steps.size(), 12u) << errors.constData();
  std::vector<qint64> gaps;
  for (std::size_t i = 2; i < steps.size(); ++i) gaps.push_back(steps[i] - steps[i - 1]);
  const auto onBeat =
      std::count_if(gaps.begin(), gaps.end(), [](qint64 g) { return g > 440 && g < 560; });
  EXPECT_GE(onBeat, static_cast<long>(gaps.size()) * 8 / 10) << errors.constData();
}

}  // namespace
}  // namespace kalvetro
