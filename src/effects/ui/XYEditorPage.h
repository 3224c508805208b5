// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "effects/XYFigures.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPainter;
class QScrollBar;
class QSpinBox;
class QTimer;
class QToolButton;

namespace kalvetro {

class Console;
class PaintBox;
class WindowParts;

// The page "Редактор луча": the path of a scanner's channel pair (X in channel p + 1, Y in
// channel p + 2) over a range of scenes, drawn on a 256 x 256 field. The operator drags single
// points, shifts, mirrors, scales and turns the whole path, generates ready-made figures over
// the range and copies the path to up to three further channel pairs. Everything is written
// straight into the scene rows of the show.
class XYEditorPage : public QWidget {
  Q_OBJECT

 public:
  // The mouse wheel over the main window while this page is shown moves its channel.
  void MouseWheel(int delta);
  static constexpr int kPairs = 4;  // the edited pair and three copy targets

  XYEditorPage(Console& console, WindowParts& parts, QWidget* parent);

  // The pair and scene range the operations work on, as the controls show them.
  XYArea Area() const;
  XYFigure Figure() const;

  // Refreshes.
  void RedrawPath();     // redraws the path
  void RefreshLabels();  // labels, "Все сцены", pair names, rotation and figure captions

  // Handlers of the controls.
  void ChangePairChannel(int k);  // k = 1..4
  void ChangeFromScene();
  void ChangeToScene();
  void PressField(Qt::MouseButton button, QPoint pos);
  void DragField(QPoint pos);
  void ReleaseField();
  // Mouse-down and mouse-up on the shift, scale and mirror buttons (codes 1..8).
  void StartRepeat(int code);
  void StopRepeat();
  void RepeatStep();
  void RotateFigure();
  void CopyToPairs();
  // A figure button: runs the generator and says so when the range is too short for it.
  void MakeFigure(XYStatus (*generator)(ShowState&, const XYArea&, const XYFigure&));

  QLabel* headingLabel = nullptr;
  PaintBox* gridBox = nullptr;
  PaintBox* fieldBox = nullptr;
  std::array<QScrollBar*, kPairs> pairSliders{};
  std::array<QCheckBox*, kPairs> pairCopyBoxes{};
  std::array<QLabel*, kPairs> pairFirstNameLabels{};
  std::array<QLabel*, kPairs> pairSecondNameLabels{};
  QToolButton* copyToPairsButton = nullptr;
  QSpinBox* fromSceneEdit = nullptr;
  QSpinBox* toSceneEdit = nullptr;
  QCheckBox* allScenesBox = nullptr;
  QCheckBox* changeSceneBox = nullptr;
  QLabel* positionXLabel = nullptr;
  QLabel* positionYLabel = nullptr;
  QLabel* foundSceneLabel = nullptr;
  QToolButton* moveLeftButton = nullptr;
  QToolButton* moveRightButton = nullptr;
  QToolButton* moveUpButton = nullptr;
  QToolButton* moveDownButton = nullptr;
  QToolButton* mirrorHorizontalButton = nullptr;
  QToolButton* mirrorVerticalButton = nullptr;
  QToolButton* shrinkButton = nullptr;
  QToolButton* growButton = nullptr;
  QScrollBar* figureSizeSlider = nullptr;
  QScrollBar* figureOptionSlider = nullptr;
  QLabel* figureLabel = nullptr;
  QScrollBar* rotationSlider = nullptr;
  QLabel* rotationLabel = nullptr;
  QToolButton* rotateButton = nullptr;
  QTimer* repeatTimer = nullptr;

 protected:
  // The wheel moves the edited pair's scroll bar by one per turn.
  void wheelEvent(QWheelEvent* event) override;

 private:
  QWidget* BuildField();
  QGroupBox* BuildChannelGroup();
  QGroupBox* BuildSceneGroup();
  QGroupBox* BuildCurrentGroup();
  QGroupBox* BuildPositionGroup();
  QGroupBox* BuildMirrorGroup();
  QGroupBox* BuildSizeGroup();
  QGroupBox* BuildFigureGroup();
  QGroupBox* BuildRotateGroup();
  QToolButton* MakeRepeatButton(QWidget* parent, const char* name, const QString& caption,
                                const QString& hint, int code);
  void DrawGrid(QPainter& painter);
  void DrawPath(QPainter& painter);
  void SetFieldHint(bool on, const QString& text = QString());
  void ShowFoundScene();
  QString PairName(int channel) const;
  // Moves or resizes the figure by one step of the arrow or size button `code`.
  void StepArea(int code);

  Console& console_;
  XYMouse mouse_;
  XYRepeat repeat_;
  QString fieldHint_;
};

}  // namespace kalvetro
