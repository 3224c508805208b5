#include "editing/ui/SceneCommands.h"

#include <functional>

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "app/Console.h"
#include "editing/SceneList.h"
#include "windows/WindowParts.h"

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
  bind(buttons_.newScena, &SceneCommands::InsertScenaItemClick);
  bind(buttons_.scenaCopy, &SceneCommands::CopyToBufferItemClick);
  bind(buttons_.newScenaPaste, &SceneCommands::SpeedButtonNewScenaPasteClick);
  bind(buttons_.scenaPaste, &SceneCommands::PasteFromBufferItemClick);
  bind(buttons_.scenaDelete, &SceneCommands::DeleteScenaItemClick);
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
  CopyPredScena = add("CopyPredScena", QStringLiteral("Копировать предыдущую сцену"), "Ctrl+P",
                      &SceneCommands::CopyPredScenaClick);
  CopyToBufferItem = add("CopyToBufferItem", QStringLiteral("Копировать сцену в буфер"), "Ctrl+C",
                         &SceneCommands::CopyToBufferItemClick);
  // The menu item runs the same command as the page button beside it.
  NewPasteItem = add("NewPasteItem", QStringLiteral("Создать новую и заменить сценой из буфера"),
                     "Ctrl+V", &SceneCommands::SpeedButtonNewScenaPasteClick);
  PasteFromBufferItem = add("PasteFromBufferItem", QStringLiteral("Заменить сценой  из буфера"),
                            nullptr, &SceneCommands::PasteFromBufferItemClick);
  scenes->addSeparator();
  ClearScenaItem = add("ClearScenaItem", QStringLiteral("Очистить Сцену"), "Ctrl+E",
                       &SceneCommands::ClearScenaItemClick);
  DeleteScenaItem = add("DeleteScenaItem", QStringLiteral("Удалить Сцену из Шоу "), "Ctrl+Del",
                        &SceneCommands::DeleteScenaItemClick);
  InsertScenaItem = add("InsertScenaItem", QStringLiteral("Создать новую Сцену"), "Ctrl+Ins",
                        &SceneCommands::InsertScenaItemClick);
  NewPasteItem->setEnabled(false);
  PasteFromBufferItem->setEnabled(false);

  AvtoDobScenaItem = parts_.Menu(MenuId::Options)->addAction(QStringLiteral("Разрешить автодобавление сцен"));
  AvtoDobScenaItem->setObjectName(QStringLiteral("AvtoDobScenaItem"));
  AvtoDobScenaItem->setCheckable(true);
  AvtoDobScenaItem->setChecked(false);
  // The check mark flips on its own when the item is triggered.
  connect(AvtoDobScenaItem, &QAction::triggered, this, &SceneCommands::AvtoDobScenaItemClick);
}

void SceneCommands::BuildToolBar() {
  auto add = [this](const char* name, const char* themeIcon, QStyle::StandardPixmap fallback,
                    const QString& hint, std::function<void()> action) {
    return parts_.AddToolButton(QString::fromLatin1(name), QString::fromLatin1(themeIcon), fallback,
                               hint, std::move(action));
  };
  parts_.AddToolBarSeparator();
  SpeedButtonCOPYPREDSCEN =
      add("SpeedButtonCOPYPREDSCEN", "go-previous", QStyle::SP_ArrowBack,
          QStringLiteral("Копировать предыдущую Сцену"), [this] { CopyPredScenaClick(); });
  SpeedButtonCOPY = add("SpeedButtonCOPY", "edit-copy", QStyle::SP_FileDialogContentsView,
                        QStringLiteral("Копировать Сцену"), [this] { CopyToBufferItemClick(); });
  SpeedButtonCLEAR = add("SpeedButtonCLEAR", "edit-clear", QStyle::SP_DialogResetButton,
                         QStringLiteral("Новая сцена"), [this] { ClearScenaItemClick(); });
  SpeedButtonDELSCEN = add("SpeedButtonDELSCEN", "edit-delete", QStyle::SP_TrashIcon,
                           QStringLiteral("Удалить сцену"), [this] { DeleteScenaItemClick(); });
  // The toolbar switch has no state of its own: it flips the menu item.
  SpeedButtonAVTOPLUS =
      add("SpeedButtonAVTOPLUS", "list-add", QStyle::SP_FileDialogNewFolder,
          QStringLiteral("Автодобавление сцен "), [this] { AvtoDobScenaItem->trigger(); });
}

bool SceneCommands::BeginEdit() {
  if (console_.Show().playing.load()) return false;
  console_.ToMemoryUndo();
  return true;
}

// ---------------------------------------------------------------- commands

void SceneCommands::CopyPredScenaClick() {
  if (!BeginEdit()) return;
  kalvetro::CopyPredScena(console_.Show());
  console_.ReturnPageControlAll();
}

void SceneCommands::InsertScenaItemClick() {
  if (!BeginEdit()) return;
  InsertNewScena();
  console_.ReturnPageControlAll();
}

void SceneCommands::InsertNewScena() {
  kalvetro::InsertNewScena(console_.Show());
}

void SceneCommands::DeleteScenaItemClick() {
  if (!BeginEdit()) return;
  DeleteScena();
}

void SceneCommands::DeleteScena() {
  kalvetro::DeleteScena(console_.Show());
  console_.ReturnPageControlAll();
}

void SceneCommands::ClearScenaItemClick() {
  if (!BeginEdit()) return;
  ClearScena(console_.Show());
  console_.ReturnPageControlAll();
}

void SceneCommands::CopyToBufferItemClick() {
  // The hints name the scene even while the show plays.
  const QString scene = QString::number(console_.Show().CurrentStep() + 1);
  if (buttons_.newScenaPaste)
    buttons_.newScenaPaste->setToolTip(
        QStringLiteral("Создать новую сцену после текущей и скопировать в нее сцену ") + scene +
        QStringLiteral(" из буфера"));
  if (buttons_.scenaPaste)
    buttons_.scenaPaste->setToolTip(QStringLiteral("Заменить текущую сцену Сценой ") + scene +
                                    QStringLiteral(" из буфера"));
  if (console_.Show().playing.load()) return;
  NewPasteItem->setEnabled(true);
  PasteFromBufferItem->setEnabled(true);
  if (buttons_.newScenaPaste) buttons_.newScenaPaste->setEnabled(true);
  if (buttons_.scenaPaste) buttons_.scenaPaste->setEnabled(true);
  SaveToPaste();
  console_.ReturnPageControlAll();
}

void SceneCommands::SaveToPaste() {
  kalvetro::SaveToPaste(console_.Show());
  console_.OutStatus(QStringLiteral(" Записать в буфер "));
}

void SceneCommands::LoadFromPaste() {
  console_.ToMemoryUndo();
  kalvetro::LoadFromPaste(console_.Show());
}

void SceneCommands::PasteFromBufferItemClick() {
  if (!BeginEdit()) return;
  LoadFromPaste();
  console_.ReturnPageControlAll();
}

void SceneCommands::SpeedButtonNewScenaPasteClick() {
  if (!BeginEdit()) return;
  InsertNewScena();
  // The paste takes its own undo copy: a restore brings back the inserted scene.
  LoadFromPaste();
  console_.ReturnPageControlAll();
}

void SceneCommands::AvtoDobScenaItemClick() {
  console_.OutStatus(QStringLiteral(" Автодобавление сцен "));
}

}  // namespace kalvetro
