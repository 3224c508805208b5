// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <set>

#include "playback/Sequencer.h"
#include "playback/ui/PlaybackFixture.h"

namespace kalvetro::testing {
namespace {

using SequencerPanelTest = PlaybackFixture;

QColor ShapeColour(const SequencerPanel* panel) {
  return panel->tempoStrip->palette().color(QPalette::Window);
}

// The blackout box and the macro button belong to the output pages; when those are not in the
// window the test puts stand-ins with the same names there.
TEST_F(SequencerPanelTest, StartsStoppedWithItsControlsOnTheSequencerTab) {
  EXPECT_TRUE(
      form->findChild<QWidget*>(QStringLiteral("TabSheetAvtomat"))->isAncestorOf(sequencer));
  EXPECT_EQ(sequencer->title(), QStringLiteral("Управление сценами"));
  EXPECT_TRUE(sequencer->stopButton->isChecked());
  EXPECT_FALSE(sequencer->playButton->isChecked());
  EXPECT_FALSE(Show().playing.load());
  EXPECT_EQ(sequencer->stopButton->toolTip(),
            QStringLiteral("Остановить Шоу - горячая кнопка /+/ "));
  EXPECT_EQ(sequencer->playButton->toolTip(),
            QStringLiteral("Запустить Шоу - горячая кнопка /-/ "));
  EXPECT_EQ(sequencer->ringBox->text(), QStringLiteral("Кольцо"));
  EXPECT_TRUE(sequencer->ringBox->isChecked());
  EXPECT_EQ(sequencer->soundPacedBox->text(), QStringLiteral("Audio"));
  EXPECT_FALSE(sequencer->soundPacedBox->isChecked());
  EXPECT_EQ(sequencer->soundPacedBox->toolTip(),
            QStringLiteral("Включить запуск от звукового источника"));
  EXPECT_EQ(sequencer->tempoSlider->toolTip(),
            QStringLiteral("Установка времени перехода на следующую сцену"));
  EXPECT_EQ(sequencer->tempoLabel->toolTip(), QStringLiteral("Время перехода на следующую сцену "));
  EXPECT_EQ(sequencer->sceneLabel->toolTip(), QStringLiteral("Номер текущей сцены"));
  EXPECT_EQ(sequencer->lastSceneLabel->toolTip(), QStringLiteral("Максимальное кол-во сцен"));
  EXPECT_EQ(sequencer->sceneSlider->toolTip(), QStringLiteral("Установка текущей сцены"));
  EXPECT_EQ(sequencer->tempoStrip->size(), QSize(190, 5));
  EXPECT_EQ(Text("LabelTimeShou"), QStringLiteral("Время в Шоу ?"));
  EXPECT_EQ(Text("LabelTimePause"), QStringLiteral("Время  Паузы  "));

  // The empty show as start-up leaves it: scene 1 of 2 at tempo 44.
  EXPECT_EQ(sequencer->tempoSlider->value(), 44);
  EXPECT_EQ(sequencer->tempoSlider->minimum(), 10);
  EXPECT_EQ(sequencer->tempoSlider->maximum(), 170);
  EXPECT_EQ(sequencer->tempoSlider->pageStep(), 10);
  EXPECT_EQ(Text("LabelTemp"), QStringLiteral("30  Сцен/мин "));
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("1"));
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("2"));
  EXPECT_EQ(sequencer->sceneSlider->value(), 0);
  EXPECT_EQ(sequencer->sceneSlider->maximum(), 2);
  EXPECT_EQ(sequencer->sceneSlider->pageStep(), 10);

  auto* seqTimer = (&Runner().SequencerTimer());
  EXPECT_TRUE(seqTimer->isActive());
  EXPECT_EQ(seqTimer->interval(), 1936);
  EXPECT_EQ(seqTimer->timerType(), Qt::PreciseTimer);
  EXPECT_TRUE(Find<QTimer>("TimerShouClock")->isActive());
  EXPECT_EQ(Find<QTimer>("TimerShouClock")->interval(), 1000);
  EXPECT_EQ(Find<QTimer>("TimerColorLentaTempa")->interval(), 100);
}

TEST_F(SequencerPanelTest, TempoSliderAndLoadedTempoReachTheTimerAndTheLabel) {
  HoldTimers();
  sequencer->tempoSlider->setValue(10);
  EXPECT_EQ(Show().memory.Get(kTempo), 10);
  EXPECT_EQ(Runner().SequencerTimer().interval(), 100);
  EXPECT_EQ(Text("LabelTemp"), QStringLiteral("600  Сцен/мин "));
  sequencer->tempoSlider->setValue(170);
  EXPECT_EQ(Show().memory.Get(kTempo), 170);
  EXPECT_EQ(Runner().SequencerTimer().interval(), 28900);
  EXPECT_EQ(Text("LabelTemp"), QStringLiteral("2  Сцен/мин "));

  // A show file can carry any tempo byte: the refresh limits it to the slider range.
  Show().memory.Set(kTempo, 0);
  form->RefreshAll();
  EXPECT_EQ(sequencer->tempoSlider->value(), 10);
  EXPECT_EQ(Runner().SequencerTimer().interval(), 100);
  EXPECT_EQ(Text("LabelTemp"), QStringLiteral("600  Сцен/мин "));
  Show().memory.Set(kTempo, 0);  // slider already at 10: no change event, still limited
  form->RefreshAll();
  EXPECT_EQ(Runner().SequencerTimer().interval(), 100);
  EXPECT_EQ(Text("LabelTemp"), QStringLiteral("600  Сцен/мин "));
  Show().memory.Set(kTempo, 250);
  form->RefreshAll();
  EXPECT_EQ(sequencer->tempoSlider->value(), 170);
  EXPECT_EQ(Runner().SequencerTimer().interval(), 28900);
  EXPECT_EQ(Text("LabelTemp"), QStringLiteral("2  Сцен/мин "));
  // A tick at a limited tempo still computes sane fade steps.
  SetLevel(1, 1, 255);
  Show().memory.Set(kTempo, 0);
  form->RefreshAll();
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 1);
  EXPECT_EQ(form->Frames().stepTable[1].load(), 127);
}

TEST_F(SequencerPanelTest, TickAdvancesAPlayingShowAndWrapsWithFadeStepsFromTheBytesBefore) {
  HoldTimers();
  SetLevel(0, 5, 200);
  SetLevel(1, 5, 200);
  SetLevel(1, 6, 255);
  SetLevel(1, 7, 110);
  SetLevel(0, 7, 100);
  SetScenes(0, 1);
  Runner().SequencerTick();  // stopped: nothing moves
  EXPECT_EQ(Step(), 0);

  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  EXPECT_TRUE(Show().playing.load());
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 1);
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("2"));
  EXPECT_EQ(sequencer->sceneSlider->value(), 1);
  auto& steps = form->Frames().stepTable;
  EXPECT_EQ(steps[5].load(), 1);  // unchanged
  EXPECT_EQ(steps[6].load(), 6);  // 0 to 255 at tempo 44
  EXPECT_EQ(steps[7].load(), 1);  // 100 to 110

  // The pass is over: back to scene 0, faded up from the bytes before the scene area.
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("1"));
  EXPECT_EQ(steps[5].load(), 200 / 38);
  EXPECT_EQ(steps[6].load(), 1);
  EXPECT_EQ(steps[7].load(), 100 / 38);
  Show().memory.Set(SceneRowOffset(0) - kRowSize + 5, 200);
  Runner().SequencerTick();
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(steps[5].load(), 1);
  // The "Кольцо" box is only shown: the show wraps without it too.
  sequencer->ringBox->setChecked(false);
  Runner().SequencerTick();
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 0);
}

TEST_F(SequencerPanelTest, PassEndHookRunsOnlyWhenTheStepWraps) {
  HoldTimers();
  SetScenes(0, 2);
  std::vector<int> stepsAtPassEnd;
  QObject::connect(&Runner(), &ShowRunner::PassEnded,
                   [this, &stepsAtPassEnd] { stepsAtPassEnd.push_back(Step()); });
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  for (int i = 0; i < 7; ++i) Runner().SequencerTick();
  EXPECT_EQ(stepsAtPassEnd, (std::vector<int>{0, 0}));
  EXPECT_EQ(Step(), 1);
}

TEST_F(SequencerPanelTest, EveryTickFlashesTheTempoStripInTheOutputStateColour) {
  HoldTimers();
  EXPECT_EQ(ShapeColour(sequencer), QColor(Qt::white));  // until the first 100 ms have passed
  Runner().SequencerTick();
  EXPECT_EQ(ShapeColour(sequencer), QColor(0, 255, 0));
  EXPECT_TRUE(sequencer->tempoStripTimer->isActive());
  sequencer->EndTempoFlash();
  EXPECT_FALSE(sequencer->tempoStripTimer->isActive());
  EXPECT_EQ(ShapeColour(sequencer), sequencer->palette().color(QPalette::Button));

  auto* blackOut = Find<QAbstractButton>("CheckBoxBlackOut");
  blackOut->setChecked(true);
  Runner().SequencerTick();
  EXPECT_EQ(ShapeColour(sequencer), QColor(Qt::black));
  Find<QAbstractButton>("SpeedButtonMacrosOut")->click();
  Runner().SequencerTick();
  EXPECT_EQ(ShapeColour(sequencer), QColor(255, 0, 0));
  blackOut->setChecked(false);  // macro button still down: red wins
  Runner().SequencerTick();
  EXPECT_EQ(ShapeColour(sequencer), QColor(255, 0, 0));
  Find<QAbstractButton>("SpeedButtonOnScena")->click();
  Runner().SequencerTick();
  EXPECT_EQ(ShapeColour(sequencer), QColor(0, 255, 0));
}

TEST_F(SequencerPanelTest, AudioAdvancesOnlyOnABeatAndAStoppedShowKeepsThePendingBeat) {
  HoldTimers();
  SetScenes(0, 5);
  sequencer->soundPacedBox->setChecked(true);
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  Runner().SequencerTick();
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(ShapeColour(sequencer), QColor(0, 255, 0));  // the strip still flashes
  Show().beatFlag.store(1);
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 1);
  EXPECT_EQ(Show().beatFlag.load(), 0);
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 1);

  // A beat that comes while stopped waits; the first tick after Play takes it.
  QTest::mouseClick(sequencer->stopButton, Qt::LeftButton);
  Show().beatFlag.store(1);
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 1);
  EXPECT_EQ(Show().beatFlag.load(), 1);
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 2);
  EXPECT_EQ(Show().beatFlag.load(), 0);
}

TEST_F(SequencerPanelTest, StepSliderChoosesTheSceneOnlyWhileStopped) {
  HoldTimers();
  SetScenes(0, 5);
  sequencer->sceneSlider->setValue(3);
  EXPECT_EQ(Step(), 3);
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("4"));

  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  sequencer->sceneSlider->setValue(1);
  EXPECT_EQ(Step(), 3);
  EXPECT_EQ(sequencer->sceneSlider->value(), 3);
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("4"));

  // Without auto-add the slider reaches one past the end but the show keeps its length.
  QTest::mouseClick(sequencer->stopButton, Qt::LeftButton);
  sequencer->sceneSlider->setValue(sequencer->sceneSlider->maximum());
  EXPECT_EQ(Step(), 6);
  EXPECT_EQ(Last(), 5);
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("6"));

  // A show of all 256 scenes: the slider stops at scene 256, a step never wraps to 0.
  SetScenes(10, 255);
  EXPECT_EQ(sequencer->sceneSlider->maximum(), 255);
  sequencer->sceneSlider->setValue(255);
  EXPECT_EQ(Step(), 255);
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("256"));

  // A loaded show whose step lies beyond the old slider end keeps its step.
  SetScenes(0, 1);
  Show().memory.Set(kCurrentStep, 40);
  Show().memory.Set(kLastScene, 60);
  form->RefreshAll();
  EXPECT_EQ(Step(), 40);
  EXPECT_EQ(sequencer->sceneSlider->value(), 40);
  EXPECT_EQ(sequencer->sceneSlider->maximum(), 61);
}

TEST_F(SequencerPanelTest, AutoAddAppendsACopyOfTheLastScene) {
  HoldTimers();
  SetLevel(3, 1, 77);
  SetLevel(3, 255, 9);
  SetScenes(3, 3);
  auto* autoAdd = Find<QAction>("AvtoDobScenaItem");
  autoAdd->trigger();
  ASSERT_TRUE(autoAdd->isChecked());
  EXPECT_EQ(sequencer->sceneSlider->maximum(), 4);
  sequencer->sceneSlider->setValue(4);
  EXPECT_EQ(Step(), 4);
  EXPECT_EQ(Last(), 4);
  EXPECT_EQ(Show().DataRead(4, 1), 77);
  EXPECT_EQ(Show().DataRead(4, 255), 9);
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("5"));
  EXPECT_EQ(sequencer->sceneSlider->maximum(), 5);
  // Moving back inside the show adds nothing.
  sequencer->sceneSlider->setValue(2);
  EXPECT_EQ(Last(), 4);
  // While playing the slider appends nothing.
  sequencer->sceneSlider->setValue(4);
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  sequencer->sceneSlider->setValue(5);
  EXPECT_EQ(Last(), 4);
  EXPECT_EQ(Step(), 4);
}

TEST_F(SequencerPanelTest, DoubleClickOnPlayStartsFromTheFirstScene) {
  HoldTimers();
  SetScenes(2, 5);
  QTest::mouseDClick(sequencer->playButton, Qt::LeftButton);
  EXPECT_TRUE(Show().playing.load());
  EXPECT_TRUE(sequencer->playButton->isChecked());
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("1"));
  Runner().SequencerTick();
  EXPECT_EQ(Step(), 1);
}

// How many pixels of the control, drawn as the operator sees it, are of the wanted hue.
int PixelsLike(QWidget* control, const std::function<bool(const QColor&)>& wanted) {
  const QImage image = control->grab().toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (wanted(image.pixelColor(x, y))) ++count;
  return count;
}

bool Green(const QColor& c) {
  return c.green() > c.red() + 60 && c.green() > c.blue() + 60;
}
bool Red(const QColor& c) {
  return c.red() > c.green() + 60 && c.red() > c.blue() + 60;
}

// The latched transport button is lit in its colour (green play, red stop) and the scene
// digits are green on the dark display: the style sheets reach the controls by their names.
TEST_F(SequencerPanelTest, TheLatchedTransportButtonIsLitAndTheSceneDigitsAreGreen) {
  HoldTimers();
  Runner().Stop();
  EXPECT_GT(PixelsLike(sequencer->stopButton, Red), 100);
  EXPECT_EQ(PixelsLike(sequencer->playButton, Green), 0);
  Runner().Play();
  EXPECT_GT(PixelsLike(sequencer->playButton, Green), 100);
  EXPECT_EQ(PixelsLike(sequencer->stopButton, Red), 0);
  EXPECT_GT(PixelsLike(sequencer->sceneLabel, Green), 5);
  EXPECT_GT(PixelsLike(sequencer->lastSceneLabel, Green), 5);
}

// Every object name a style sheet of the window addresses is the name of one of its objects.
TEST_F(SequencerPanelTest, EveryStyleSheetSelectorNamesAControlOfTheWindow) {
  QSet<QString> names;
  for (QObject* object : form->findChildren<QObject*>()) names.insert(object->objectName());
  int selectors = 0;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    QString sheet = widget->styleSheet();
    if (!sheet.contains(QLatin1Char('{'))) continue;  // declarations only: no selector
    sheet.remove(QRegularExpression(QStringLiteral("\\{[^}]*\\}")));  // declarations hold colours
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("#([A-Za-z_][A-Za-z0-9_]*)")).globalMatch(sheet);
    while (it.hasNext()) {
      const QString name = it.next().captured(1);
      ++selectors;
      EXPECT_TRUE(names.contains(name))
          << "the style sheet of " << widget->objectName().toStdString() << " addresses #"
          << name.toStdString() << ", which is no control";
    }
  }
  EXPECT_GE(selectors, 4);
}

TEST_F(SequencerPanelTest, PlayDisablesSceneEditingAndStopBringsItBackWithoutThePasteButtons) {
  HoldTimers();
  QMenu* scenes = form->Menu(MenuId::Scenes);
  QAbstractButton* always[] = {sequencer->newSceneButton, sequencer->copySceneButton,
                               sequencer->deleteSceneButton};
  QAbstractButton* paste[] = {sequencer->newSceneFromPasteButton,
                              sequencer->replaceFromPasteButton};
  for (auto* b : always) EXPECT_TRUE(b->isEnabled());
  for (auto* b : paste) EXPECT_FALSE(b->isEnabled());
  QTest::mouseClick(sequencer->copySceneButton, Qt::LeftButton);
  for (auto* b : paste) EXPECT_TRUE(b->isEnabled());

  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  EXPECT_TRUE(sequencer->playButton->isChecked());
  EXPECT_FALSE(sequencer->stopButton->isChecked());
  for (auto* b : always) EXPECT_FALSE(b->isEnabled());
  for (auto* b : paste) EXPECT_FALSE(b->isEnabled());
  EXPECT_FALSE(scenes->isEnabled());
  EXPECT_FALSE(scenes->menuAction()->isEnabled());

  QTest::mouseClick(sequencer->stopButton, Qt::LeftButton);
  EXPECT_FALSE(Show().playing.load());
  EXPECT_TRUE(sequencer->stopButton->isChecked());
  for (auto* b : always) EXPECT_TRUE(b->isEnabled());
  for (auto* b : paste) EXPECT_FALSE(b->isEnabled());
  EXPECT_TRUE(scenes->isEnabled());
  EXPECT_TRUE(scenes->menuAction()->isEnabled());
}

TEST_F(SequencerPanelTest, AShowStoppedElsewhereShowsAsStoppedWithinTheDisplayTimer) {
  HoldTimers();
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  ASSERT_FALSE(sequencer->newSceneButton->isEnabled());
  Show().playing.store(false);  // as the blackout box does
  QTRY_VERIFY_WITH_TIMEOUT(sequencer->stopButton->isChecked(), 2000);
  EXPECT_FALSE(sequencer->playButton->isChecked());
  EXPECT_TRUE(sequencer->newSceneButton->isEnabled());
  EXPECT_TRUE(form->Menu(MenuId::Scenes)->isEnabled());
}

TEST_F(SequencerPanelTest, ClockShowsPlayTimeAndPauseTimeAndRollsOver) {
  HoldTimers();
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  for (int i = 0; i < 125; ++i) sequencer->ShowClockTick();
  EXPECT_EQ(Text("LabelTimeShou"), QStringLiteral("Шоу   = 0ч 2м 5с "));
  EXPECT_EQ(Text("LabelTimePause"), QStringLiteral("Время  Паузы  "));

  QTest::mouseClick(sequencer->stopButton, Qt::LeftButton);  // the clock starts again
  for (int i = 0; i < 59; ++i) sequencer->ShowClockTick();
  const QString pause = Text("LabelTimePause");
  EXPECT_EQ(pause, QStringLiteral("Пауз") + QChar(0x61) + QStringLiteral(" = 0ч 0м 59с "));
  EXPECT_EQ(pause.at(4).unicode(), 0x61);  // the Latin a
  sequencer->ShowClockTick();
  EXPECT_EQ(Text("LabelTimePause"),
            QStringLiteral("Пауз") + QChar(0x61) + QStringLiteral(" = 0ч 1м 0с "));
  EXPECT_EQ(Text("LabelTimeShou"), QStringLiteral("Шоу   = 0ч 2м 5с "));  // keeps its last text

  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  for (int i = 0; i < 3600; ++i) sequencer->ShowClockTick();
  EXPECT_EQ(Text("LabelTimeShou"), QStringLiteral("Шоу   = 1ч 0м 0с "));
}

TEST_F(SequencerPanelTest, NewShowStopsPlayingAndResetsTheTempo) {
  HoldTimers();
  sequencer->tempoSlider->setValue(90);
  SetScenes(4, 9);
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  dialogs.answers.push_back(true);  // "Создать новое ШОУ?"; the save dialog is cancelled
  form->NewShow();
  EXPECT_FALSE(Show().playing.load());
  EXPECT_EQ(sequencer->tempoSlider->value(), 44);
  EXPECT_EQ(Runner().SequencerTimer().interval(), 1936);
  EXPECT_EQ(Text("LabelTemp"), QStringLiteral("30  Сцен/мин "));
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("1"));
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("2"));
  sequencer->DisplayTick();
  EXPECT_TRUE(sequencer->stopButton->isChecked());
}

TEST_F(SequencerPanelTest, FourSceneShowAtTempoTenPlaysThroughTheOutputFrame) {
  HoldTimers();
  const int levels[4][3] = {{10, 0, 255}, {200, 40, 0}, {0, 255, 128}, {90, 90, 90}};
  for (int s = 0; s < 4; ++s)
    for (int c = 0; c < 3; ++c) SetLevel(s, 20 + c, levels[s][c]);
  SetScenes(0, 3);
  sequencer->tempoSlider->setValue(10);
  ASSERT_EQ(Runner().SequencerTimer().interval(), 100);
  form->Engine().Tick();
  EXPECT_EQ(form->Frames().Output(20), 10);
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);

  for (int tick = 1; tick <= 9; ++tick) {
    Runner().SequencerTick();
    const int scene = tick % 4;
    ASSERT_EQ(Step(), scene) << tick;
    EXPECT_EQ(Text("LabelStep"), QString::number(scene + 1));
    // Every rate is 255 after a new show: the frame reaches the scene at the next tick.
    form->Engine().Tick();
    for (int c = 0; c < 3; ++c) EXPECT_EQ(form->Frames().Output(20 + c), levels[scene][c]) << tick;
  }

  // With its own timer running the show visits every scene and comes round again.
  std::vector<int> visited;
  QObject::connect((&Runner().SequencerTimer()), &QTimer::timeout, sequencer,
                   [this, &visited] { visited.push_back(Step()); });
  Runner().SequencerTimer().start();
  QTRY_VERIFY_WITH_TIMEOUT(visited.size() >= 6, 5000);
  Runner().SequencerTimer().stop();
  const std::set<int> scenes(visited.begin(), visited.end());
  EXPECT_EQ(scenes, (std::set<int>{0, 1, 2, 3}));
  for (std::size_t i = 1; i < visited.size(); ++i) EXPECT_EQ(visited[i], (visited[i - 1] + 1) % 4);
}

}  // namespace
}  // namespace kalvetro::testing

namespace kalvetro::testing {
namespace {

TEST_F(SequencerPanelTest, AudioCaptionTurnsRedWhileABeatWaits) {
  auto colour = [&] { return sequencer->soundPacedBox->palette().color(QPalette::WindowText); };
  form->Engine().Tick();
  QTest::qWait(250);  // the output display timer applies the tick's request
  EXPECT_EQ(colour(), QColor(128, 128, 128));
  Show().beatFlag.store(1);
  form->Engine().Tick();
  QTest::qWait(250);
  EXPECT_EQ(colour(), QColor(255, 0, 0));
}

}  // namespace
}  // namespace kalvetro::testing
