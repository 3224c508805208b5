// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

#include "effects/StaticPictures.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QScrollBar;
class QToolButton;

namespace kalvetro {

class Console;
class WindowParts;

// The window "Статические картинки": records the sixteen static pictures. While it is open the
// channel strips of the main window edit the row of scene 0 (the picture's levels) and the
// selection (the picture's mask); the output plays scene 0. It is created once at start-up,
// shown without blocking the main window, stays on top of it and is only hidden when closed.
class PictureEditorWindow : public QWidget {
  Q_OBJECT

 public:
  PictureEditorWindow(Console& console, WindowParts& parts, QWidget* mainWindow);

  // Opens the editor: stops the show, keeps scene 0, the rates, the step and the selection
  // aside, makes scene 0 the empty working row and the selection the empty mask, hides the
  // Play button, switches scene transitions to "Выкл" and shows the window.
  void OpenPictureWindow();
  // Picture k (0..15, key order 1..8, Space, Z, X, C, V, B, N, M) into the working row.
  void LoadPictureIntoWorkingRow(int k);
  // The working row and the mask into picture k.
  void StoreWorkingRowAsPicture(int k);
  // The levels of the show scene chosen with sceneSlider into the working row.
  void TakeChosenSceneLevels();
  void ConfirmEraseEditedPicture();
  void ConfirmEraseAllPictures();
  void UndoPictureErase();
  // Closing: puts scene 0, the rates, the step and the selection back and shows Play again.
  void FormClose();

  // Controls, indexed by picture k.
  std::array<QToolButton*, kPictureCount> readButtons{};   // SpeedButton1..8, Spase, Z..M
  std::array<QToolButton*, kPictureCount> writeButtons{};  // SpeedButton9..24
  QToolButton* readHiddenButton = nullptr;   // the hidden extra button of "Считать"
  QToolButton* writeHiddenButton = nullptr;  // the hidden extra button of "Записать "
  QScrollBar* sceneSlider = nullptr;
  QLabel* sceneLabel = nullptr;
  QToolButton* eraseButton = nullptr;
  QToolButton* eraseAllButton = nullptr;
  QToolButton* undoEraseButton = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QGroupBox* BuildPictureGroup(const QString& title, bool write);
  QGroupBox* BuildSceneGroup();
  QGroupBox* BuildEraseGroup();
  void ReleaseRead();
  void ReleaseWrite();

  Console& console_;
  WindowParts& parts_;
  QButtonGroup* readGroup_ = nullptr;
  QButtonGroup* writeGroup_ = nullptr;
};

}  // namespace kalvetro
