// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QAbstractButton;
class QAction;
class QToolButton;

namespace kalvetro {

class Console;
class WindowParts;

// The scene buttons that stand on the sequencer page.
struct SceneListButtons {
  QAbstractButton* insertScene = nullptr;   // SpeedButtonNewScena
  QAbstractButton* copyScene = nullptr;     // SpeedButtonScenaCopy
  QAbstractButton* insertPasted = nullptr;  // SpeedButtonNewScenaPaste
  QAbstractButton* pasteScene = nullptr;    // ButtonScenaPaste
  QAbstractButton* deleteScene = nullptr;   // SpeedButtonScenaDelete
};

// The commands that change the list of scenes as a whole: insert, delete, clear, copy the
// previous scene, copy to the one-scene buffer and paste back, and the auto-add switch. They
// are reached from the menu "Сцены", the toolbar and the sequencer page. Every command except
// the copy to the buffer and the auto-add switch does nothing while the show plays and takes
// the undo copy before it changes anything.
class SceneCommands : public QObject {
  Q_OBJECT

 public:
  SceneCommands(Console& console, WindowParts& parts, const SceneListButtons& buttons,
                QObject* parent);

  void CopyPreviousSceneCommand();
  void InsertSceneCommand();
  void DeleteSceneCommand();
  void ClearSceneCommand();
  void CopySceneToBuffer();
  void PasteSceneFromBuffer();
  void InsertPastedScene();
  void AnnounceAutoAdd();

  // Menu "Сцены".
  QAction* copyPreviousSceneAction = nullptr;
  QAction* copyToBufferAction = nullptr;
  QAction* insertPastedAction = nullptr;
  QAction* pasteFromBufferAction = nullptr;
  QAction* clearSceneAction = nullptr;
  QAction* deleteSceneAction = nullptr;
  QAction* insertSceneAction = nullptr;
  // Menu "Опции".
  QAction* autoAddSceneAction = nullptr;
  // Toolbar.
  QToolButton* copyPreviousSceneButton = nullptr;
  QToolButton* copyToBufferButton = nullptr;
  QToolButton* clearSceneButton = nullptr;
  QToolButton* deleteSceneButton = nullptr;
  QToolButton* autoAddSceneButton = nullptr;

 private:
  void BuildMenus();
  void BuildToolBar();
  // Runs a command of the scene list as an edit that reshapes the show, with the undo copy
  // taken first; refused (nothing done) while the show plays.
  void EditScenes(void (*command)(ShowState&));

  Console& console_;
  WindowParts& parts_;
  SceneListButtons buttons_;
};

}  // namespace kalvetro
