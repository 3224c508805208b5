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
  QAbstractButton* newScena = nullptr;       // SpeedButtonNewScena
  QAbstractButton* scenaCopy = nullptr;      // SpeedButtonScenaCopy
  QAbstractButton* newScenaPaste = nullptr;  // SpeedButtonNewScenaPaste
  QAbstractButton* scenaPaste = nullptr;     // ButtonScenaPaste
  QAbstractButton* scenaDelete = nullptr;    // SpeedButtonScenaDelete
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

  void CopyPredScenaClick();
  void InsertScenaItemClick();
  void DeleteScenaItemClick();
  void ClearScenaItemClick();
  void CopyToBufferItemClick();
  void PasteFromBufferItemClick();
  void SpeedButtonNewScenaPasteClick();
  void AvtoDobScenaItemClick();

  // Opens a new scene after the current one.
  void InsertNewScena();
  // Removes the current scene and refreshes the page.
  void DeleteScena();
  // The current scene into the buffer, and the buffer into the current scene (with its own
  // undo copy).
  void SaveToPaste();
  void LoadFromPaste();

  // Menu "Сцены".
  QAction* CopyPredScena = nullptr;
  QAction* CopyToBufferItem = nullptr;
  QAction* NewPasteItem = nullptr;
  QAction* PasteFromBufferItem = nullptr;
  QAction* ClearScenaItem = nullptr;
  QAction* DeleteScenaItem = nullptr;
  QAction* InsertScenaItem = nullptr;
  // Menu "Опции".
  QAction* AvtoDobScenaItem = nullptr;
  // Toolbar.
  QToolButton* SpeedButtonCOPYPREDSCEN = nullptr;
  QToolButton* SpeedButtonCOPY = nullptr;
  QToolButton* SpeedButtonCLEAR = nullptr;
  QToolButton* SpeedButtonDELSCEN = nullptr;
  QToolButton* SpeedButtonAVTOPLUS = nullptr;

 private:
  void BuildMenus();
  void BuildToolBar();
  // The common start of the guarded commands: false while the show plays; otherwise the undo
  // copy is taken and the command may go on.
  bool BeginEdit();

  Console& console_;
  WindowParts& parts_;
  SceneListButtons buttons_;
};

}  // namespace kalvetro
