#pragma once

#include <QWidget>
#include <cstdint>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QScrollBar;

namespace kalvetro {

class ConsoleHost;
class StripPanel;
struct OutputControls;

// The tab "Плавность": the crossfade mode "Плавность перехода  сцен " and the group rate
// slider with the label of the last chosen rate. Also keeps the rate last chosen on any rate
// slider (the strips' own sliders report theirs through TabRate).
class FadeRatePage : public QWidget {
  Q_OBJECT

 public:
  FadeRatePage(ConsoleHost& host, OutputControls& controls, QWidget* parent);
  // The strips whose selection the group rate acts on and whose rate sliders it refreshes.
  void SetStrips(StripPanel* strips) { strips_ = strips; }

  // Position -> step: remembers the position as the last chosen one, relabels LabelRate
  // and returns the step of the position.
  std::uint8_t TabRate(int position);
  int LastPosition() const { return lastPosition_; }
  std::uint8_t LastStep() const { return lastStep_; }

  // The chosen item of "Плавность перехода  сцен ": 0 "Ползунки", 1 "Автомат", 2 "Выкл",
  // -1 none.
  int ItemIndex() const;
  void SetItemIndex(int index);

  void ScrollBarRateLeuelChange();

  QGroupBox* RadioGroupRate = nullptr;
  QScrollBar* ScrollBarRateLeuel = nullptr;
  QLabel* LabelRate = nullptr;

 private:
  ConsoleHost& host_;
  OutputControls& controls_;
  StripPanel* strips_ = nullptr;
  QButtonGroup* rateItems_ = nullptr;
  int lastPosition_ = 7;
  std::uint8_t lastStep_ = 255;
};

}  // namespace kalvetro
