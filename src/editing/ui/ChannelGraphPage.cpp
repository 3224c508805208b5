// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/ChannelGraphPage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <span>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/ChannelNames.h"
#include "editing/KeyMap.h"
#include "ui/Controls.h"
#include "ui/SpeedButtons.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

QColor ColourOf(const GraphColour& c) {
  return QColor(c.red, c.green, c.blue);
}

void Fill(QPainter& painter, const GraphRect& r, const GraphColour& colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), ColourOf(colour));
}

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

}  // namespace

// ---------------------------------------------------------------- the chart

GraphPaintBox::GraphPaintBox(const Console& console, const ChannelGraph& graph, QWidget* parent)
    : QWidget(parent), console_(console), graph_(graph) {
  setObjectName(QStringLiteral("PaintBoxGrafik"));
  setFixedSize(kGraphWidth, kGraphHeight);
  setMouseTracking(true);  // the pointer labels follow the mouse without a button too
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

void GraphPaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The bottom line belongs to no column; it keeps the chart's ground colour.
  painter.fillRect(rect(), ColourOf(kGraphBackground));
  const ShowState& show = console_.Show();
  const int current = show.CurrentStep();
  for (int k = 0; k < graph_.SceneCount(); ++k) {
    const GraphColumn column = graph_.Column(show, k, current);
    Fill(painter, column.background, kGraphBackground);
    Fill(painter, column.bar, kGraphBar);
    if (column.endOfShow) Fill(painter, column.endMarker, kGraphEndMarker);
    if (column.current) Fill(painter, column.currentMarker, kGraphCurrentMarker);
    if (column.marked) Fill(painter, column.markedSquare, kGraphMarkedSquare);
  }
}

void GraphPaintBox::mousePressEvent(QMouseEvent* event) {
  GraphButton button = GraphButton::kMiddle;
  if (event->button() == Qt::LeftButton) button = GraphButton::kLeft;
  if (event->button() == Qt::RightButton) button = GraphButton::kRight;
  const QPoint p = event->position().toPoint();
  emit Pressed(button, p.x(), p.y());
}

void GraphPaintBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit Moved(p.x(), p.y());
}

void GraphPaintBox::mouseReleaseEvent(QMouseEvent*) {
  emit Released();
}

// ---------------------------------------------------------------- the page

ChannelGraphPage::ChannelGraphPage(Console& console, WindowParts& parts, QWidget* undoPair,
                                   QWidget* parent)
    : QWidget(parent), console_(console) {
  (void)parts;
  setObjectName(QStringLiteral("ChannelGraphPage"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);
  page->setSpacing(4);

  auto* title = PlainLabel(QStringLiteral("Динамика изменения канала по выделенным сценам "), this);
  title->setObjectName(QStringLiteral("LabelGrafikTitle"));
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 2);
  title->setFont(bold);
  page->addWidget(title);

  auto* columns = new QHBoxLayout;
  columns->setSpacing(12);
  page->addLayout(columns);
  page->addStretch();

  // Left: the channel, the chart and the area of scenes under it.
  auto* left = new QVBoxLayout;
  left->setSpacing(3);
  graphChannelNameLabel = MakeLabel(this, QStringLiteral("LabelNameChanel"));
  QFont nameFont = graphChannelNameLabel->font();
  nameFont.setBold(true);
  graphChannelNameLabel->setFont(nameFont);
  left->addWidget(graphChannelNameLabel);
  graphChannelSlider =
      MakeBar(this, QStringLiteral("ScrollBarChanellGrafik"),
              {.maximum = 254,
               .pageStep = 10,
               .hint = QStringLiteral("Устанавливает номер редактируемого канала")});
  graphChannelSlider->setFixedWidth(kGraphWidth);
  left->addWidget(graphChannelSlider);
  graphBox = new GraphPaintBox(console_, graph_, this);
  left->addWidget(graphBox);
  graphAreaSlider =
      MakeBar(this, QStringLiteral("ScrollBarGrafikArea"),
              {.maximum = 7, .pageStep = 1, .hint = QStringLiteral("Блок редактируемых сцен")});
  graphAreaSlider->setFixedWidth(kGraphWidth);
  left->addWidget(graphAreaSlider);
  auto* areaLabels = new QHBoxLayout;
  graphFromLabel = MakeLabel(this, QStringLiteral("LabelScenaGrafikFrom"));
  graphToLabel = MakeLabel(this, QStringLiteral("LabelScenaGrafikLast"));
  areaLabels->addWidget(graphFromLabel);
  areaLabels->addStretch();
  areaLabels->addWidget(graphToLabel);
  auto* areaPanel = new QWidget(this);
  areaPanel->setFixedWidth(kGraphWidth);
  areaPanel->setLayout(areaLabels);
  areaLabels->setContentsMargins(0, 0, 0, 0);
  left->addWidget(areaPanel);
  columns->addLayout(left);

  // Right: zoom, drawing mode, last scene, what the pointer points at, the undo pair.
  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  graphZoomLabel = MakeLabel(this, QStringLiteral("LabelGrafZoom"));
  right->addWidget(graphZoomLabel);
  graphZoomSlider = MakeBar(
      this, QStringLiteral("ScrollBarGrafikZoom"),
      {.maximum = kGraphZoomSteps - 1, .pageStep = 2, .hint = QStringLiteral("Масштаб сцен")});
  graphZoomSlider->setValue(kNewShowZoomStep);
  right->addWidget(graphZoomSlider);

  auto* modes = new QHBoxLayout;
  modes->setSpacing(2);
  auto* modeGroup = new QButtonGroup(this);
  modeGroup->setExclusive(true);
  auto addMode = [&](const char* name, const QString& caption, const QString& hint,
                     GraphMode mode) {
    auto* button = MakeSpeedButton(this, QString::fromLatin1(name), caption, hint);
    button->setCheckable(true);
    modeGroup->addButton(button);
    modes->addWidget(button);
    connect(button, &QToolButton::clicked, this, [this, mode] { graph_.SetMode(mode); });
    return button;
  };
  graphArrowButton =
      addMode("SpeedButtonGrafArrow", QStringLiteral("Точка"),
              QStringLiteral("Устанавливать значение только одного канала"), GraphMode::kArrow);
  graphLineButton = addMode(
      "SpeedButtonGrafLine", QStringLiteral("Линия"),
      QStringLiteral("Интерполировать уровни каналов. Начало - левая кнопка, конец - правая."),
      GraphMode::kLine);
  graphPenButton = addMode(
      "SpeedButtonGrafPen", QStringLiteral("Перо"),
      QStringLiteral("Повторять значение текущего канала во всех рабочих сценах"), GraphMode::kPen);
  graphArrowButton->setChecked(true);
  right->addSpacing(6);
  right->addLayout(modes);

  right->addSpacing(6);
  right->addWidget(MakeLabel(this, QStringLiteral("LabelMaxScenaGrafic"),
                             QStringLiteral("Установить последнюю Сцену")));
  graphLastSceneSlider = MakeBar(
      this, QStringLiteral("ScrollBarMaxScenaGrafic"),
      {.maximum = 255, .pageStep = 10, .hint = QStringLiteral("Установка номера последней сцены")});
  right->addWidget(graphLastSceneSlider);

  right->addSpacing(10);
  graphSceneLabel = MakeLabel(this, QStringLiteral("LabelScenaGrafik"));
  graphNewLevelLabel = MakeLabel(this, QStringLiteral("LabelLevelNewGrafik"));
  graphSceneLevelLabel = MakeLabel(this, QStringLiteral("LabelLevelDmxGrafik"));
  for (QLabel* label : {graphSceneLabel, graphNewLevelLabel, graphSceneLevelLabel}) {
    label->setMinimumHeight(label->fontMetrics().height() + 2);
    right->addWidget(label);
  }
  right->addSpacing(10);
  if (undoPair) {
    undoPair->setParent(this);
    right->addWidget(undoPair);
  }
  right->addStretch();
  auto* rightPanel = new QWidget(this);
  rightPanel->setObjectName(QStringLiteral("PanelGrafikControls"));
  rightPanel->setLayout(right);
  right->setContentsMargins(0, 0, 0, 0);
  rightPanel->setFixedWidth(330);
  columns->addWidget(rightPanel, 0, Qt::AlignTop);
  columns->addStretch();

  connect(graphChannelSlider, &QScrollBar::valueChanged, this, [this] { ChangeGraphChannel(); });
  connect(graphAreaSlider, &QScrollBar::valueChanged, this, [this] { ChangeGraphArea(); });
  connect(graphZoomSlider, &QScrollBar::valueChanged, this, [this] { ChangeGraphZoom(); });
  connect(graphLastSceneSlider, &QScrollBar::valueChanged, this,
          [this] { ChangeLastSceneFromGraph(); });
  connect(graphBox, &GraphPaintBox::Pressed, this, &ChannelGraphPage::PressGraphPoint);
  connect(graphBox, &GraphPaintBox::Moved, this, &ChannelGraphPage::DragGraphPoint);
  connect(graphBox, &GraphPaintBox::Released, this, &ChannelGraphPage::ReleaseGraphPoint);

  // The main window's wheel comes through its key filter, which sees it first.
  parts.OnWheel(this, [this](int delta) {
    if (IsShownPage(this)) MouseWheel(delta);
  });
  connect(&console_, &Console::PageRefresh, this, [this] {
    if (!IsShownPage(this)) return;
    RefreshGraphLabels();
    RepaintGraph();
  });
  connect(&console_, &Console::Changed, this, [this](ShowArea area) {
    if ((area == ShowArea::Levels || area == ShowArea::Names) && IsShownPage(this)) {
      RefreshGraphLabels();
      RepaintGraph();
    }
  });
  // Every new show (the empty one of start-up too) shows 32 scenes per area; an opened show
  // keeps the zoom.
  connect(&console_, &Console::ShowReplaced, this, [this](ShowReplacement how) {
    if (how != ShowReplacement::Emptied) return;
    graph_.ResetForNewShow();
    graphZoomSlider->setValue(kNewShowZoomStep);
    RefreshGraphLabels();
    RepaintGraph();
  });
  RefreshGraphLabels();
}

void ChannelGraphPage::RefreshGraphLabels() {
  const ShowState& show = console_.Show();
  refreshing_ = true;
  graphLastSceneSlider->setValue(show.LastScene());
  const int channel = graph_.Channel();
  const std::string stored = GraphStoredName(show.memory, channel);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stored.data());
  graphChannelNameLabel->setText(
      Text(GraphChannelPrefix(channel)) +
      Text(DecodeCp1251(std::span<const std::uint8_t>(bytes, stored.size()))));
  graphAreaSlider->setMaximum(graph_.AreaMax());
  graphAreaSlider->setValue(graph_.Area());
  graphFromLabel->setText(Text(GraphFromText(graph_.FirstScene())));
  graphToLabel->setText(Text(GraphLastText(graph_.FirstScene(), graph_.SceneCount())));
  graphZoomLabel->setText(Text(GraphZoomText(graph_.Zoom().factor)));
  graphAreaSlider->setEnabled(graph_.AreaEnabled());
  refreshing_ = false;
}

void ChannelGraphPage::RepaintGraph() {
  graphBox->update();
}

void ChannelGraphPage::ChangeGraphChannel() {
  graph_.SetChannel(graphChannelSlider->value() + 1);
  RefreshGraphLabels();
  RepaintGraph();
}

void ChannelGraphPage::ChangeGraphArea() {
  if (refreshing_) return;  // the refresh only keeps the bar within the new zoom
  graph_.SetArea(graphAreaSlider->value());
  RefreshGraphLabels();
  RepaintGraph();
}

void ChannelGraphPage::ChangeGraphZoom() {
  graph_.SetZoomStep(graphZoomSlider->value());
  RefreshGraphLabels();
  RepaintGraph();
}

void ChannelGraphPage::ChangeLastSceneFromGraph() {
  if (refreshing_) return;  // the refresh shows the stored number; nothing to write
  console_.Edit(UndoCopy::Keep, kStepSceneList, [&](ShowState& show) {
    SetGraphLastScene(show, graphLastSceneSlider->value());
    return ShowEdit::Reshaped();
  });
}

void ChannelGraphPage::PressGraphPoint(GraphButton button, int x, int y) {
  console_.Edit(UndoCopy::Keep, kStepGraph, [&](ShowState& show) {
    ShowPointer(graph_.MouseDown(show, button, x, y), true);
    return ShowEdit(ShowArea::Levels);
  });
}

void ChannelGraphPage::DragGraphPoint(int x, int y) {
  const bool drawing = graph_.Dragging();
  console_.Edit(UndoCopy::Keep, kStepGraph, [&](ShowState& show) {
    ShowPointer(graph_.MouseMove(show, x, y), drawing);
    return drawing ? ShowEdit(ShowArea::Levels) : ShowEdit();
  });
}

void ChannelGraphPage::ReleaseGraphPoint() {
  graph_.MouseUp();
}

void ChannelGraphPage::ShowPointer(const GraphLabels& labels, bool drawn) {
  graphSceneLabel->setText(Text(labels.scene));
  graphNewLevelLabel->setText(Text(labels.newLevel));
  graphSceneLevelLabel->setText(Text(labels.dmxLevel));
  if (drawn) RepaintGraph();
}

void ChannelGraphPage::wheelEvent(QWheelEvent* event) {
  MouseWheel(event->angleDelta().y());
  event->accept();
}

void ChannelGraphPage::MouseWheel(int delta) {
  graphChannelSlider->setValue(
      WheelPosition(WheelTarget::kGraph, delta, graphChannelSlider->value(),
                    graphChannelSlider->minimum(), graphChannelSlider->maximum()));
}

}  // namespace kalvetro
