// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/SceneCommands.h"

#include <functional>

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/SceneList.h"
#include "ui/WindowParts.h"

namespace kalvetro {

SceneCommands::SceneCommands(Console& console, WindowParts& parts, const SceneListButtons& buttons,
                             QObject* parent)
    : QObject(parent), console_(console), parts_(parts), buttons_(buttons) {
  setObjectName(QStringLiteral("SceneCommands"));
  BuildMenus();
  BuildToolBar();
  auto bind = [this](QAbstractButton* button, void (SceneCommands::*handler)()) {
    if (button)
      connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
  };
  bind(buttons_.insertScene, &SceneCommands::InsertSceneCommand);
  bind(buttons_.copyScene, &SceneCommands::CopySceneToBuffer);
  bind(buttons_.insertPasted, &SceneCommands::InsertPastedScene);
  bind(buttons_.pasteScene, &SceneCommands::PasteSceneFromBuffer);
  bind(buttons_.deleteScene, &SceneCommands::DeleteSceneCommand);
}

void SceneCommands::BuildMenus() {
  QMenu* scenes = parts_.Menu(MenuId::Scenes);
  auto add = [this, scenes](const char* name, const QString& text, const char* key,
                            void (SceneCommands::*handler)()) {
    QAction* action = scenes->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (key) action->setShortcut(QKeySequence(QString::fromLatin1(key)));
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };
  scenes->addSeparator();
  copyPreviousSceneAction = add("CopyPredScena", QStringLiteral("Копировать предыдущую сцену"),
                                "Ctrl+P", &SceneCommands::CopyPreviousSceneCommand);
  copyToBufferAction = add("CopyToBufferItem", QStringLiteral("Копировать сцену в буфер"), "Ctrl+C",
                           &SceneCommands::CopySceneToBuffer);
  // The menu item runs the same command as the page button beside it.
  insertPastedAction =
      add("NewPasteItem", QStringLiteral("Создать новую и заменить сценой из буфера"), "Ctrl+V",
          &SceneCommands::InsertPastedScene);
  pasteFromBufferAction = add("PasteFromBufferItem", QStringLiteral("Заменить сценой  из буфера"),
                              nullptr, &SceneCommands::PasteSceneFromBuffer);
  scenes->addSeparator();
  clearSceneAction = add("ClearScenaItem", QStringLiteral("Очистить Сцену"), "Ctrl+E",
                         &SceneCommands::ClearSceneCommand);
  deleteSceneAction = add("DeleteScenaItem", QStringLiteral("Удалить Сцену из Шоу "), "Ctrl+Del",
                          &SceneCommands::DeleteSceneCommand);
  insertSceneAction = add("InsertScenaItem", QStringLiteral("Создать новую Сцену"), "Ctrl+Ins",
                          &SceneCommands::InsertSceneCommand);
  insertPastedAction->setEnabled(false);
  pasteFromBufferAction->setEnabled(false);

  autoAddSceneAction =
      parts_.Menu(MenuId::Options)->addAction(QStringLiteral("Разрешить автодобавление сцен"));
  autoAddSceneAction->setObjectName(QStringLiteral("AvtoDobScenaItem"));
  autoAddSceneAction->setCheckable(true);
  autoAddSceneAction->setChecked(false);
  // The check mark flips on its own when the item is triggered.
  connect(autoAddSceneAction, &QAction::triggered, this, &SceneCommands::AnnounceAutoAdd);
}

void SceneCommands::BuildToolBar() {
  auto add = [this](const char* name, const char* themeIcon, QStyle::StandardPixmap fallback,
                    const QString& hint, std::function<void()> action) {
    return parts_.AddToolButton(QString::fromLatin1(name), QString::fromLatin1(themeIcon), fallback,
                                hint, std::move(action));
  };
  parts_.AddToolBarSeparator();
  copyPreviousSceneButton =
      add("SpeedButtonCOPYPREDSCEN", "go-previous", QStyle::SP_ArrowBack,
          QStringLiteral("Копировать предыдущую Сцену"), [this] { CopyPreviousSceneCommand(); });
  copyToBufferButton = add("SpeedButtonCOPY", "edit-copy", QStyle::SP_FileDialogContentsView,
                           QStringLiteral("Копировать Сцену"), [this] { CopySceneToBuffer(); });
  clearSceneButton = add("SpeedButtonCLEAR", "edit-clear", QStyle::SP_DialogResetButton,
                         QStringLiteral("Новая сцена"), [this] { ClearSceneCommand(); });
  deleteSceneButton = add("SpeedButtonDELSCEN", "edit-delete", QStyle::SP_TrashIcon,
                          QStringLiteral("Удалить сцену"), [this] { DeleteSceneCommand(); });
  // The toolbar switch has no state of its own: it flips the menu item.
  autoAddSceneButton =
      add("SpeedButtonAVTOPLUS", "list-add", QStyle::SP_FileDialogNewFolder,
          QStringLiteral("Автодобавление сцен "), [this] { autoAddSceneAction->trigger(); });
}

void SceneCommands::EditScenes(void (*command)(ShowState&)) {
  if (console_.Show().playing.load()) return;
  console_.Edit(UndoCopy::Take, kStepSceneList, [command](ShowState& show) {
    command(show);
    return ShowEdit::Reshaped();
  });
}

// ---------------------------------------------------------------- commands

void SceneCommands::CopyPreviousSceneCommand() {
  EditScenes(CopyPreviousScene);
}

void SceneCommands::InsertSceneCommand() {
  EditScenes(InsertSceneAfterCurrent);
}

void SceneCommands::DeleteSceneCommand() {
  EditScenes(DeleteCurrentScene);
}

void SceneCommands::ClearSceneCommand() {
  EditScenes(ClearCurrentScene);
}

void SceneCommands::CopySceneToBuffer() {
  // The hints name the scene even while the show plays.
  const QString scene = QString::number(console_.Show().CurrentStep() + 1);
  if (buttons_.insertPasted)
    buttons_.insertPasted->setToolTip(
        QStringLiteral("Создать новую сцену после текущей и скопировать в нее сцену ") + scene +
        QStringLiteral(" из буфера"));
  if (buttons_.pasteScene)
    buttons_.pasteScene->setToolTip(QStringLiteral("Заменить текущую сцену Сценой ") + scene +
                                    QStringLiteral(" из буфера"));
  if (console_.Show().playing.load()) return;
  insertPastedAction->setEnabled(true);
  pasteFromBufferAction->setEnabled(true);
  if (buttons_.insertPasted) buttons_.insertPasted->setEnabled(true);
  if (buttons_.pasteScene) buttons_.pasteScene->setEnabled(true);
  console_.Edit(UndoCopy::Keep, kStepPaste, [this](ShowState& show) {
    SaveToPaste(show);
    console_.ShowStatus(QStringLiteral(" Записать в буфер "));
    return ShowEdit::Reshaped();
  });
}

void SceneCommands::PasteSceneFromBuffer() {
  EditScenes(LoadFromPaste);
}

void SceneCommands::InsertPastedScene() {
  EditScenes(InsertSceneAfterCurrent);
  // The paste takes its own undo copy: a restore brings back the inserted scene.
  EditScenes(LoadFromPaste);
}

void SceneCommands::AnnounceAutoAdd() {
  console_.ShowStatus(QStringLiteral(" Автодобавление сцен "));
}

}  // namespace kalvetro
