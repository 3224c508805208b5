// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "editing/ChannelNames.h"
#include "effects/ui/XYEditorPage.h"
#include "support/TestConsole.h"
#include "ui/PaintBox.h"

namespace kalvetro::testing {
namespace {

// A started console with the beam editor page shown.
class XYPageFixture : public TestConsole {
 public:
  XYPageFixture() {
    Start();
    form->show();
    Find<QTabWidget>("PageControlInput")->setCurrentIndex(3);
  }
  XYEditorPage* Page() const { return Find<XYEditorPage>("XYEditorPage"); }
  QWidget* Field() const { return Find<QWidget>("PaintBoxXY"); }
  QSpinBox* Spin(const char* name) const { return Find<QSpinBox>(name); }
  void SetXY(int row, int x, int y) {
    Show().DataWrite(row, 1, x);
    Show().DataWrite(row, 2, y);
  }
  // The field shows point (x, y) at pixel (x, 255 - y).
  static QPoint Pixel(int x, int y) { return {x, 255 - y}; }
  void Drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(Field(), QEvent::MouseButtonPress, from, button, button);
    SendMouse(Field(), QEvent::MouseMove, to, Qt::NoButton, button);
    SendMouse(Field(), QEvent::MouseButtonRelease, to, button, Qt::NoButton);
  }
  void Hover(QPoint at) { SendMouse(Field(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
};

TEST(XYEditorPage, PageHoldsItsControlsWithTheirRangesAndStartValues) {
  XYPageFixture c;
  QWidget* tab = c.Find<QWidget>("TabSheetEditXY");
  ASSERT_NE(c.Page(), nullptr);
  EXPECT_TRUE(tab->isAncestorOf(c.Page()));
  // The tab's own undo pair stands on the page.
  EXPECT_TRUE(c.Page()->isAncestorOf(c.Button(QStringLiteral("SpeedButtonUndo4"))));
  EXPECT_EQ(c.Field()->size(), QSize(256, 256));
  EXPECT_EQ(c.Find<QWidget>("PaintBoxGrid")->geometry(), c.Field()->geometry());

  for (int k = 1; k <= 4; ++k) {
    auto* bar = c.Bar(QStringLiteral("ScrollBarEditXYCh%1").arg(k));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 253);
    EXPECT_EQ(c.Box(QStringLiteral("CheckBoxEditXY%1").arg(k))->isChecked(), k == 1);
  }
  EXPECT_EQ(c.Spin("SpinEditESSfrom")->minimum(), 1);
  EXPECT_EQ(c.Spin("SpinEditESSfrom")->maximum(), 250);
  EXPECT_EQ(c.Spin("SpinEditESSto")->minimum(), 2);
  EXPECT_EQ(c.Spin("SpinEditESSto")->maximum(), 255);
  EXPECT_TRUE(c.Box(QStringLiteral("CheckBoxEditXYAllScenes"))->isChecked());
  EXPECT_TRUE(c.Box(QStringLiteral("CheckBoxAllScen"))->isChecked());
  auto* size = c.Bar(QStringLiteral("ScrollBarEditMaxX"));
  EXPECT_EQ(std::tuple(size->minimum(), size->maximum(), size->value()), std::tuple(20, 250, 200));
  auto* wide = c.Bar(QStringLiteral("ScrollBarEditWide"));
  EXPECT_EQ(wide->orientation(), Qt::Vertical);
  EXPECT_EQ(std::tuple(wide->minimum(), wide->maximum(), wide->value()), std::tuple(0, 10, 7));
  auto* rotate = c.Bar(QStringLiteral("ScrollBarRotate"));
  EXPECT_EQ(std::tuple(rotate->minimum(), rotate->maximum(), rotate->value()),
            std::tuple(1, 359, 45));
  for (const char* name :
       {"SpeedButtonEditPosLeft", "SpeedButtonEditPosRight", "SpeedButtonEditPosUp",
        "SpeedButtonEditPosDown", "SpeedButtonGorizontMirror", "SpeedButtonVerticalMirror",
        "SpeedButtonEditRazmerMene", "SpeedButtonEditRazmerMore", "SpeedButtonEditXYmadeLine",
        "SpeedButtonEditXYmadeTreug", "SpeedButtonEditXYmadeRect", "SpeedButtonEditXYmadeSix",
        "SpeedButtonEditXYmadeCucle", "SpeedButtonEditXYmade8", "SpeedButtonEditXYmadePent",
        "SpeedButtonEditXYmadeSnake", "SpeedButtonEditSpiral", "SpeedButtonRotateLeft",
        "SpeedButtonEditXYcopy"})
    EXPECT_TRUE(c.Page()->isAncestorOf(c.Button(QString::fromLatin1(name)))) << name;
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButtonEditXYmadeSix"))->text(), QStringLiteral("X"));
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButtonEditXYmadePent"))->text(), QStringLiteral("88"));

  // The captions that follow the controls.
  EXPECT_EQ(c.Text(QStringLiteral("LabelEditRL"))->text(), QStringLiteral("Вправо 45"));
  rotate->setValue(200);
  EXPECT_EQ(c.Text(QStringLiteral("LabelEditRL"))->text(), QStringLiteral("Влево 160"));
  size->setValue(150);
  wide->setValue(3);
  EXPECT_EQ(c.Text(QStringLiteral("LabelmadeFigure"))->text(),
            QStringLiteral(" Размер фигуры 150       Опция 3"));
}

TEST(XYEditorPage, PairLabelsShowChannelNumbersAndNamesAndTheWheelMovesThePair) {
  XYPageFixture c;
  ASSERT_TRUE(SaveName(c.Memory(), 11, "Pan").stored);
  ASSERT_TRUE(SaveName(c.Memory(), 12, "Tilt").stored);
  BlanksToZero(c.Memory());
  auto* pair = c.Bar(QStringLiteral("ScrollBarEditXYCh1"));
  pair->setValue(10);
  EXPECT_EQ(c.Text(QStringLiteral("LabelXYareaFirrtName1"))->text(), QStringLiteral("Ch11  Pan"));
  EXPECT_EQ(c.Text(QStringLiteral("LabelXYareaSecondName1"))->text(), QStringLiteral("Ch12  Tilt"));
  c.Bar(QStringLiteral("ScrollBarEditXYCh3"))->setValue(252);
  EXPECT_EQ(c.Text(QStringLiteral("LabelXYareaFirrtName3"))->text(), QStringLiteral("Ch253  "));
  EXPECT_EQ(c.Text(QStringLiteral("LabelXYareaSecondName3"))->text(), QStringLiteral("Ch254  "));

  // A wheel turn on the page (the field passes it on) moves the edited pair by one.
  auto wheel = [&](int delta) {
    const QPointF at(100, 100);
    QWheelEvent event(at, c.Page()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(c.Page(), &event);
  };
  wheel(120);
  EXPECT_EQ(pair->value(), 11);
  EXPECT_EQ(c.Text(QStringLiteral("LabelXYareaFirrtName1"))->text(), QStringLiteral("Ch12  Tilt"));
  wheel(-120);
  wheel(-120);
  EXPECT_EQ(pair->value(), 9);
  pair->setValue(253);
  wheel(120);
  EXPECT_EQ(pair->value(), 253);
}

TEST(XYEditorPage, SceneRangeFollowsAllScenesAndTheFromToRules) {
  XYPageFixture c;
  c.Memory().Set(kLastScene, 9);
  c.Core().RefreshAll();
  EXPECT_EQ(c.Spin("SpinEditESSfrom")->value(), 1);
  EXPECT_EQ(c.Spin("SpinEditESSto")->value(), 10);
  EXPECT_EQ(c.Page()->Area().to, 10);

  c.Box(QStringLiteral("CheckBoxEditXYAllScenes"))->click();
  ASSERT_FALSE(c.Box(QStringLiteral("CheckBoxEditXYAllScenes"))->isChecked());
  c.Memory().Set(kLastScene, 40);
  c.Core().RefreshAll();
  EXPECT_EQ(c.Spin("SpinEditESSto")->value(), 10);  // the range stays as the operator set it

  // "От Сцены" raised to or past "До Сцены" stops at it; "До Сцены" lowered under "От Сцены"
  // stops there.
  c.Spin("SpinEditESSfrom")->setValue(14);
  EXPECT_EQ(c.Spin("SpinEditESSfrom")->value(), 10);
  c.Spin("SpinEditESSfrom")->setValue(4);
  c.Spin("SpinEditESSto")->setValue(3);
  EXPECT_EQ(c.Spin("SpinEditESSto")->value(), 4);
  c.Spin("SpinEditESSto")->setValue(20);
  EXPECT_EQ(c.Page()->Area().from, 4);
  EXPECT_EQ(c.Page()->Area().to, 20);

  // Ticking the box again takes the whole show.
  c.Box(QStringLiteral("CheckBoxEditXYAllScenes"))->click();
  EXPECT_EQ(c.Spin("SpinEditESSfrom")->value(), 1);
  EXPECT_EQ(c.Spin("SpinEditESSto")->value(), 41);
}

TEST(XYEditorPage, DraggingAPointMovesItAndMayMakeItsSceneCurrent) {
  XYPageFixture c;
  c.Memory().Set(kLastScene, 3);  // "Все сцены": rows 0..3
  c.Core().RefreshAll();
  c.SetXY(0, 50, 60);
  c.SetXY(2, 200, 100);
  c.SetXY(3, 30, 30);

  // Pressed 2 pixels off the point of scene 3 (row 2): that scene becomes current.
  c.Drag(c.Pixel(202, 98), c.Pixel(120, 215));
  EXPECT_EQ(c.Level(2, 1), 120);
  EXPECT_EQ(c.Level(2, 2), 215);
  EXPECT_EQ(c.Level(0, 1), 50);  // the other points stay
  EXPECT_EQ(c.Level(3, 2), 30);
  EXPECT_EQ(c.Show().CurrentStep(), 2);
  EXPECT_EQ(c.Text(QStringLiteral("LabelStep"))->text(), QStringLiteral("3"));
  EXPECT_EQ(c.Text(QStringLiteral("LabelESPosX"))->text(), QStringLiteral("X = 120"));
  EXPECT_EQ(c.Text(QStringLiteral("LabelESPosY"))->text(), QStringLiteral("Y = 215"));

  // Without "Менять Сцену" the point moves and the current scene stays.
  c.Box(QStringLiteral("CheckBoxAllScen"))->click();
  c.Drag(c.Pixel(50, 60), c.Pixel(70, 80));
  EXPECT_EQ(c.Level(0, 1), 70);
  EXPECT_EQ(c.Level(0, 2), 80);
  EXPECT_EQ(c.Show().CurrentStep(), 2);

  // While playing the scene never changes, even with the box ticked; the point still moves.
  c.Box(QStringLiteral("CheckBoxAllScen"))->click();
  c.Core().Runner().Play();
  c.Drag(c.Pixel(30, 30), c.Pixel(31, 33));
  EXPECT_EQ(c.Level(3, 1), 31);
  EXPECT_EQ(c.Level(3, 2), 33);
  EXPECT_EQ(c.Show().CurrentStep(), 2);
  c.Core().Runner().Stop();

  // A press on empty field and the right button move nothing.
  const auto before = c.Memory().Get(SceneRowOffset(0) + 1);
  SendMouse(c.Field(), QEvent::MouseButtonPress, c.Pixel(70, 80), Qt::RightButton, Qt::RightButton);
  SendMouse(c.Field(), QEvent::MouseMove, c.Pixel(90, 90), Qt::NoButton, Qt::RightButton);
  EXPECT_EQ(c.Text(QStringLiteral("LabelEXYscena"))->text(), QStringLiteral(" Размер "));
  SendMouse(c.Field(), QEvent::MouseButtonRelease, c.Pixel(90, 90), Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(c.Memory().Get(SceneRowOffset(0) + 1), before);
  EXPECT_EQ(c.Show().CurrentStep(), 2);
}

TEST(XYEditorPage, HoverNamesTheSceneUnderTheCursor) {
  XYPageFixture c;
  c.SetXY(1, 100, 100);
  c.SetXY(0, 102, 98);  // both within 3: the lower scene wins
  c.Hover(c.Pixel(101, 99));
  EXPECT_EQ(c.Text(QStringLiteral("LabelEXYscena"))->text(), QStringLiteral(" Сцена 1"));
  EXPECT_EQ(c.Field()->toolTip(), QStringLiteral("Переместить сцену 1"));
  c.Hover(c.Pixel(10, 10));
  EXPECT_EQ(c.Text(QStringLiteral("LabelEXYscena"))->text(), QStringLiteral("  "));
  EXPECT_TRUE(c.Field()->toolTip().isEmpty());  // no hint away from the points
}

TEST(XYEditorPage, ShiftButtonsRepeatWhileHeldAndMirrorsApplyOnce) {
  XYPageFixture c;
  c.Memory().Set(kLastScene, 1);  // rows 0..1
  c.Core().RefreshAll();
  c.SetXY(0, 10, 20);
  c.SetXY(1, 255, 128);
  auto* timer = c.Find<QTimer>("TimerRepeatButton");
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 700);

  auto* right = c.Button(QStringLiteral("SpeedButtonEditPosRight"));
  QTest::mousePress(right, Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 1), 11);   // once at once
  EXPECT_EQ(c.Level(1, 1), 255);  // never past 255
  c.Page()->RepeatStep();
  EXPECT_EQ(c.Level(0, 1), 12);
  EXPECT_EQ(timer->interval(), 50);
  c.Page()->RepeatStep();
  EXPECT_EQ(c.Level(0, 1), 13);
  QTest::mouseRelease(right, Qt::LeftButton);
  EXPECT_EQ(timer->interval(), 1000);
  c.Page()->RepeatStep();
  EXPECT_EQ(c.Level(0, 1), 13);  // released: no more steps

  // Released after the pointer left the button: the repeat ends all the same.
  SendMouse(right, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 1), 14);
  SendMouse(right, QEvent::MouseMove, QPoint(200, 200), Qt::NoButton, Qt::LeftButton);
  SendMouse(right, QEvent::MouseButtonRelease, QPoint(200, 200), Qt::LeftButton, Qt::NoButton);
  c.Page()->RepeatStep();
  EXPECT_EQ(c.Level(0, 1), 14);
  EXPECT_EQ(timer->interval(), 1000);

  // The smaller step pulls towards the middle: 128 -> 127, 255 stays.
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonEditRazmerMene")), Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 1), 15);
  EXPECT_EQ(c.Level(0, 2), 21);
  EXPECT_EQ(c.Level(1, 1), 255);
  EXPECT_EQ(c.Level(1, 2), 127);

  // A mirror click applies once and leaves no repeat behind; twice restores the path.
  auto* mirror = c.Button(QStringLiteral("SpeedButtonGorizontMirror"));
  QTest::mouseClick(mirror, Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 1), 240);
  EXPECT_EQ(c.Level(1, 1), 0);
  c.Page()->RepeatStep();
  EXPECT_EQ(c.Level(0, 1), 240);
  QTest::mouseClick(mirror, Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 1), 15);
  EXPECT_EQ(c.Level(1, 1), 255);
  EXPECT_EQ(c.Level(0, 2), 21);  // Y untouched by the horizontal mirror
}

TEST(XYEditorPage, CircleIsDrawnOnTheFieldAndOneSceneWritesNothing) {
  XYPageFixture c;
  c.Box(QStringLiteral("CheckBoxEditXYAllScenes"))->click();
  c.Spin("SpinEditESSto")->setValue(32);
  c.Spin("SpinEditESSfrom")->setValue(1);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonEditXYmadeCucle")), Qt::LeftButton);
  // S = 200, W = 7: the angle grows by 7 * 50 div 31 = 11 degrees per scene.
  // Row 0: angle 0 -> (0 + 127, ceil(100) + 127). Row 1: sin 11 deg * 100 = 19.08 -> 20,
  // cos 11 deg * 100 = 98.16 -> 99.
  EXPECT_EQ(c.Level(0, 1), 127);
  EXPECT_EQ(c.Level(0, 2), 227);
  EXPECT_EQ(c.Level(1, 1), 147);
  EXPECT_EQ(c.Level(1, 2), 226);
  // Row 31: angle 341: sin = -0.3256 * 100 -> ceil(-32.56) = -32 -> 96; cos = 0.9455 * 100 ->
  // 95 -> 222.
  EXPECT_EQ(c.Level(31, 1), 96);
  EXPECT_EQ(c.Level(31, 2), 222);

  // The field shows it: the first point bright green, the last red, a line between, the grid.
  const QImage path = c.Field()->grab().toImage();
  EXPECT_EQ(path.pixelColor(125, 255 - 227 + 2), QColor(0, 255, 0));
  EXPECT_EQ(path.pixelColor(96, 255 - 222), QColor(255, 0, 0));
  EXPECT_EQ(path.pixelColor(145, 255 - 226 + 2), QColor(0, 128, 0));
  const QImage grid = c.Find<QWidget>("PaintBoxGrid")->grab().toImage();
  EXPECT_EQ(grid.pixelColor(127, 3), QColor(Qt::black));
  EXPECT_EQ(grid.pixelColor(143, 3), QColor(128, 128, 128));
  EXPECT_EQ(grid.pixelColor(3, 15), QColor(128, 128, 128));

  // A range of one scene is too short for the circle: nothing is written, the status line says
  // so.
  c.Spin("SpinEditESSfrom")->setValue(40);
  c.Spin("SpinEditESSto")->setValue(40);
  ASSERT_EQ(c.Page()->Area().from, 32);  // "От Сцены" stopped at "До Сцены" first
  c.Spin("SpinEditESSto")->setValue(50);
  c.Spin("SpinEditESSfrom")->setValue(50);
  ASSERT_EQ(c.Page()->Area().from, 50);
  ASSERT_EQ(c.Page()->Area().to, 50);
  c.Show().DataWrite(49, 1, 5);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonEditXYmadeCucle")), Qt::LeftButton);
  EXPECT_EQ(c.Level(49, 1), 5);
  EXPECT_EQ(c.Level(49, 2), 0);
  EXPECT_TRUE(c.Status().contains(QStringLiteral("две сцены")));
  // The line works on one scene: step 200, d = 144, x = y = 28 + 7 = 35 -> (28, 42).
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonEditXYmadeLine")), Qt::LeftButton);
  EXPECT_EQ(c.Level(49, 1), 28);
  EXPECT_EQ(c.Level(49, 2), 42);
}

TEST(XYEditorPage, RotationAndCopyWriteTheShow) {
  XYPageFixture c;
  c.Memory().Set(kLastScene, 1);
  c.Core().RefreshAll();
  // (255, 128): dx = 1, dy = 1/128, straight right; a quarter turn clockwise points down:
  // PointAtAngle(90 + 90 = 180, 255): sin 180 = 0 -> 127, cos 180 * 127.5 = -127.5 -> ceil -127
  // -> 1.
  c.SetXY(0, 255, 128);
  c.SetXY(1, 40, 50);
  c.Bar(QStringLiteral("ScrollBarRotate"))->setValue(90);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonRotateLeft")), Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 1), 127);
  EXPECT_EQ(c.Level(0, 2), 1);

  // Copy into the ticked pairs only: pair 2 at channels 11/12 ticked, pair 3 at 21/22 not.
  c.Bar(QStringLiteral("ScrollBarEditXYCh2"))->setValue(10);
  c.Bar(QStringLiteral("ScrollBarEditXYCh3"))->setValue(20);
  c.Box(QStringLiteral("CheckBoxEditXY2"))->click();
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonEditXYcopy")), Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 11), 127);
  EXPECT_EQ(c.Level(0, 12), 1);
  EXPECT_EQ(c.Level(1, 11), c.Level(1, 1));
  EXPECT_EQ(c.Level(1, 12), c.Level(1, 2));
  EXPECT_EQ(c.Level(0, 21), 0);
  EXPECT_EQ(c.Level(2, 11), 0);  // outside the range
  // The copy can be undone.
  auto* undo = c.Button(QStringLiteral("SpeedButtonUndo4"));
  ASSERT_TRUE(undo->isEnabled());
  QTest::mouseClick(undo, Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 11), 0);  // as before the copy
  EXPECT_EQ(c.Level(0, 12), 0);
  EXPECT_EQ(c.Level(0, 2), 1);  // the rotation stays

  // A figure takes no copy of its own: undo goes back to the last copy taken, here by
  // "Запомнить Сцену", past a level written after it.
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonMem4")), Qt::LeftButton);
  c.Show().DataWrite(0, 30, 99);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonEditXYmadeLine")), Qt::LeftButton);
  QTest::mouseClick(undo, Qt::LeftButton);
  EXPECT_EQ(c.Level(0, 30), 0);
  EXPECT_EQ(c.Level(0, 2), 1);
}

}  // namespace
}  // namespace kalvetro::testing
