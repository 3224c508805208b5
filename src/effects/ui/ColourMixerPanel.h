// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <optional>

#include "effects/WindowColour.h"

class QCheckBox;
class QLabel;
class QScrollBar;

namespace kalvetro {

class Console;
class WindowParts;

// The group "Цвет формы" on the options page: mixes the background colour of the main window
// that every show carries (header bytes 138..141) from three bars. The group always shows the
// mix; the main window takes it while "Вкл. цвет" is ticked. With "Менять цвет автоматически"
// each save under a new name moves the colour on, so that copies of a show look different.
class ColourMixerPanel : public QGroupBox {
  Q_OBJECT

 public:
  ColourMixerPanel(Console& console, WindowParts& parts, QWidget* parent);

  // Shows the colour bytes of the show: the on box, the bars, the group's own background and
  // the main window's background.
  void RefreshColour();

  // Handlers.
  void ChangeColour(int colourByte, int position);
  void SwitchColour(bool ticked);
  // After a save under a new name: the automatic colour change when it is ticked.
  void ShowSavedAs();

  QScrollBar* redSlider = nullptr;
  QScrollBar* greenSlider = nullptr;
  QScrollBar* blueSlider = nullptr;
  QCheckBox* colourOnBox = nullptr;
  QCheckBox* colourAutoBox = nullptr;
  QLabel* lastKeyLabel = nullptr;  // the last key pressed

 private:
  void PaintMainWindow(bool on, const QColor& mix);

  Console& console_;
  bool refreshing_ = false;            // RefreshColour is moving the controls
  std::optional<WindowColour> shown_;  // the colour the controls and the window show
};

}  // namespace kalvetro
