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
  void ReturnEditXY();  // redraws the path
  void ReLabelEdiXY();  // labels, "Все сцены", pair names, rotation and figure captions

  // Handlers of the controls.
  void ScrollBarEditXYChChange(int k);  // k = 1..4
  void SpinEditESSfromChange();
  void SpinEditESStoChange();
  void PaintBoxXYMouseDown(Qt::MouseButton button, QPoint pos);
  void PaintBoxXYMouseMove(QPoint pos);
  void PaintBoxXYMouseUp();
  // Mouse-down and mouse-up on the shift, scale and mirror buttons (codes 1..8).
  void RepeatButtonDown(int code);
  void RepeatButtonUp();
  void TimerRepeatButtonTimer();
  void SpeedButtonRotateLeftClick();
  void SpeedButtonEditXYcopyClick();
  // A figure button: runs the generator and says so when the range is too short for it.
  void MadeFigure(XYStatus (*generator)(ShowState&, const XYArea&, const XYFigure&));

  QLabel* LabelHeading = nullptr;
  PaintBox* PaintBoxGrid = nullptr;
  PaintBox* PaintBoxXY = nullptr;
  std::array<QScrollBar*, kPairs> ScrollBarEditXYCh{};
  std::array<QCheckBox*, kPairs> CheckBoxEditXY{};
  std::array<QLabel*, kPairs> LabelXYareaFirrtName{};
  std::array<QLabel*, kPairs> LabelXYareaSecondName{};
  QToolButton* SpeedButtonEditXYcopy = nullptr;
  QSpinBox* SpinEditESSfrom = nullptr;
  QSpinBox* SpinEditESSto = nullptr;
  QCheckBox* CheckBoxEditXYAllScenes = nullptr;
  QCheckBox* CheckBoxAllScen = nullptr;
  QLabel* LabelESPosX = nullptr;
  QLabel* LabelESPosY = nullptr;
  QLabel* LabelEXYscena = nullptr;
  QToolButton* SpeedButtonEditPosLeft = nullptr;
  QToolButton* SpeedButtonEditPosRight = nullptr;
  QToolButton* SpeedButtonEditPosUp = nullptr;
  QToolButton* SpeedButtonEditPosDown = nullptr;
  QToolButton* SpeedButtonGorizontMirror = nullptr;
  QToolButton* SpeedButtonVerticalMirror = nullptr;
  QToolButton* SpeedButtonEditRazmerMene = nullptr;
  QToolButton* SpeedButtonEditRazmerMore = nullptr;
  QScrollBar* ScrollBarEditMaxX = nullptr;
  QScrollBar* ScrollBarEditWide = nullptr;
  QLabel* LabelmadeFigure = nullptr;
  QScrollBar* ScrollBarRotate = nullptr;
  QLabel* LabelEditRL = nullptr;
  QToolButton* SpeedButtonRotateLeft = nullptr;
  QTimer* TimerRepeatButton = nullptr;

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
  void GrideXY(QPainter& painter);
  void VisibleXY(QPainter& painter);
  void SetFieldHint(bool on, const QString& text = QString());
  void ShowFoundScene();
  QString PairName(int channel) const;
  // Says that the levels of the show changed, for the views that show them.
  void LevelsChanged();

  Console& console_;
  XYMouse mouse_;
  XYRepeat repeat_;
  QString fieldHint_;
};

}  // namespace kalvetro
