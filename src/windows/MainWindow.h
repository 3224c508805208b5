// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowFiles.h"
#include "app/ShowUndo.h"
#include "output/DmxLink.h"
#include "remote/Remotes.h"
#include "ui/DialogService.h"
#include "ui/WindowParts.h"

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QGroupBox;

namespace kalvetro {

class DmxLinkPanel;
class PictureEditorWindow;
class KeyboardFilter;

// The main window: a view over the console. It holds the menus, the toolbar, the status
// line, the page controls and the window timers, assembles the pages of every subsystem and
// runs start-up and shutdown; the show, the output and the link belong to the console.
class MainWindow : public QMainWindow, public WindowParts {
  Q_OBJECT

 public:
  // Starts the console as the options say. `dialogs`: the message boxes and file dialogs
  // (default: real ones).
  explicit MainWindow(const StartOptions& options = {}, DialogService* dialogs = nullptr,
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  Console& GetConsole() { return console_; }
  // The remotes (OSC, the phone page, a MIDI desk) of this window's console.
  Remotes& Remote() { return *remotes_; }
  ShowState& Show() { return console_.Show(); }
  OutputFrames& Frames() { return console_.Frames(); }
  OutputEngine& Engine() { return console_.Engine(); }
  OutputTicker& Ticker() { return console_.Ticker(); }
  TitlePrefixId TitlePrefix() const { return console_.TitlePrefix(); }

  // WindowParts
  QMenu* Menu(MenuId id) override;
  QToolButton* AddToolButton(const QString& name, const QString& themeIcon, int fallback,
                             const QString& hint, std::function<void()> action) override;
  void AddToolBarSeparator() override;
  QWidget* CreateUndoPair(int k, QWidget* parent) override;
  DialogService& Dialogs() override { return *dialogs_; }
  QTimer* DisplayTimer() override { return displayTimer; }
  void OnWheel(QObject* receiver, std::function<void(int)> handler) override;
  void OnKeyCode(QObject* receiver, std::function<void(int)> handler) override;

  // Refresh and status.
  void RefreshAll() { console_.RefreshAll(); }
  void RefreshCaption();
  void ShowStatus(const QString& text);
  void HideStatusLine();
  void TakeUndoCopy() { console_.Undo().Take(); }

  // Show memory and files.
  void ClearAll();
  void NewShow();
  void ChooseAndOpenShow();
  void SaveShow() { SaveFile(); }
  void ChooseAndSaveShowAs();
  bool OpenChosenShowFile();
  void SaveFile();
  // Asks for a name and saves; false when the save failed (true also when declined).
  bool SaveFileAs();
  void AutosaveShow();
  void RestoreUndo() { console_.Undo().Restore(); }
  // The undo history ("Отменить", "Повторить" of "Сцены").
  void UndoStep();
  void RedoStep();
  void CloseWindow() { close(); }
  void ExitProgram() { close(); }

  const QString& OpenDialogFileName() const { return console_.Files().OpenDialogFileName(); }
  const QString& SaveDialogFileName() const { return console_.Files().SaveDialogFileName(); }
  const std::array<std::string, kConveyorFiles>& ConveyorFiles() const {
    return console_.Files().ConveyorFiles();
  }
  const QString& SettingsPath() const { return console_.Files().SettingsPath(); }
  const QString& AutosavePath() const { return console_.Files().AutosavePath(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate(const StartOptions& options);
  void FormClose();
  void BuildMenus();
  void BuildToolBar();
  void BuildPages();
  void BuildStatusLine();
  // The pages of each subsystem, each in its own file (MainWindowOutput.cpp, ...).
  void BuildOutputPages();
  void BuildPlaybackPages();
  void BuildEditingPages();  // "Дамп", "График Канала", "Копирование" (MainWindowEditing.cpp)
  void
  BuildKeyboardParts();  // static pictures window, keyboard, channel names (MainWindowKeys.cpp)
  void BuildEffectsPages();  // "Редактор луча" and the hand scan window (MainWindowEffects.cpp)
  void BuildAutomatPages();   // "Автоматы" and "ЗВУК" (MainWindowAutomats.cpp)
  void BuildConveyorParts();  // conveyor, window colour, help and about (MainWindowConveyor.cpp)
  void FillDiskLabels();
  void SetUndoButtonsEnabled(bool enabled);
  // The history's entries say what they would take back or make again.
  void NameHistorySteps();
  void SetCaptionFileName(const QString& fileName);
  void ShowFileError(const std::string& message);
  QWidget* AddTab(QTabWidget* pages, const QString& name, const QString& caption);
  QWidget* Tab(const char* objectName);

  Console console_;
  RemoteControl door_;  // the remotes' door into the console
  // Made right after the console, before the settings are read; gone before the console.
  std::unique_ptr<Remotes> remotes_;
  std::unique_ptr<DialogService> ownDialogs_;
  DialogService* dialogs_ = nullptr;
  bool closed_ = false;

  // Controls.
  QMenu* showMenu = nullptr;
  QMenu* scenesMenu = nullptr;
  QAction* undoItem_ = nullptr;
  QAction* redoItem_ = nullptr;
  QMenu* settingsMenu = nullptr;
  QMenu* optionsMenu = nullptr;
  QMenu* helpMenu = nullptr;
  QToolBar* toolBar = nullptr;
  QTabWidget* tempoPages = nullptr;
  QTabWidget* settingsPages = nullptr;
  QTabWidget* inputPages = nullptr;
  KeyboardFilter* keyboard_ = nullptr;  // the keys and the wheel of the whole window
  QGroupBox* conveyorGroup = nullptr;
  QLabel* statusLabel = nullptr;
  QLabel* diskFreeLabel = nullptr;
  QLabel* diskSizeLabel = nullptr;
  QTimer* statusTimer = nullptr;
  QTimer* autosaveTimer = nullptr;
  QTimer* displayTimer = nullptr;
  std::array<QToolButton*, 5> undoButtons_{};
  DmxLinkPanel* dmxLink_ = nullptr;
  PictureEditorWindow* pictureEditor_ = nullptr;
};

}  // namespace kalvetro
