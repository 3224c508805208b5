#include "windows/TBaseForm.h"

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
#include "windows/DisplayRest.h"
#include "windows/PageControl.h"
#include "windows/SpeedButtons.h"
#include "windows/TStaticForm.h"

namespace kalvetro {

namespace {

const QString kShowFilter = QStringLiteral("Файлы DMX Kalvetro  (*.klv)");
const QString kNoFileName = QStringLiteral(" Нет имени файла ");

ConsoleOptions ConsoleOptionsOf(const StartOptions& options) {
  ConsoleOptions console;
  console.port = options.port;
  console.settingsFile = options.settingsFile;
  console.autosaveFile = options.autosaveFile;
  console.olaUniverse = options.olaUniverse;
  return console;
}

}  // namespace

bool IsShownPage(const QWidget* widget) {
  // A page is shown while the tab that holds it is its page control's current tab.
  for (const QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
    if (auto* pages = qobject_cast<const QTabWidget*>(w)) {
      const QWidget* current = pages->currentWidget();
      return current && (current == widget || current->isAncestorOf(widget));
    }
  }
  return true;
}

TBaseForm::TBaseForm(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), console_(ConsoleOptionsOf(options)) {
  setObjectName(QStringLiteral("BaseForm"));
  if (options.dialogs) {
    dialogs_ = options.dialogs;
  } else {
    ownDialogs_ = std::make_unique<WidgetDialogService>(this);
    dialogs_ = ownDialogs_.get();
  }

  TimerStatus = new QTimer(this);
  TimerStatus->setObjectName(QStringLiteral("TimerStatus"));
  TimerStatus->setInterval(2000);
  connect(TimerStatus, &QTimer::timeout, this, &TBaseForm::TimerStatusTimer);
  TimerAvtoSave = new QTimer(this);
  TimerAvtoSave->setObjectName(QStringLiteral("TimerAvtoSave"));
  TimerAvtoSave->setInterval(180000);
  connect(TimerAvtoSave, &QTimer::timeout, this, &TBaseForm::TimerAvtoSaveTimer);
  TimerDataDmxToDsp = new QTimer(this);
  TimerDataDmxToDsp->setObjectName(QStringLiteral("TimerDataDmxToDsp"));
  TimerDataDmxToDsp->setInterval(100);

  // The window's share of the console's news; connected before any page, so the caption and
  // the window's own state come first in every refresh.
  connect(&console_, &Console::DataSystemRefresh, this, &TBaseForm::ReturnDataSystem);
  connect(&console_, &Console::StatusMessage, this, &TBaseForm::OutStatus);
  connect(&console_, &Console::FileError, this,
          [this](const QString& text) { dialogs_->Error(text); });
  connect(&console_, &Console::UndoAvailableChanged, this, &TBaseForm::SetUndoButtonsEnabled);
  connect(&console_, &Console::ShowCleared, this, [this] {
    SetCaptionFileName(kNoFileName);
    PageControlInput->setCurrentIndex(0);
    PageControlUst->setCurrentIndex(2);
    PageControlTemp->setCurrentIndex(0);
  });
  connect(&console_, &Console::FileNameChanged, this, &TBaseForm::SetCaptionFileName);

  BuildMenus();
  BuildToolBar();
  BuildStatusLine();
  BuildPages();
  QWidget* optionsTab = Tab("TabSheet1");
  dmxLink_ = new DmxLinkPanel(console_, *this, optionsTab);
  auto* optionsLayout = static_cast<QHBoxLayout*>(optionsTab->layout());
  dmxLink_->setFixedWidth(340);
  dmxLink_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);
  // The outputs: the DMX interface on its serial port, and the network beside it.
  auto* outputs = new QWidget(optionsTab);
  outputs->setObjectName(QStringLiteral("PanelOutputs"));
  auto* outputsLayout = new QVBoxLayout(outputs);
  outputsLayout->setContentsMargins(0, 0, 0, 0);
  dmxLink_->setParent(outputs);
  outputsLayout->addWidget(dmxLink_);
  auto* ola = new OlaPanel(console_, outputs);
  ola->setFixedWidth(340);
  outputsLayout->addWidget(ola);
  outputsLayout->addStretch();
  optionsLayout->addWidget(outputs, 0, Qt::AlignTop);
  optionsLayout->addStretch();
  BuildOutputPages();
  BuildPlaybackPages();
  BuildEditingPages();
  BuildKeyboardParts();
  BuildEffectsPages();
  BuildAutomatPages();
  BuildConveyorParts();

  FormCreate(options);
}

TBaseForm::~TBaseForm() {
  // The tick reads the show and the controls: stop it before the pages go.
  console_.StopOutput();
}

// ---------------------------------------------------------------- building the window

void TBaseForm::BuildMenus() {
  auto addAction = [this](QMenu* menu, const char* name, const QString& text,
                          const QKeySequence& key, void (TBaseForm::*slot)()) {
    auto* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
    return action;
  };
  ShowMenu = menuBar()->addMenu(QStringLiteral("Шоу"));
  ShowMenu->setObjectName(QStringLiteral("ShowMenu"));
  addAction(ShowMenu, "NewItem", QStringLiteral("Создать новое Шоу"), QKeySequence("Ctrl+N"),
            &TBaseForm::NewItemClick);
  addAction(ShowMenu, "OpenItem", QStringLiteral("Открыть Шоу"), QKeySequence("Ctrl+O"),
            &TBaseForm::OpenItemClick);
  addAction(ShowMenu, "SaveItem", QStringLiteral("Сохранить Шоу"), QKeySequence("Ctrl+S"),
            &TBaseForm::SaveItemClick);
  addAction(ShowMenu, "SaveAsItem", QStringLiteral("Сохранить Шоу как ..."), QKeySequence("Ctrl+W"),
            &TBaseForm::SaveAsItemClick);
  ShowMenu->addSeparator();
  addAction(ShowMenu, "CloseItem", QStringLiteral("Закрыть"), QKeySequence(),
            &TBaseForm::CloseItemClick);
  addAction(ShowMenu, "ExitItem", QStringLiteral("Выход"), QKeySequence("Ctrl+Q"),
            &TBaseForm::ExitItemClick);

  EditItem = menuBar()->addMenu(QStringLiteral("Сцены"));
  EditItem->setObjectName(QStringLiteral("EditItem"));
  SettingsMenu = menuBar()->addMenu(QStringLiteral("Установки"));
  SettingsMenu->setObjectName(QStringLiteral("SettingsMenu"));
  OptionsMenu = menuBar()->addMenu(QStringLiteral("Опции"));
  OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
  HelpMenu = menuBar()->addMenu(QStringLiteral("Помощь"));
  HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
}

void TBaseForm::AddToolBarSeparator() {
  ToolBar->addSeparator();
}

QToolButton* TBaseForm::AddToolButton(const QString& name, const QString& themeIcon,
                                      int fallbackIcon, const QString& hint,
                                      std::function<void()> action) {
  auto* button = new QToolButton(ToolBar);
  button->setObjectName(name);
  button->setIcon(ThemeIcon(this, themeIcon, static_cast<QStyle::StandardPixmap>(fallbackIcon)));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  connect(button, &QToolButton::clicked, this, std::move(action));
  ToolBar->addWidget(button);
  return button;
}

void TBaseForm::BuildToolBar() {
  ToolBar = addToolBar(QStringLiteral("ToolBar"));
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setMovable(false);
  ToolBar->setIconSize(QSize(24, 24));
  AddToolButton(QStringLiteral("SpeedButtonNEW"), QStringLiteral("document-new"),
                QStyle::SP_FileIcon, QStringLiteral("Новое Шоу"), [this] { NewItemClick(); });
  AddToolButton(QStringLiteral("SpeedButtonOPEN"), QStringLiteral("document-open"),
                QStyle::SP_DialogOpenButton, QStringLiteral("Открыть Шоу"),
                [this] { OpenItemClick(); });
  AddToolButton(QStringLiteral("SpeedButtonSAVE"), QStringLiteral("document-save"),
                QStyle::SP_DialogSaveButton, QStringLiteral("Сохранить существующее Шоу "),
                [this] { SaveItemClick(); });
  AddToolButton(QStringLiteral("SpeedButtonSAVEAS"), QStringLiteral("document-save-as"),
                QStyle::SP_DriveFDIcon, QStringLiteral("Записать Шоу под новым Именем "),
                [this] { SaveAsItemClick(); });
  ToolBar->addSeparator();
}

void TBaseForm::BuildStatusLine() {
  LabelStatus = new QLabel(this);
  LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
  LabelStatus->setVisible(false);
  LabelDiskFree = new QLabel(this);
  LabelDiskFree->setObjectName(QStringLiteral("LabelDiskFree"));
  LabelDiskSize = new QLabel(this);
  LabelDiskSize->setObjectName(QStringLiteral("LabelDiskSize"));
  for (QLabel* label : {LabelDiskFree, LabelDiskSize})
    label->setStyleSheet(QStringLiteral("color: rgb(0,128,0);"));
  statusBar()->addWidget(LabelStatus, 1);
}

QWidget* TBaseForm::AddTab(QTabWidget* pages, const QString& name, const QString& caption) {
  auto* tab = new QWidget(pages);
  tab->setObjectName(name);
  pages->addTab(tab, caption);
  return tab;
}

void TBaseForm::BuildPages() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("CentralPanel"));
  auto* columns = new QHBoxLayout(central);
  columns->setContentsMargins(4, 4, 4, 4);

  auto* left = new QVBoxLayout;
  PageControlTemp = new PageControl(central);
  PageControlTemp->setObjectName(QStringLiteral("PageControlTemp"));
  AddTab(PageControlTemp, QStringLiteral("TabSheetAvtomat"), QStringLiteral("Секвенсер"));
  AddTab(PageControlTemp, QStringLiteral("TabSheetZvuk"), QStringLiteral("ЗВУК"));
  PageControlUst = new PageControl(central);
  PageControlUst->setObjectName(QStringLiteral("PageControlUst"));
  AddTab(PageControlUst, QStringLiteral("TabSheetRate"), QStringLiteral("Плавность"));
  AddTab(PageControlUst, QStringLiteral("TabSheetLevel"), QStringLiteral("Уровни"));
  AddTab(PageControlUst, QStringLiteral("TabSheetSttica"), QStringLiteral("Стат. картины"));
  left->addWidget(PageControlTemp, 3);
  left->addWidget(PageControlUst, 2);
  auto* leftPanel = new QWidget(central);
  leftPanel->setObjectName(QStringLiteral("LeftPanel"));
  leftPanel->setLayout(left);
  left->setContentsMargins(0, 0, 0, 0);
  leftPanel->setFixedWidth(340);
  columns->addWidget(leftPanel);

  PageControlInput = new PageControl(central);
  PageControlInput->setObjectName(QStringLiteral("PageControlInput"));
  AddTab(PageControlInput, QStringLiteral("TabSheetScroll"), QStringLiteral("Фэйдера"));
  AddTab(PageControlInput, QStringLiteral("TabSheetDamp"), QStringLiteral("Дамп"));
  AddTab(PageControlInput, QStringLiteral("TabSheetGrafik"), QStringLiteral("График Канала"));
  AddTab(PageControlInput, QStringLiteral("TabSheetEditXY"), QStringLiteral("Редактор луча"));
  AddTab(PageControlInput, QStringLiteral("TabSheetCopy"), QStringLiteral("Копирование"));
  AddTab(PageControlInput, QStringLiteral("TabSheetAvtomaty"), QStringLiteral("Автоматы"));
  QWidget* options = AddTab(PageControlInput, QStringLiteral("TabSheet1"), QStringLiteral("Опции"));
  auto* optionsLayout = new QHBoxLayout(options);
  optionsLayout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // The drive figures of the current folder stand on the options page.
  auto* disk = new QWidget(options);
  disk->setObjectName(QStringLiteral("PanelDisk"));
  auto* diskLayout = new QVBoxLayout(disk);
  diskLayout->addWidget(LabelDiskFree);
  diskLayout->addWidget(LabelDiskSize);
  diskLayout->addStretch();
  optionsLayout->addWidget(disk);
  QWidget* devices =
      AddTab(PageControlInput, QStringLiteral("TabSheetPribory"), QStringLiteral("Приборы"));
  columns->addWidget(PageControlInput, 1);
  setCentralWidget(central);
  connect(PageControlInput, &QTabWidget::currentChanged, this, [this] { ReturnPageControlAll(); });

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
    layout->addWidget(CreateUndoPair(i + 2, tab), 0, Qt::AlignRight | Qt::AlignTop);
    layout->addStretch();
  }
}

QWidget* TBaseForm::CreateUndoPair(int k, QWidget* parent) {
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
  undo->setEnabled(console_.UndoAvailable());
  layout->addWidget(mem);
  layout->addWidget(undo);
  connect(mem, &QToolButton::clicked, this, [this] { console_.ToMemoryUndo(); });
  connect(undo, &QToolButton::clicked, this, [this] { SpeedButtonUndo1Click(); });
  undoButtons_[k - 1] = undo;
  return pair;
}

QMenu* TBaseForm::Menu(MenuId id) {
  switch (id) {
    case MenuId::Show:
      return ShowMenu;
    case MenuId::Scenes:
      return EditItem;
    case MenuId::Settings:
      return SettingsMenu;
    case MenuId::Options:
      return OptionsMenu;
    case MenuId::Help:
      return HelpMenu;
  }
  return nullptr;
}

QWidget* TBaseForm::Tab(const char* objectName) {
  return findChild<QWidget*>(QString::fromLatin1(objectName));
}

// ---------------------------------------------------------------- start-up and shutdown

void TBaseForm::FormCreate(const StartOptions& options) {
  dmxLink_->OpenAtStart();
  QGuiApplication::clipboard()->setText(QStringLiteral("1111111"));
  setWindowState(windowState() | Qt::WindowMaximized);
  ShowMemory& memory = console_.Show().memory;
  ClearChannelNames(memory);
  memory.Set(kAutomat1 + kAutomatTempo, 10);
  memory.Set(kAutomat2 + kAutomatTempo, 10);
  FillDiskLabels();
  ClearAll();
  if (options.startOutputTick) console_.StartOutput();
  console_.ReadIniFile();
  if (!console_.OpenDialogFileName().isEmpty()) BlocOpenFile();
  if (!options.showFile.isEmpty()) {
    // A show named on the command line opens as the open command opens it.
    console_.SetOpenDialogFileName(QFileInfo(options.showFile).absoluteFilePath());
    BlocOpenFile();
  }
  ReturnPageControlAll();
  OutStatus(QStringLiteral(" Инициализация "));
  TimerAvtoSave->start();
  new DisplayRest(TimerDataDmxToDsp, console_, this);
  TimerDataDmxToDsp->start();
}

void TBaseForm::closeEvent(QCloseEvent* event) {
  // Closing is never refused.
  if (!closed_) FormClose();
  event->accept();
}

void TBaseForm::FormClose() {
  closed_ = true;
  console_.Link().CloseAtShutdown();
  console_.StopOutput();
  // An open picture editor closes first, as its own close would: the show gets its scene 0,
  // rates, step and selection back before it is saved and remembered.
  if (console_.ChaserEditing()) {
    pictureEditor_->FormClose();
    pictureEditor_->hide();
  }
  SaveFileAs();
  const FileResult result = console_.WriteIniFile();
  if (!result.ok) ShowFileError(result.error);
}

void TBaseForm::FillDiskLabels() {
  unsigned long long freeMb = 0;
  unsigned long long sizeMb = 0;
  struct statvfs fs {};
  if (::statvfs(".", &fs) == 0) {
    freeMb = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize / 1000000ULL;
    sizeMb = static_cast<unsigned long long>(fs.f_blocks) * fs.f_frsize / 1000000ULL;
  }
  LabelDiskFree->setText(QStringLiteral("Свободно на диске%1 Mb").arg(freeMb));
  LabelDiskSize->setText(QStringLiteral("Размер диска  %1 Mb").arg(sizeMb));
}

// ---------------------------------------------------------------- status line and refresh

void TBaseForm::OutStatus(const QString& text) {
  // A second message does not restart the count: it may vanish sooner than 2 s.
  if (!TimerStatus->isActive()) TimerStatus->start();
  LabelStatus->setVisible(true);
  LabelStatus->setText(text);
}

void TBaseForm::TimerStatusTimer() {
  LabelStatus->setVisible(false);
  TimerStatus->stop();
}

void TBaseForm::SetCaptionFileName(const QString& fileName) {
  setWindowTitle(TitlePrefixText(TitlePrefix()) + fileName);
}

void TBaseForm::ReturnDataSystem() {
  // The caption; the sequencer controls follow through their own connection.
  if (!SaveDialogFileName().isEmpty()) {
    SetCaptionFileName(SaveDialogFileName());
  } else if (!OpenDialogFileName().isEmpty()) {
    SetCaptionFileName(OpenDialogFileName());
  }
}

// ---------------------------------------------------------------- show memory

void TBaseForm::SetUndoButtonsEnabled(bool enabled) {
  for (auto* b : undoButtons_)
    if (b) b->setEnabled(enabled);
}

void TBaseForm::ClearAll() {
  // The show data, then the window (caption, pages) and every page's own state.
  console_.ClearAll();
}

void TBaseForm::NewItemClick() {
  if (!dialogs_->Ask(QStringLiteral("Создать новое ШОУ?"))) return;
  SaveFileAs();
  ClearAll();
  SetCaptionFileName(kNoFileName);
  ReturnPageControlAll();
}

// ---------------------------------------------------------------- show files

void TBaseForm::ShowFileError(const std::string& message) {
  dialogs_->Error(QString::fromStdString(message));
}

bool TBaseForm::BlocOpenFile() {
  const FileResult result = console_.OpenShow(console_.OpenDialogFileName());
  if (!result.ok) {
    ShowFileError(result.error);
    return false;
  }
  return true;
}

void TBaseForm::OpenItemClick() {
  const auto chosen = dialogs_->OpenFile(console_.OpenDialogFileName(), kShowFilter);
  if (!chosen) return;
  console_.SetOpenDialogFileName(*chosen);
  if (!BlocOpenFile()) return;
  ReturnPageControlAll();
}

void TBaseForm::SaveFileAs() {
  const auto chosen = dialogs_->SaveFile(console_.SaveDialogFileName(), kShowFilter);
  if (!chosen) return;
  const FileResult result = console_.SaveShowAs(*chosen);
  if (!result.ok) ShowFileError(result.error);
}

void TBaseForm::SaveFile() {
  if (!console_.Show().showNamed) {
    SaveFileAs();
    return;
  }
  const FileResult result = console_.SaveShow();
  if (!result.ok) {
    ShowFileError(result.error);
    return;
  }
  SetCaptionFileName(console_.SaveDialogFileName());
}

void TBaseForm::SaveAsItemClick() {
  SaveFileAs();
}

void TBaseForm::TimerAvtoSaveTimer() {
  if (!TimerStatus->isActive()) TimerStatus->start();
  LabelStatus->setVisible(true);
  if (!console_.SaveDialogFileName().isEmpty())
    LabelStatus->setText(QStringLiteral("Автосохранение файла ") +
                         QFileInfo(console_.SaveDialogFileName()).fileName());
  const FileResult result = console_.Autosave();
  if (!result.ok) ShowFileError(result.error);
}

}  // namespace kalvetro
