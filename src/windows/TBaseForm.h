#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/OutputEngine.h"
#include "output/OutputFrames.h"
#include "output/OutputTicker.h"
#include "show/Settings.h"
#include "show/ShowState.h"
#include "windows/ConsoleHost.h"
#include "windows/DialogService.h"

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

// Where start-up finds its port, files and dialogs. Empty paths mean the user's folders.
struct StartOptions {
  QString port = QStringLiteral("COM1");
  QString showFile;      // opened after the last show of the settings file
  QString settingsFile;  // default: "Kalvo.ini" in the user's config folder
  QString autosaveFile;  // default: "ShouTemp.klv" in the user's data folder
  DialogService* dialogs = nullptr;  // default: real message boxes and file dialogs
  bool startOutputTick = true;
};

// The main window: owns the show, the output frames, the output tick, the port and every
// timer, and assembles the pages.
class TBaseForm : public QMainWindow, public ConsoleHost {
  Q_OBJECT

 public:
  explicit TBaseForm(const StartOptions& options = {}, QWidget* parent = nullptr);
  ~TBaseForm() override;

  // ConsoleHost
  ShowState& Show() override { return show_; }
  OutputFrames& Frames() override { return frames_; }
  DialogService& Dialogs() override { return *dialogs_; }
  void ReturnPageControlAll() override;
  void OutStatus(const QString& text) override;
  void ToMemoryUndo() override;
  QWidget* CreateUndoPair(int k, QWidget* parent) override;
  void SetTitlePrefix(TitlePrefixId id) override { titlePrefix_.store(id); }
  TitlePrefixId TitlePrefix() const override { return titlePrefix_.load(); }
  void SetInputPageRefresh(int tab, std::function<void()> refresh) override;
  void AddDataSystemRefresh(std::function<void()> refresh) override;
  void AddClearAllStep(std::function<void()> step) override;
  QMenu* MainMenu(int index) override;
  QToolBar* MainToolBar() override { return ToolBar; }
  QToolButton* AddToolButton(const QString& name, const QString& themeIcon, int fallback,
                             const QString& hint, std::function<void()> action) override;
  QWidget* Tab(const QString& objectName) override;
  QTimer* TimerDataDmxToDsp() override { return TimerDataDmxToDsp_; }

  // Show memory and files.
  void ClearAll();
  void NewItemClick();
  void OpenItemClick();
  void SaveItemClick() { SaveFile(); }
  void SaveAsItemClick();
  bool BlocOpenFile();
  void SaveFile();
  void SaveFileAs();
  void TimerAvtoSaveTimer();
  void SpeedButtonUndo1Click();

  // Settings file.
  void ReadIniFile();
  void WriteIniFile();

  // Refresh and status.
  void ReturnDataSystem();
  void TimerStatusTimer();
  void CloseItemClick() { close(); }
  void ExitItemClick() { close(); }

  const QString& OpenDialogFileName() const { return openDialogFileName_; }
  const QString& SaveDialogFileName() const { return saveDialogFileName_; }
  const std::array<std::string, kConveyorFiles>& ConveyorFiles() const { return conveyorFiles_; }
  const QString& SettingsPath() const { return settingsPath_; }
  const QString& AutosavePath() const { return autosavePath_; }
  OutputTicker& Ticker() { return ticker_; }
  OutputEngine& Engine() { return engine_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate(const StartOptions& options);
  void FormClose();
  void BuildMenus();
  void BuildToolBar();
  void BuildPages();
  void BuildStatusLine();
  // The pages of each subsystem, each in its own file (TBaseFormOutput.cpp, ...).
  void BuildOutputPages();
  void BuildPlaybackPages();
  void FillDiskLabels();
  void SetUndoButtonsEnabled(bool enabled);
  void SetCaptionFileName(const QString& fileName);
  void ShowFileError(const std::string& message);
  QWidget* AddTab(QTabWidget* pages, const QString& name, const QString& caption);

  // State.
  ShowState show_;
  OutputFrames frames_;
  OutputEngine engine_{show_, frames_};
  OutputTicker ticker_;
  std::unique_ptr<DialogService> ownDialogs_;
  DialogService* dialogs_ = nullptr;
  std::atomic<TitlePrefixId> titlePrefix_{TitlePrefixId::Initialization};
  QString openDialogFileName_;
  QString saveDialogFileName_ = QStringLiteral("Unit_001");
  bool saveNameFromFile_ = false;  // the save dialog's name came from an open or a save
  std::array<std::string, kConveyorFiles> conveyorFiles_;
  QString lastPathRead_;
  QString settingsPath_;
  QString autosavePath_;
  bool closed_ = false;

  // Refresh hooks of the pages.
  std::vector<std::function<void()>> inputPageRefresh_;
  std::vector<std::function<void()>> dataSystemRefresh_;
  std::vector<std::function<void()>> clearAllSteps_;

  // Controls.
  QMenu* ShowMenu = nullptr;
  QMenu* EditItem = nullptr;
  QMenu* SettingsMenu = nullptr;
  QMenu* OptionsMenu = nullptr;
  QMenu* HelpMenu = nullptr;
  QToolBar* ToolBar = nullptr;
  QTabWidget* PageControlTemp = nullptr;
  QTabWidget* PageControlUst = nullptr;
  QTabWidget* PageControlInput = nullptr;
  QGroupBox* GroupBoxKonveir = nullptr;
  QLabel* LabelStatus = nullptr;
  QLabel* LabelDiskFree = nullptr;
  QLabel* LabelDiskSize = nullptr;
  QTimer* TimerStatus = nullptr;
  QTimer* TimerAvtoSave = nullptr;
  QTimer* TimerDataDmxToDsp_ = nullptr;
  std::array<QToolButton*, 5> undoButtons_{};
  DmxLinkPanel* dmxLink_ = nullptr;
};

}  // namespace kalvetro
