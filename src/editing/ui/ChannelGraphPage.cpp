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
#include "editing/ChannelNames.h"
#include "editing/KeyMap.h"
#include "windows/SpeedButtons.h"
#include "windows/WindowParts.h"

namespace kalvetro {

namespace {

QColor ColourOf(const GrafikColour& c) {
  return QColor(c.red, c.green, c.blue);
}

void Fill(QPainter& painter, const GrafikRect& r, const GrafikColour& colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), ColourOf(colour));
}

QScrollBar* MakeBar(QWidget* parent, const char* name, int maximum, int pageStep,
                    const QString& hint) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setRange(0, maximum);
  bar->setPageStep(pageStep);
  bar->setToolTip(hint);
  return bar;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

}  // namespace

// ---------------------------------------------------------------- the chart

GrafikPaintBox::GrafikPaintBox(const Console& console, const ChannelGraph& graph,
                               QWidget* parent)
    : QWidget(parent), console_(console), graph_(graph) {
  setObjectName(QStringLiteral("PaintBoxGrafik"));
  setFixedSize(kGrafikWidth, kGrafikHeight);
  setMouseTracking(true);  // the pointer labels follow the mouse without a button too
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

void GrafikPaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The bottom line belongs to no column; it keeps the chart's ground colour.
  painter.fillRect(rect(), ColourOf(kGrafikBackground));
  const ShowState& show = console_.Show();
  const int current = show.CurrentStep();
  for (int k = 0; k < graph_.SceneCount(); ++k) {
    const GrafikColumn column = graph_.Column(show, k, current);
    Fill(painter, column.background, kGrafikBackground);
    Fill(painter, column.bar, kGrafikBar);
    if (column.endOfShow) Fill(painter, column.endMarker, kGrafikEndMarker);
    if (column.current) Fill(painter, column.currentMarker, kGrafikCurrentMarker);
    if (column.marked) Fill(painter, column.markedSquare, kGrafikMarkedSquare);
  }
}

void GrafikPaintBox::mousePressEvent(QMouseEvent* event) {
  GrafikButton button = GrafikButton::kMiddle;
  if (event->button() == Qt::LeftButton) button = GrafikButton::kLeft;
  if (event->button() == Qt::RightButton) button = GrafikButton::kRight;
  const QPoint p = event->position().toPoint();
  emit Pressed(button, p.x(), p.y());
}

void GrafikPaintBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit Moved(p.x(), p.y());
}

void GrafikPaintBox::mouseReleaseEvent(QMouseEvent*) {
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

  auto* title =
      new QLabel(QStringLiteral("Динамика изменения канала по выделенным сценам "), this);
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
  LabelNameChanel = MakeLabel(this, "LabelNameChanel");
  QFont nameFont = LabelNameChanel->font();
  nameFont.setBold(true);
  LabelNameChanel->setFont(nameFont);
  left->addWidget(LabelNameChanel);
  ScrollBarChanellGrafik = MakeBar(this, "ScrollBarChanellGrafik", 254, 10,
                                   QStringLiteral("Устанавливает номер редактируемого канала"));
  ScrollBarChanellGrafik->setFixedWidth(kGrafikWidth);
  left->addWidget(ScrollBarChanellGrafik);
  PaintBoxGrafik = new GrafikPaintBox(console_, graph_, this);
  left->addWidget(PaintBoxGrafik);
  ScrollBarGrafikArea =
      MakeBar(this, "ScrollBarGrafikArea", 7, 1, QStringLiteral("Блок редактируемых сцен"));
  ScrollBarGrafikArea->setFixedWidth(kGrafikWidth);
  left->addWidget(ScrollBarGrafikArea);
  auto* areaLabels = new QHBoxLayout;
  LabelScenaGrafikFrom = MakeLabel(this, "LabelScenaGrafikFrom");
  LabelScenaGrafikLast = MakeLabel(this, "LabelScenaGrafikLast");
  areaLabels->addWidget(LabelScenaGrafikFrom);
  areaLabels->addStretch();
  areaLabels->addWidget(LabelScenaGrafikLast);
  auto* areaPanel = new QWidget(this);
  areaPanel->setFixedWidth(kGrafikWidth);
  areaPanel->setLayout(areaLabels);
  areaLabels->setContentsMargins(0, 0, 0, 0);
  left->addWidget(areaPanel);
  columns->addLayout(left);

  // Right: zoom, drawing mode, last scene, what the pointer points at, the undo pair.
  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  LabelGrafZoom = MakeLabel(this, "LabelGrafZoom");
  right->addWidget(LabelGrafZoom);
  ScrollBarGrafikZoom = MakeBar(this, "ScrollBarGrafikZoom", kGrafikZoomSteps - 1, 2,
                                QStringLiteral("Масштаб сцен"));
  ScrollBarGrafikZoom->setValue(kNewShowZoomStep);
  right->addWidget(ScrollBarGrafikZoom);

  auto* modes = new QHBoxLayout;
  modes->setSpacing(2);
  auto* modeGroup = new QButtonGroup(this);
  modeGroup->setExclusive(true);
  auto addMode = [&](const char* name, const QString& caption, const QString& hint,
                     GrafikMode mode) {
    auto* button = MakeSpeedButton(this, QString::fromLatin1(name), caption, hint);
    button->setCheckable(true);
    modeGroup->addButton(button);
    modes->addWidget(button);
    connect(button, &QToolButton::clicked, this, [this, mode] { graph_.SetMode(mode); });
    return button;
  };
  SpeedButtonGrafArrow =
      addMode("SpeedButtonGrafArrow", QStringLiteral("Точка"),
              QStringLiteral("Устанавливать значение только одного канала"), GrafikMode::kArrow);
  SpeedButtonGrafLine = addMode(
      "SpeedButtonGrafLine", QStringLiteral("Линия"),
      QStringLiteral("Интерполировать уровни каналов. Начало - левая кнопка, конец - правая."),
      GrafikMode::kLine);
  SpeedButtonGrafPen =
      addMode("SpeedButtonGrafPen", QStringLiteral("Перо"),
              QStringLiteral("Повторять значение текущего канала во всех рабочих сценах"),
              GrafikMode::kPen);
  SpeedButtonGrafArrow->setChecked(true);
  right->addSpacing(6);
  right->addLayout(modes);

  right->addSpacing(6);
  right->addWidget(MakeLabel(this, "LabelMaxScenaGrafic",
                             QStringLiteral("Установить последнюю Сцену")));
  ScrollBarMaxScenaGrafic = MakeBar(this, "ScrollBarMaxScenaGrafic", 255, 10,
                                    QStringLiteral("Установка номера последней сцены"));
  right->addWidget(ScrollBarMaxScenaGrafic);

  right->addSpacing(10);
  LabelScenaGrafik = MakeLabel(this, "LabelScenaGrafik");
  LabelLevelNewGrafik = MakeLabel(this, "LabelLevelNewGrafik");
  LabelLevelDmxGrafik = MakeLabel(this, "LabelLevelDmxGrafik");
  for (QLabel* label : {LabelScenaGrafik, LabelLevelNewGrafik, LabelLevelDmxGrafik}) {
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

  connect(ScrollBarChanellGrafik, &QScrollBar::valueChanged, this,
          [this] { ScrollBarChanellGrafikChange(); });
  connect(ScrollBarGrafikArea, &QScrollBar::valueChanged, this,
          [this] { ScrollBarGrafikAreaChange(); });
  connect(ScrollBarGrafikZoom, &QScrollBar::valueChanged, this,
          [this] { ScrollBarGrafikZoomChange(); });
  connect(ScrollBarMaxScenaGrafic, &QScrollBar::valueChanged, this,
          [this] { ScrollBarMaxScenaGraficChange(); });
  connect(PaintBoxGrafik, &GrafikPaintBox::Pressed, this,
          &ChannelGraphPage::PaintBoxGrafikMouseDown);
  connect(PaintBoxGrafik, &GrafikPaintBox::Moved, this, &ChannelGraphPage::PaintBoxGrafikMouseMove);
  connect(PaintBoxGrafik, &GrafikPaintBox::Released, this,
          &ChannelGraphPage::PaintBoxGrafikMouseUp);

  // The main window's wheel comes through the console (its key preview takes it first).
  connect(&console_, &Console::WheelTurned, this, [this](int delta) {
    if (IsShownPage(this)) MouseWheel(delta);
  });
  connect(&console_, &Console::PageRefresh, this, [this] {
    if (!IsShownPage(this)) return;
    ReturnGrafikLabel();
    RepaintGrafik();
  });
  connect(&console_, &Console::Changed, this, [this](ShowArea area) {
    if ((area == ShowArea::Levels || area == ShowArea::Names) && IsShownPage(this)) {
      ReturnGrafikLabel();
      RepaintGrafik();
    }
  });
  // Every new show (the empty one of start-up too) shows 32 scenes per area; an opened show
  // keeps the zoom.
  connect(&console_, &Console::ShowCleared, this, [this] {
    graph_.ResetForNewShow();
    ScrollBarGrafikZoom->setValue(kNewShowZoomStep);
    ReturnGrafikLabel();
    RepaintGrafik();
  });
  ReturnGrafikLabel();
}

void ChannelGraphPage::ReturnGrafikLabel() {
  const ShowState& show = console_.Show();
  refreshing_ = true;
  ScrollBarMaxScenaGrafic->setValue(show.LastScene());
  const int channel = graph_.Channel();
  const std::string stored = GrafikStoredName(show.memory, channel);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stored.data());
  LabelNameChanel->setText(
      Text(GrafikChannelPrefix(channel)) +
      Text(DecodeCp1251(std::span<const std::uint8_t>(bytes, stored.size()))));
  ScrollBarGrafikArea->setMaximum(graph_.AreaMax());
  ScrollBarGrafikArea->setValue(graph_.Area());
  LabelScenaGrafikFrom->setText(Text(GrafikFromText(graph_.FirstScene())));
  LabelScenaGrafikLast->setText(Text(GrafikLastText(graph_.FirstScene(), graph_.SceneCount())));
  LabelGrafZoom->setText(Text(GrafikZoomText(graph_.Zoom().factor)));
  ScrollBarGrafikArea->setEnabled(graph_.AreaEnabled());
  refreshing_ = false;
}

void ChannelGraphPage::RepaintGrafik() {
  PaintBoxGrafik->update();
}

void ChannelGraphPage::ScrollBarChanellGrafikChange() {
  graph_.SetChannel(ScrollBarChanellGrafik->value() + 1);
  ReturnGrafikLabel();
  RepaintGrafik();
}

void ChannelGraphPage::ScrollBarGrafikAreaChange() {
  if (refreshing_) return;  // the refresh only keeps the bar within the new zoom
  graph_.SetArea(ScrollBarGrafikArea->value());
  ReturnGrafikLabel();
  RepaintGrafik();
}

void ChannelGraphPage::ScrollBarGrafikZoomChange() {
  graph_.SetZoomStep(ScrollBarGrafikZoom->value());
  ReturnGrafikLabel();
  RepaintGrafik();
}

void ChannelGraphPage::ScrollBarMaxScenaGraficChange() {
  if (refreshing_) return;  // the refresh shows the stored number; nothing to write
  SetGrafikLastScene(console_.Show(), ScrollBarMaxScenaGrafic->value());
  console_.ReturnPageControlAll();
}

void ChannelGraphPage::PaintBoxGrafikMouseDown(GrafikButton button, int x, int y) {
  ShowPointer(graph_.MouseDown(console_.Show(), button, x, y), true);
}

void ChannelGraphPage::PaintBoxGrafikMouseMove(int x, int y) {
  const bool drawing = graph_.Dragging();
  ShowPointer(graph_.MouseMove(console_.Show(), x, y), drawing);
}

void ChannelGraphPage::PaintBoxGrafikMouseUp() {
  graph_.MouseUp();
}

void ChannelGraphPage::ShowPointer(const GrafikLabels& labels, bool drawn) {
  LabelScenaGrafik->setText(Text(labels.scene));
  LabelLevelNewGrafik->setText(Text(labels.newLevel));
  LabelLevelDmxGrafik->setText(Text(labels.dmxLevel));
  if (!drawn) return;
  RepaintGrafik();
  console_.Notify(ShowArea::Levels);
}

void ChannelGraphPage::wheelEvent(QWheelEvent* event) {
  MouseWheel(event->angleDelta().y());
  event->accept();
}

void ChannelGraphPage::MouseWheel(int delta) {
  ScrollBarChanellGrafik->setValue(WheelPosition(WheelTarget::kGraph, delta,
                                                 ScrollBarChanellGrafik->value(),
                                                 ScrollBarChanellGrafik->minimum(),
                                                 ScrollBarChanellGrafik->maximum()));
}

}  // namespace kalvetro
