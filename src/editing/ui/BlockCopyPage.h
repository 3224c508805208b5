// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

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
  void CopyCurrentSceneChannels();  // "Каналов текущей Сцены "
  void CopyChannelsInAllScenes();   // "Каналов (все сцены)"
  void CopyChannelsAcrossScenes();  // "Каналов в сценах"
  void CopySceneRange();            // "Сцен (все каналы)"

  // "Каналов текущей Сцены "
  QSpinBox* channelCopyFirst = nullptr;
  QSpinBox* channelCopyLast = nullptr;
  QSpinBox* channelCopyTarget = nullptr;
  QToolButton* copyCurrentChannelsButton = nullptr;
  // "Каналов (все сцены)"
  QSpinBox* allScenesChannelFirst = nullptr;
  QSpinBox* allScenesChannelLast = nullptr;
  QSpinBox* allScenesChannelTarget = nullptr;
  QToolButton* copyAllScenesChannelsButton = nullptr;
  // "Каналов в сценах"
  QSpinBox* rangeChannelFirst = nullptr;
  QSpinBox* rangeChannelLast = nullptr;
  QSpinBox* rangeChannelTarget = nullptr;
  QSpinBox* rangeSceneFirst = nullptr;
  QSpinBox* rangeSceneLast = nullptr;
  QSpinBox* rangeSceneTarget = nullptr;
  QToolButton* copyChannelsAcrossScenesButton = nullptr;
  // "Сцен (все каналы)"
  QSpinBox* sceneCopyFirst = nullptr;
  QSpinBox* sceneCopyLast = nullptr;
  QSpinBox* sceneCopyTarget = nullptr;
  QToolButton* copySceneRangeButton = nullptr;

 private:
  // Runs a copy as an edit with the undo copy taken first; a refused copy changes nothing and
  // shows its warning.
  void RunCopy(const std::function<BlockCopyResult(ShowState&)>& copy);

  Console& console_;
  WindowParts& parts_;
};

}  // namespace kalvetro
