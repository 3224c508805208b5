#pragma once

#include <QWidget>

#include "editing/ChannelGraph.h"

class QLabel;
class QScrollBar;
class QToolButton;

namespace kalvetro {

class Console;
class WindowParts;

// The chart of the page "График Канала": 512 x 256 pixels, one column per shown scene. It
// draws and hands its mouse to the page that owns it.
class GrafikPaintBox : public QWidget {
  Q_OBJECT

 public:
  GrafikPaintBox(const Console& console, const ChannelGraph& graph, QWidget* parent);

 signals:
  void Pressed(GrafikButton button, int x, int y);
  void Moved(int x, int y);
  void Released();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const Console& console_;
  const ChannelGraph& graph_;
};

// The page "График Канала": the level of one channel across the scenes as a bar chart that
// the operator draws into with the mouse (one scene, a ramp between two scenes, or one level
// repeated up to the end), with a zoom, the area of scenes shown, and the last scene of the
// show. Nothing here looks at the playing flag.
class ChannelGraphPage : public QWidget {
  Q_OBJECT

 public:
  // The mouse wheel over the main window while this page is shown moves its channel.
  void MouseWheel(int delta);
  // undoPair: the page's "Запомнить Сцену" / "Вернуть прежнюю сцену" pair (may be null).
  ChannelGraphPage(Console& console, WindowParts& parts, QWidget* undoPair, QWidget* parent);

  const ChannelGraph& Graph() const { return graph_; }

  // Settings and labels of the page, then the chart.
  void ReturnGrafikLabel();
  void RepaintGrafik();
  // Handlers of the controls.
  void ScrollBarChanellGrafikChange();
  void ScrollBarGrafikAreaChange();
  void ScrollBarGrafikZoomChange();
  void ScrollBarMaxScenaGraficChange();
  void PaintBoxGrafikMouseDown(GrafikButton button, int x, int y);
  void PaintBoxGrafikMouseMove(int x, int y);
  void PaintBoxGrafikMouseUp();

  QScrollBar* ScrollBarChanellGrafik = nullptr;
  QScrollBar* ScrollBarGrafikZoom = nullptr;
  QScrollBar* ScrollBarGrafikArea = nullptr;
  QScrollBar* ScrollBarMaxScenaGrafic = nullptr;
  QToolButton* SpeedButtonGrafArrow = nullptr;
  QToolButton* SpeedButtonGrafLine = nullptr;
  QToolButton* SpeedButtonGrafPen = nullptr;
  GrafikPaintBox* PaintBoxGrafik = nullptr;
  QLabel* LabelNameChanel = nullptr;
  QLabel* LabelGrafZoom = nullptr;
  QLabel* LabelScenaGrafikFrom = nullptr;
  QLabel* LabelScenaGrafikLast = nullptr;
  QLabel* LabelScenaGrafik = nullptr;
  QLabel* LabelLevelNewGrafik = nullptr;
  QLabel* LabelLevelDmxGrafik = nullptr;

 protected:
  // The wheel over the page moves the channel by one per turn.
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The pointer texts of GrafikLabel, and the news of a drawn level.
  void ShowPointer(const GrafikLabels& labels, bool drawn);

  Console& console_;
  ChannelGraph graph_;
  bool refreshing_ = false;  // the page itself moves its bars
};

}  // namespace kalvetro
