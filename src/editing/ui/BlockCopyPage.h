#pragma once

#include <QWidget>

#include "editing/BlockCopy.h"

class QGroupBox;
class QSpinBox;
class QToolButton;

namespace kalvetro {

class Console;
class WindowParts;

// The page "Копирование": block copies of channel levels within the current scene, within
// every scene, within a range of scenes, and of whole scenes. Each group's button reads its
// own group's inputs. Every copy first takes the undo copy, so "Вернуть прежнюю сцену" takes
// it back; a refused copy shows its warning and copies nothing.
class BlockCopyPage : public QWidget {
  Q_OBJECT

 public:
  // undoPair: the page's "Запомнить Сцену" / "Вернуть прежнюю сцену" pair, placed beside the
  // groups (may be null).
  BlockCopyPage(Console& console, WindowParts& parts, QWidget* undoPair, QWidget* parent);

  // Handlers of the four buttons.
  void ButtonLevelBlocCopyClick();      // "Каналов текущей Сцены "
  void SpeedButtonLevelJobScensClick();  // "Каналов (все сцены)"
  void SpeedButtonScenAllCopyClick();    // "Каналов в сценах"
  void ButtonScenaBlocCopyClick();       // "Сцен (все каналы)"

  // "Каналов текущей Сцены "
  QSpinBox* SpinEditLevelFirst = nullptr;
  QSpinBox* SpinEditLevelLast = nullptr;
  QSpinBox* SpinEditLevelFrom = nullptr;
  QToolButton* SpeedButtonLevelBlocCopy = nullptr;
  // "Каналов (все сцены)"
  QSpinBox* SpinEditChBeg = nullptr;
  QSpinBox* SpinEditChFin = nullptr;
  QSpinBox* SpinEditChTo = nullptr;
  QToolButton* SpeedButtonLevelJobScens = nullptr;
  // "Каналов в сценах"
  QSpinBox* SpinEditAllScChbeg = nullptr;
  QSpinBox* SpinEditAllScChFin = nullptr;
  QSpinBox* SpinEditAllScChTo = nullptr;
  QSpinBox* SpinEditAllScChbegSc = nullptr;
  QSpinBox* SpinEditAllScChFinSc = nullptr;
  QSpinBox* SpinEditAllScChToSc = nullptr;
  QToolButton* SpeedButtonScenAllCopy = nullptr;
  // "Сцен (все каналы)"
  QSpinBox* SpinEditScenaFirst = nullptr;
  QSpinBox* SpinEditScenaLast = nullptr;
  QSpinBox* SpinEditScenaFrom = nullptr;
  QToolButton* SpeedButtonScenaBlocCopy = nullptr;

 private:
  // Ends every copy: the warning of a refused copy, or the news that the levels changed.
  void Finish(BlockCopyResult result);

  Console& console_;
  WindowParts& parts_;
};

}  // namespace kalvetro
