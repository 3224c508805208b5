// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/MainWindow.h"
#include "app/PictureEditorSession.h"
#include "app/ShowFiles.h"
#include "app/ShowHistory.h"
#include "app/ShowUndo.h"
#include "output/DmxLink.h"
#include "windows/HistoryWatch.h"
#include "windows/KeyboardFilter.h"

#include <sys/statvfs.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "editing/ChannelNames.h"
#include "output/ui/DmxLinkPanel.h"
#include "output/ui/OlaPanel.h"
#include "player/StartUp.h"
#include "remote/ui/MidiPanel.h"
#include "remote/ui/OscGroup.h"
#include "remote/ui/WebPanel.h"
#include "ui/Controls.h"
#include "ui/PageControl.h"
#include "ui/SpeedButtons.h"
#include "windows/DisplayRest.h"
#include "windows/PictureEditorWindow.h"

namespace kalvetro {

namespace {

const QString kShowFilter = QStringLiteral("Файлы DMX Kalvetro  (*.klv)");
const QString kNoFileName = QStringLiteral(" Нет имени файла ");

}  // namespace

MainWindow::MainWindow(const StartOptions& options, DialogService* dialogs, QWidget* parent)
    : QMainWindow(parent),
      console_(options),
      door_(console_),
      remotes_(std::make_unique<Remotes>(door_)) {
  setObjectName(QStringLiteral("BaseForm"));
  if (dialogs) {
    dialogs_ = dialogs;
  } else {
    ownDialogs_ = std::make_unique<WidgetDialogService>(this);
    dialogs_ = ownDialogs_.get();
  }

  statusTimer = new QTimer(this);
  statusTimer->setObjectName(QStringLiteral("TimerStatus"));
  statusTimer->setInterval(2000);
  connect(statusTimer, &QTimer::timeout, this, &MainWindow::HideStatusLine);
  autosaveTimer = new QTimer(this);
  autosaveTimer->setObjectName(QStringLiteral("TimerAvtoSave"));
  autosaveTimer->setInterval(180000);
  connect(autosaveTimer, &QTimer::timeout, this, &MainWindow::AutosaveShow);
  displayTimer = new QTimer(this);
  displayTimer->setObjectName(QStringLiteral("TimerDataDmxToDsp"));
  displayTimer->setInterval(100);

  // The window's share of the console's news; connected before any page, so the caption and
  // the window's own state come first in every refresh.
  connect(&console_, &Console::ShowSettingsRefresh, this, &MainWindow::RefreshCaption);
  connect(&console_, &Console::StatusMessage, this, &MainWindow::ShowStatus);
  connect(&console_.Undo(), &ShowUndo::AvailableChanged, this, &MainWindow::SetUndoButtonsEnabled);
  connect(&console_, &Console::ShowReplaced, this, [this](ShowReplacement how) {
    if (how != ShowReplacement::Emptied) return;
    SetCaptionFileName(kNoFileName);
    inputPages->setCurrentIndex(0);
    settingsPages->setCurrentIndex(2);
    tempoPages->setCurrentIndex(0);
  });
  connect(&console_.Files(), &ShowFiles::FileNameChanged, this, &MainWindow::SetCaptionFileName);

  BuildMenus();
  BuildToolBar();
  BuildStatusLine();
  BuildPages();
  // The options page holds more groups than a laptop screen shows at once: they stand in
  // three columns on a scrolled panel, each column as wide as its widest group needs.
  QWidget* optionsPanel = Tab("TabSheet1")->findChild<QWidget*>(QStringLiteral("PanelOptions"));
  auto* optionsLayout = static_cast<QHBoxLayout*>(optionsPanel->layout());
  auto column = [optionsPanel](const char* name) {
    auto* panel = new QWidget(optionsPanel);
    panel->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    return panel;
  };
  auto narrow = [](QWidget* group) {
    group->setMinimumWidth(0);  // as wide as its own contents need, no wider than 340
    group->setMaximumWidth(340);
    group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  };
  // The outputs: the DMX interface on its serial port, and the network under it.
  QWidget* outputs = column("PanelOutputs");
  dmxLink_ = new DmxLinkPanel(console_, *this, outputs);
  auto* ola = new OlaPanel(console_, outputs);
  auto* outputsLayout = static_cast<QVBoxLayout*>(outputs->layout());
  for (QWidget* group : {static_cast<QWidget*>(dmxLink_), static_cast<QWidget*>(ola)}) {
    narrow(group);
    outputsLayout->addWidget(group);
  }
  outputsLayout->addStretch();
  optionsLayout->insertWidget(0, outputs, 0, Qt::AlignTop);
  // The remotes stand under the drive figures, one above the other.
  auto* remotes =
      static_cast<QVBoxLayout*>(optionsPanel->findChild<QWidget*>("PanelDisk")->layout());
  auto* web = new WebPanel(*remotes_, optionsPanel);
  auto* osc = new OscGroup(*remotes_, optionsPanel);
  narrow(web);
  narrow(osc);
  remotes->insertWidget(remotes->count() - 1, osc);
  remotes->insertWidget(remotes->count() - 1, web);
  // The MIDI desk's group, with its list of mappings; the window colour comes under it.
  QWidget* midiColumn = column("PanelMidi");
  auto* midi = new MidiPanel(*remotes_, midiColumn);
  narrow(midi);
  midiColumn->layout()->addWidget(midi);
  static_cast<QVBoxLayout*>(midiColumn->layout())->addStretch();
  optionsLayout->addWidget(midiColumn, 0, Qt::AlignTop);
  optionsLayout->addStretch();
  BuildOutputPages();
  BuildPlaybackPages();
  BuildEditingPages();
  BuildKeyboardParts();
  BuildEffectsPages();
  BuildAutomatPages();
  BuildConveyorParts();

  // The options page scrolls up and down only: its scroll box is as wide as the columns.
  auto* optionsScroll = findChild<QScrollArea*>(QStringLiteral("ScrollBoxOptions"));
  optionsScroll->setMinimumWidth(optionsScroll->widget()->minimumSizeHint().width() +
                                 optionsScroll->verticalScrollBar()->sizeHint().width());

  FormCreate(options);
}

MainWindow::~MainWindow() {
  // The tick reads the show and the controls: stop it before the pages go.
  console_.StopOutput();
}

// ---------------------------------------------------------------- building the window

void MainWindow::BuildMenus() {
  auto addAction = [this](QMenu* menu, const char* name, const QString& text,
                          const QKeySequence& key, void (MainWindow::*slot)()) {
    auto* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
    return action;
  };
  showMenu = menuBar()->addMenu(QStringLiteral("Шоу"));
  showMenu->setObjectName(QStringLiteral("ShowMenu"));
  addAction(showMenu, "NewItem", QStringLiteral("Создать новое Шоу"), QKeySequence("Ctrl+N"),
            &MainWindow::NewShow);
  addAction(showMenu, "OpenItem", QStringLiteral("Открыть Шоу"), QKeySequence("Ctrl+O"),
            &MainWindow::ChooseAndOpenShow);
  addAction(showMenu, "SaveItem", QStringLiteral("Сохранить Шоу"), QKeySequence("Ctrl+S"),
            &MainWindow::SaveShow);
  addAction(showMenu, "SaveAsItem", QStringLiteral("Сохранить Шоу как ..."), QKeySequence("Ctrl+W"),
            &MainWindow::ChooseAndSaveShowAs);
  showMenu->addSeparator();
  addAction(showMenu, "CloseItem", QStringLiteral("Закрыть"), QKeySequence(),
            &MainWindow::CloseWindow);
  addAction(showMenu, "ExitItem", QStringLiteral("Выход"), QKeySequence("Ctrl+Q"),
            &MainWindow::ExitProgram);

  scenesMenu = menuBar()->addMenu(QStringLiteral("Сцены"));
  scenesMenu->setObjectName(QStringLiteral("EditItem"));
  // The undo history: each entry says what it would take back or make again.
  undoItem_ = addAction(scenesMenu, "UndoItem", QStringLiteral("Отменить"), QKeySequence("Ctrl+Z"),
                        &MainWindow::UndoStep);
  redoItem_ = addAction(scenesMenu, "RedoItem", QStringLiteral("Повторить"), QKeySequence(),
                        &MainWindow::RedoStep);
  redoItem_->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
  connect(&console_.History(), &ShowHistory::Changed, this, &MainWindow::NameHistorySteps);
  NameHistorySteps();
  settingsMenu = menuBar()->addMenu(QStringLiteral("Установки"));
  settingsMenu->setObjectName(QStringLiteral("SettingsMenu"));
  optionsMenu = menuBar()->addMenu(QStringLiteral("Опции"));
  optionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
  helpMenu = menuBar()->addMenu(QStringLiteral("Помощь"));
  helpMenu->setObjectName(QStringLiteral("HelpMenu"));
}

void MainWindow::AddToolBarSeparator() {
  toolBar->addSeparator();
}

QToolButton* MainWindow::AddToolButton(const QString& name, const QString& themeIcon,
                                       int fallbackIcon, const QString& hint,
                                       std::function<void()> action) {
  auto* button = new QToolButton(toolBar);
  button->setObjectName(name);
  button->setIcon(ThemeIcon(this, themeIcon, static_cast<QStyle::StandardPixmap>(fallbackIcon)));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  connect(button, &QToolButton::clicked, this, std::move(action));
  toolBar->addWidget(button);
  return button;
}

void MainWindow::BuildToolBar() {
  toolBar = addToolBar(QStringLiteral("ToolBar"));
  toolBar->setObjectName(QStringLiteral("ToolBar"));
  toolBar->setMovable(false);
  toolBar->setIconSize(QSize(24, 24));
  AddToolButton(QStringLiteral("SpeedButtonNEW"), QStringLiteral("document-new"),
                QStyle::SP_FileIcon, QStringLiteral("Новое Шоу"), [this] { NewShow(); });
  AddToolButton(QStringLiteral("SpeedButtonOPEN"), QStringLiteral("document-open"),
                QStyle::SP_DialogOpenButton, QStringLiteral("Открыть Шоу"),
                [this] { ChooseAndOpenShow(); });
  AddToolButton(QStringLiteral("SpeedButtonSAVE"), QStringLiteral("document-save"),
                QStyle::SP_DialogSaveButton, QStringLiteral("Сохранить существующее Шоу "),
                [this] { SaveShow(); });
  AddToolButton(QStringLiteral("SpeedButtonSAVEAS"), QStringLiteral("document-save-as"),
                QStyle::SP_DriveFDIcon, QStringLiteral("Записать Шоу под новым Именем "),
                [this] { ChooseAndSaveShowAs(); });
  toolBar->addSeparator();
}

void MainWindow::BuildStatusLine() {
  statusLabel = PlainLabel(QString(), this);
  statusLabel->setObjectName(QStringLiteral("LabelStatus"));
  statusLabel->setVisible(false);
  diskFreeLabel = PlainLabel(QString(), this);
  diskFreeLabel->setObjectName(QStringLiteral("LabelDiskFree"));
  diskSizeLabel = PlainLabel(QString(), this);
  diskSizeLabel->setObjectName(QStringLiteral("LabelDiskSize"));
  for (QLabel* label : {diskFreeLabel, diskSizeLabel})
    label->setStyleSheet(QStringLiteral("color: rgb(0,128,0);"));
  statusBar()->addWidget(statusLabel, 1);
}

QWidget* MainWindow::AddTab(QTabWidget* pages, const QString& name, const QString& caption) {
  auto* tab = new QWidget(pages);
  tab->setObjectName(name);
  pages->addTab(tab, caption);
  return tab;
}

void MainWindow::BuildPages() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("CentralPanel"));
  auto* columns = new QHBoxLayout(central);
  columns->setContentsMargins(4, 4, 4, 4);

  auto* left = new QVBoxLayout;
  tempoPages = new PageControl(central);
  tempoPages->setObjectName(QStringLiteral("PageControlTemp"));
  AddTab(tempoPages, QStringLiteral("TabSheetAvtomat"), QStringLiteral("Секвенсер"));
  AddTab(tempoPages, QStringLiteral("TabSheetZvuk"), QStringLiteral("ЗВУК"));
  settingsPages = new PageControl(central);
  settingsPages->setObjectName(QStringLiteral("PageControlUst"));
  AddTab(settingsPages, QStringLiteral("TabSheetRate"), QStringLiteral("Плавность"));
  AddTab(settingsPages, QStringLiteral("TabSheetLevel"), QStringLiteral("Уровни"));
  AddTab(settingsPages, QStringLiteral("TabSheetSttica"), QStringLiteral("Стат. картины"));
  left->addWidget(tempoPages, 3);
  left->addWidget(settingsPages, 2);
  auto* leftPanel = new QWidget(central);
  leftPanel->setObjectName(QStringLiteral("LeftPanel"));
  leftPanel->setLayout(left);
  left->setContentsMargins(0, 0, 0, 0);
  leftPanel->setFixedWidth(340);
  columns->addWidget(leftPanel);

  inputPages = new PageControl(central);
  inputPages->setObjectName(QStringLiteral("PageControlInput"));
  // Key preview for the whole main window; it lives as long as the console it drives. Made
  // before the pages, which listen to its wheel and keys.
  keyboard_ = new KeyboardFilter(console_, this, inputPages, &console_);
  qApp->installEventFilter(keyboard_);
  // The step boundaries of the undo history: the mouse and the keys of every window.
  qApp->installEventFilter(new HistoryWatch(console_.History(), &console_));
  AddTab(inputPages, QStringLiteral("TabSheetScroll"), QStringLiteral("Фэйдера"));
  AddTab(inputPages, QStringLiteral("TabSheetDamp"), QStringLiteral("Дамп"));
  AddTab(inputPages, QStringLiteral("TabSheetGrafik"), QStringLiteral("График Канала"));
  AddTab(inputPages, QStringLiteral("TabSheetEditXY"), QStringLiteral("Редактор луча"));
  AddTab(inputPages, QStringLiteral("TabSheetCopy"), QStringLiteral("Копирование"));
  AddTab(inputPages, QStringLiteral("TabSheetAvtomaty"), QStringLiteral("Автоматы"));
  QWidget* optionsTab = AddTab(inputPages, QStringLiteral("TabSheet1"), QStringLiteral("Опции"));
  auto* optionsTabLayout = new QVBoxLayout(optionsTab);
  optionsTabLayout->setContentsMargins(0, 0, 0, 0);
  auto* optionsScroll = new QScrollArea(optionsTab);
  optionsScroll->setObjectName(QStringLiteral("ScrollBoxOptions"));
  optionsScroll->setFrameShape(QFrame::NoFrame);
  optionsScroll->setWidgetResizable(true);
  auto* options = new QWidget(optionsScroll);
  options->setObjectName(QStringLiteral("PanelOptions"));
  auto* optionsLayout = new QHBoxLayout(options);
  optionsLayout->setContentsMargins(4, 4, 4, 4);
  optionsLayout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  optionsScroll->setWidget(options);
  optionsTabLayout->addWidget(optionsScroll);
  // The drive figures of the current folder stand on the options page.
  auto* disk = new QWidget(options);
  disk->setObjectName(QStringLiteral("PanelDisk"));
  auto* diskLayout = new QVBoxLayout(disk);
  diskLayout->addWidget(diskFreeLabel);
  diskLayout->addWidget(diskSizeLabel);
  diskLayout->addStretch();
  optionsLayout->addWidget(disk);
  QWidget* devices =
      AddTab(inputPages, QStringLiteral("TabSheetPribory"), QStringLiteral("Приборы"));
  columns->addWidget(inputPages, 1);
  setCentralWidget(central);
  connect(inputPages, &QTabWidget::currentChanged, this, [this] { RefreshAll(); });

  // "Приборы": device buttons and faders for the operator's own use; no operation is bound.
  auto* deviceGrid = new QGridLayout(devices);
  for (int d = 0; d < 8; ++d) {
    auto* button = new QPushButton(QString::number(d + 1), devices);
    button->setObjectName(QStringLiteral("ButtonPribor%1").arg(d + 1));
    button->setCheckable(true);
    auto* fader = new QSlider(Qt::Vertical, devices);
    fader->setObjectName(QStringLiteral("ScrollBarPribor%1").arg(d + 1));
    fader->setRange(0, 255);
    deviceGrid->addWidget(fader, 0, d, Qt::AlignHCenter);
    deviceGrid->addWidget(button, 1, d);
  }
  deviceGrid->setRowStretch(0, 1);

  // The undo pairs of the pages whose other controls come later.
  const char* undoPages[] = {"TabSheetDamp", "TabSheetGrafik", "TabSheetEditXY", "TabSheetCopy"};
  for (int i = 0; i < 4; ++i) {
    auto* tab = Tab(undoPages[i]);
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);  // each page keeps its own margins
    layout->addWidget(CreateUndoPair(i + 2, tab), 0, Qt::AlignRight | Qt::AlignTop);
    layout->addStretch();
  }
}

QWidget* MainWindow::CreateUndoPair(int k, QWidget* parent) {
  auto* pair = new QWidget(parent);
  pair->setObjectName(QStringLiteral("UndoPair%1").arg(k));
  auto* layout = new QVBoxLayout(pair);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  // The pair on the beam editor page carries no hints.
  const QString memText = QStringLiteral("Запомнить Сцену");
  const QString undoText = QStringLiteral("Вернуть прежнюю сцену");
  auto* mem = MakeSpeedButton(pair, QStringLiteral("SpeedButtonMem%1").arg(k), memText,
                              k != 4 ? memText : QString());
  auto* undo = MakeSpeedButton(pair, QStringLiteral("SpeedButtonUndo%1").arg(k), undoText,
                               k != 4 ? undoText : QString());
  undo->setEnabled(console_.Undo().Available());
  layout->addWidget(mem);
  layout->addWidget(undo);
  connect(mem, &QToolButton::clicked, this, [this] { console_.Undo().Take(); });
  connect(undo, &QToolButton::clicked, this, [this] { RestoreUndo(); });
  undoButtons_[k - 1] = undo;
  return pair;
}

QMenu* MainWindow::Menu(MenuId id) {
  switch (id) {
    case MenuId::Show:
      return showMenu;
    case MenuId::Scenes:
      return scenesMenu;
    case MenuId::Settings:
      return settingsMenu;
    case MenuId::Options:
      return optionsMenu;
    case MenuId::Help:
      return helpMenu;
  }
  return nullptr;
}

QWidget* MainWindow::Tab(const char* objectName) {
  return findChild<QWidget*>(QString::fromLatin1(objectName));
}

// ---------------------------------------------------------------- start-up and shutdown

void MainWindow::FormCreate(const StartOptions& options) {
  QGuiApplication::clipboard()->setText(QStringLiteral("1111111"));
  setWindowState(windowState() | Qt::WindowMaximized);
  FillDiskLabels();
  // The window starts on whatever fails: a show that cannot be read is said in a message box.
  StartConsole(
      console_, *remotes_, options, [this](const Result& failed) { ShowFileError(failed.error); },
      [this](const QString& question) { return dialogs_->Ask(question); });
  dmxLink_->ShowOpenedAtStart();
  RefreshAll();
  ShowStatus(QStringLiteral(" Инициализация "));
  autosaveTimer->start();
  new DisplayRest(displayTimer, console_, this);
  displayTimer->start();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing is never refused.
  if (!closed_) FormClose();
  event->accept();
}

void MainWindow::FormClose() {
  closed_ = true;
  console_.Link().CloseAtShutdown();
  console_.StopOutput();
  // An open picture editor closes first, as its own close would: the show gets its scene 0,
  // rates, step and selection back before it is saved and remembered.
  if (console_.PictureEditor().IsOpen()) {
    pictureEditor_->FormClose();
    pictureEditor_->hide();
  }
  // The recovery file goes unless the show could not be saved (a save declined is the
  // operator's choice).
  if (SaveFileAs()) console_.Files().RemoveRecovery();
  const Result result = console_.Files().WriteIniFile();
  if (!result.ok) ShowFileError(result.error);
}

void MainWindow::FillDiskLabels() {
  unsigned long long freeMb = 0;
  unsigned long long sizeMb = 0;
  struct statvfs fs {};
  if (::statvfs(".", &fs) == 0) {
    freeMb = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize / 1000000ULL;
    sizeMb = static_cast<unsigned long long>(fs.f_blocks) * fs.f_frsize / 1000000ULL;
  }
  diskFreeLabel->setText(QStringLiteral("Свободно на диске%1 Mb").arg(freeMb));
  diskSizeLabel->setText(QStringLiteral("Размер диска  %1 Mb").arg(sizeMb));
}

// ---------------------------------------------------------------- status line and refresh

void MainWindow::ShowStatus(const QString& text) {
  // A second message does not restart the count: it may vanish sooner than 2 s.
  if (!statusTimer->isActive()) statusTimer->start();
  statusLabel->setVisible(true);
  statusLabel->setText(text);
}

void MainWindow::HideStatusLine() {
  statusLabel->setVisible(false);
  statusTimer->stop();
}

void MainWindow::SetCaptionFileName(const QString& fileName) {
  // A show recovered after a crash holds changes that are in no file until it is saved.
  const QString unsaved = console_.Files().Recovered() ? QStringLiteral(" *") : QString();
  setWindowTitle(TitlePrefixText(TitlePrefix()) + fileName + unsaved);
}

void MainWindow::RefreshCaption() {
  // The caption; the sequencer controls follow through their own connection.
  if (!SaveDialogFileName().isEmpty()) {
    SetCaptionFileName(SaveDialogFileName());
  } else if (!OpenDialogFileName().isEmpty()) {
    SetCaptionFileName(OpenDialogFileName());
  }
}

// ---------------------------------------------------------------- show memory

void MainWindow::SetUndoButtonsEnabled(bool enabled) {
  for (auto* b : undoButtons_)
    if (b) b->setEnabled(enabled);
}

void MainWindow::UndoStep() {
  console_.UndoStep();
}

void MainWindow::RedoStep() {
  console_.RedoStep();
}

void MainWindow::NameHistorySteps() {
  const ShowHistory& history = console_.History();
  auto name = [](const QString& entry, const QString& step) {
    return step.isEmpty() ? entry : entry + QStringLiteral(": ") + step;
  };
  undoItem_->setText(name(QStringLiteral("Отменить"), history.UndoName()));
  undoItem_->setEnabled(history.CanUndo());
  redoItem_->setText(name(QStringLiteral("Повторить"), history.RedoName()));
  redoItem_->setEnabled(history.CanRedo());
}

void MainWindow::ClearAll() {
  // The show data; the window (caption, pages) and every page follow the console's news.
  console_.ClearAll();
}

void MainWindow::NewShow() {
  if (!dialogs_->Ask(QStringLiteral("Создать новое ШОУ?"))) return;
  SaveFileAs();
  ClearAll();
}

// ---------------------------------------------------------------- show files

void MainWindow::ShowFileError(const std::string& message) {
  dialogs_->Error(QString::fromStdString(message));
}

bool MainWindow::OpenChosenShowFile() {
  const Result result = console_.Files().OpenShow(console_.Files().OpenDialogFileName());
  if (!result.ok) {
    ShowFileError(result.error);
    return false;
  }
  return true;
}

void MainWindow::ChooseAndOpenShow() {
  const auto chosen = dialogs_->OpenFile(console_.Files().OpenDialogFileName(), kShowFilter);
  if (!chosen) return;
  console_.Files().SetOpenDialogFileName(*chosen);
  OpenChosenShowFile();
}

bool MainWindow::SaveFileAs() {
  const auto chosen = dialogs_->SaveFile(console_.Files().SaveDialogFileName(), kShowFilter);
  if (!chosen) return true;
  const Result result = console_.Files().SaveShowAs(*chosen);
  if (!result.ok) ShowFileError(result.error);
  return result.ok;
}

void MainWindow::SaveFile() {
  if (!console_.Show().showNamed) {
    SaveFileAs();
    return;
  }
  const Result result = console_.Files().SaveShow();
  if (!result.ok) {
    ShowFileError(result.error);
    return;
  }
  SetCaptionFileName(console_.Files().SaveDialogFileName());
}

void MainWindow::ChooseAndSaveShowAs() {
  SaveFileAs();
}

void MainWindow::AutosaveShow() {
  if (!statusTimer->isActive()) statusTimer->start();
  statusLabel->setVisible(true);
  if (!console_.Files().SaveDialogFileName().isEmpty())
    statusLabel->setText(QStringLiteral("Автосохранение файла ") +
                         QFileInfo(console_.Files().SaveDialogFileName()).fileName());
  const Result result = console_.Files().Autosave();
  if (!result.ok) ShowFileError(result.error);
}

}  // namespace kalvetro
