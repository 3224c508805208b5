// SPDX-License-Identifier: GPL-3.0-or-later
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
class GraphPaintBox : public QWidget {
  Q_OBJECT

 public:
  GraphPaintBox(const Console& console, const ChannelGraph& graph, QWidget* parent);

 signals:
  void Pressed(GraphButton button, int x, int y);
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
  void RefreshGraphLabels();
  void RepaintGraph();
  // Handlers of the controls.
  void ChangeGraphChannel();
  void ChangeGraphArea();
  void ChangeGraphZoom();
  void ChangeLastSceneFromGraph();
  void PressGraphPoint(GraphButton button, int x, int y);
  void DragGraphPoint(int x, int y);
  void ReleaseGraphPoint();

  QScrollBar* graphChannelSlider = nullptr;
  QScrollBar* graphZoomSlider = nullptr;
  QScrollBar* graphAreaSlider = nullptr;
  QScrollBar* graphLastSceneSlider = nullptr;
  QToolButton* graphArrowButton = nullptr;
  QToolButton* graphLineButton = nullptr;
  QToolButton* graphPenButton = nullptr;
  GraphPaintBox* graphBox = nullptr;
  QLabel* graphChannelNameLabel = nullptr;
  QLabel* graphZoomLabel = nullptr;
  QLabel* graphFromLabel = nullptr;
  QLabel* graphToLabel = nullptr;
  QLabel* graphSceneLabel = nullptr;
  QLabel* graphNewLevelLabel = nullptr;
  QLabel* graphSceneLevelLabel = nullptr;

 protected:
  // The wheel over the page moves the channel by one per turn.
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The pointer texts of RefreshGraphLabels; a drawn level repaints the graph.
  void ShowPointer(const GraphLabels& labels, bool drawn);

  Console& console_;
  ChannelGraph graph_;
  bool refreshing_ = false;  // the page itself moves its bars
};

}  // namespace kalvetro
