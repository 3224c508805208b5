// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/PictureEditorWindow.h"
#include "app/PictureEditorSession.h"
#include "app/ShowUndo.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"
#include "output/OutputControls.h"
#include "ui/Controls.h"
#include "ui/DialogService.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

constexpr int kClientWidth = 250;
constexpr int kClientHeight = 192;
constexpr int kButtonWidth = 25;
constexpr int kButtonHeight = 19;

struct PictureButtons {
  const char* read;   // objectName of the read button
  const char* write;  // objectName of the write button
  const char* caption;
};
// In picture order 1..8, Space, Z, X, C, V, B, N, M.
constexpr PictureButtons kButtons[kPictureCount] = {
    {"SpeedButton1", "SpeedButton9", "1"},       {"SpeedButton2", "SpeedButton16", "2"},
    {"SpeedButton3", "SpeedButton17", "3"},      {"SpeedButton4", "SpeedButton24", "4"},
    {"SpeedButton5", "SpeedButton10", "5"},      {"SpeedButton6", "SpeedButton15", "6"},
    {"SpeedButton7", "SpeedButton18", "7"},      {"SpeedButton8", "SpeedButton23", "8"},
    {"SpeedButtonSpase", "SpeedButton11", "--"}, {"SpeedButtonZ", "SpeedButton14", "Z"},
    {"SpeedButtonX", "SpeedButton19", "X"},      {"SpeedButtonC", "SpeedButton22", "C"},
    {"SpeedButtonV", "SpeedButton12", "V"},      {"SpeedButtonB", "SpeedButton13", "B"},
    {"SpeedButtonN", "SpeedButton20", "N"},      {"SpeedButtonM", "SpeedButton21", "M"},
};

QToolButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setToolTip(hint);
  button->setFixedSize(kButtonWidth, kButtonHeight);
  return button;
}

}  // namespace

PictureEditorWindow::PictureEditorWindow(Console& console, WindowParts& parts, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      console_(console),
      parts_(parts) {
  setObjectName(QStringLiteral("StaticForm"));
  setWindowTitle(QStringLiteral("Статические картинки"));
  setFixedSize(kClientWidth, kClientHeight);
  // Teal, as the window always was; light buttons and white titles stand out on it.
  setAutoFillBackground(true);
  QPalette teal = palette();
  teal.setColor(QPalette::Window, QColor(0, 128, 128));
  teal.setColor(QPalette::WindowText, Qt::white);
  setPalette(teal);
  setStyleSheet(QStringLiteral(
      "QGroupBox { color: white; font-weight: bold; border: 1px solid #9fd0d0;"
      " border-radius: 3px; margin-top: 7px; padding-top: 2px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"
      "QToolButton { background: #eef4f4; border: 1px solid #4f7f7f; border-radius: 2px; }"
      "QToolButton:checked { background: #ffe680; border: 1px solid #806000; }"
      "QToolButton:disabled { background: #b8cccc; color: #708080; }"
      "QLabel { color: white; font-weight: bold; }"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 4);
  layout->setSpacing(3);
  auto* pictures = new QHBoxLayout;
  pictures->setSpacing(4);
  pictures->addWidget(BuildPictureGroup(QStringLiteral("Считать"), false));
  pictures->addWidget(BuildPictureGroup(QStringLiteral("Записать "), true));
  layout->addLayout(pictures);
  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(4);
  bottom->addWidget(BuildSceneGroup(), 1);
  bottom->addWidget(BuildEraseGroup());
  layout->addLayout(bottom);

  // A show that replaces the open one (a new show, an opened file, the conveyor) ends the
  // editing: the console drops what the editor kept of the old show, and the window goes.
  connect(&console_.PictureEditor(), &PictureEditorSession::OpenChanged, this, [this](bool open) {
    if (!open && isVisible()) hide();
  });
}

QGroupBox* PictureEditorWindow::BuildPictureGroup(const QString& title, bool write) {
  QGroupBox* group =
      MakeGroup(this, QString::fromLatin1(write ? "GroupBoxWrite" : "GroupBoxRead"), title);
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(4, 6, 4, 3);
  grid->setSpacing(2);
  auto* buttons = new QButtonGroup(group);
  buttons->setExclusive(true);
  const QString hint = write ? QStringLiteral("Записать в  статическую картинку")
                             : QStringLiteral("Редактируемая статическая картинка");
  const QString colour = write ? QStringLiteral("red") : QStringLiteral("blue");
  for (int k = 0; k < kPictureCount; ++k) {
    auto* button =
        MakeButton(group, QString::fromLatin1(write ? kButtons[k].write : kButtons[k].read),
                   QString::fromLatin1(kButtons[k].caption), hint);
    button->setCheckable(true);
    button->setStyleSheet(
        QStringLiteral("QToolButton { color: %1; font-weight: bold; }").arg(colour));
    buttons->addButton(button, k);
    // Columns from left to right, each from top to bottom: 1 2 3 4, 5 6 7 8, -- Z X C, V B N M.
    grid->addWidget(button, k % 4, k / 4);
    if (write) {
      writeButtons[k] = button;
      connect(button, &QToolButton::clicked, this, [this, k] { StoreWorkingRowAsPicture(k); });
    } else {
      readButtons[k] = button;
      connect(button, &QToolButton::clicked, this, [this, k] { LoadPictureIntoWorkingRow(k); });
    }
  }
  // The hidden extra button: pressing it releases every visible button of the group.
  auto* hidden = MakeButton(
      group, write ? QStringLiteral("SpeedButtonWriteNone") : QStringLiteral("SpeedButtonReadNone"),
      QString(), QString());
  hidden->setCheckable(true);
  hidden->setVisible(false);
  buttons->addButton(hidden, kPictureCount);
  (write ? writeHiddenButton : readHiddenButton) = hidden;
  (write ? writeGroup_ : readGroup_) = buttons;
  return group;
}

QGroupBox* PictureEditorWindow::BuildSceneGroup() {
  QGroupBox* group =
      MakeGroup(this, QStringLiteral("GroupBoxScene"), QStringLiteral(" Выбор сцены  "));
  auto* row = new QHBoxLayout(group);
  row->setContentsMargins(5, 8, 5, 4);
  row->setSpacing(4);
  sceneSlider = new QScrollBar(Qt::Horizontal, group);
  sceneSlider->setObjectName(QStringLiteral("ScrollBar1"));
  sceneSlider->setRange(0, kSceneCount - 1);
  sceneSlider->setPageStep(10);
  sceneSlider->setValue(1);
  sceneSlider->setFixedHeight(18);
  sceneLabel = PlainLabel(QStringLiteral("1"), group);
  sceneLabel->setObjectName(QStringLiteral("Label1"));
  sceneLabel->setMinimumWidth(26);
  sceneLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row->addWidget(sceneSlider, 1);
  row->addWidget(sceneLabel);
  connect(sceneSlider, &QScrollBar::valueChanged, this, [this] { TakeChosenSceneLevels(); });
  return group;
}

QGroupBox* PictureEditorWindow::BuildEraseGroup() {
  QGroupBox* group = MakeGroup(this, QStringLiteral("GroupBoxErase"), QStringLiteral("Стереть"));
  auto* row = new QHBoxLayout(group);
  row->setContentsMargins(5, 8, 5, 4);
  row->setSpacing(3);
  eraseButton = MakeButton(group, QStringLiteral("SpeedButtonDel1"), QStringLiteral("✕"),
                           QStringLiteral("Стереть редактируемую сцену"));
  eraseAllButton = MakeButton(group, QStringLiteral("SpeedButtonDelAll"), QStringLiteral("✕✕"),
                              QStringLiteral("Стереть все статические картинки "));
  undoEraseButton = MakeButton(group, QStringLiteral("SpeedButtonUndoSt"), QStringLiteral("↶"),
                               QStringLiteral("Вернуть прежнюю сцену"));
  eraseAllButton->setFixedWidth(
      std::max(kButtonWidth + 6, eraseAllButton->minimumSizeHint().width()));
  undoEraseButton->setEnabled(false);
  for (QToolButton* b : {eraseButton, eraseAllButton, undoEraseButton}) row->addWidget(b);
  connect(eraseButton, &QToolButton::clicked, this,
          &PictureEditorWindow::ConfirmEraseEditedPicture);
  connect(eraseAllButton, &QToolButton::clicked, this,
          &PictureEditorWindow::ConfirmEraseAllPictures);
  connect(undoEraseButton, &QToolButton::clicked, this, &PictureEditorWindow::UndoPictureErase);
  return group;
}

// ---------------------------------------------------------------- opening and closing

void PictureEditorWindow::OpenPictureWindow() {
  console_.Runner().Stop();
  // The strip ticks write their selection bytes the moment they change, so the selection in
  // memory already holds them (StoreSelectionBoxes). The Play button hides meanwhile.
  console_.PictureEditor().Open();
  console_.Runner().SetCrossfadeMode(kCrossfadeOff);
  show();
  raise();
  activateWindow();
}

void PictureEditorWindow::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();  // hidden, not destroyed
}

void PictureEditorWindow::FormClose() {
  console_.PictureEditor().Close();
  // The transition choice stays at "Выкл".
}

// ---------------------------------------------------------------- pictures

void PictureEditorWindow::ReleaseRead() {
  readHiddenButton->setChecked(true);
}

void PictureEditorWindow::ReleaseWrite() {
  writeHiddenButton->setChecked(true);
}

// What the strips and faders show of the working row: its selection, the whole refresh, its
// levels.
constexpr ShowEdit kWorkingRow =
    ShowEdit(ShowArea::Selection) | ShowEdit::Reshaped() | ShowArea::Levels;

void PictureEditorWindow::LoadPictureIntoWorkingRow(int k) {
  bool read = false;
  console_.Edit(UndoCopy::Keep, kStepPicture, [&](ShowState& show) {
    read = kalvetro::ReadChaser(show, k);
    return read ? kWorkingRow : ShowEdit();
  });
  if (read) ReleaseWrite();
}

void PictureEditorWindow::StoreWorkingRowAsPicture(int k) {
  // The selection in memory is the strips' ticks already (StoreSelectionBoxes).
  bool saved = false;
  console_.Edit(UndoCopy::Keep, kStepPicture, [&](ShowState& show) {
    saved = kalvetro::SaveChaser(show, k);
    return saved ? ShowEdit(ShowArea::Pictures) : ShowEdit();
  });
  if (saved) ReleaseRead();
}

void PictureEditorWindow::TakeChosenSceneLevels() {
  ReleaseRead();
  ReleaseWrite();
  console_.Edit(UndoCopy::Keep, kStepPicture, [&](ShowState& show) {
    sceneLabel->setText(QString::number(TakeSceneLevels(show, sceneSlider->value())));
    return kWorkingRow;
  });
}

void PictureEditorWindow::ConfirmEraseEditedPicture() {
  if (!parts_.Dialogs().Ask(QStringLiteral("Удалить статическую картинку?"))) return;
  undoEraseButton->setEnabled(true);
  ReleaseRead();
  ReleaseWrite();
  console_.Edit(UndoCopy::Keep, kStepPicture, [](ShowState& show) {
    EraseEditedPicture(show);
    return kWorkingRow;
  });
}

void PictureEditorWindow::ConfirmEraseAllPictures() {
  if (!parts_.Dialogs().Ask(QStringLiteral("Удалить все Статические картинки?"))) return;
  undoEraseButton->setEnabled(true);
  ReleaseRead();
  ReleaseWrite();
  console_.Edit(UndoCopy::Keep, kStepPicture, [](ShowState& show) {
    EraseAllPictures(show);
    return kWorkingRow | ShowArea::Pictures;
  });
}

void PictureEditorWindow::UndoPictureErase() {
  undoEraseButton->setEnabled(false);
  // The undo copy is of the same show: the editor keeps what it saved at opening.
  console_.Undo().Restore();
  // The restore refreshes the page shown; the strips, faders, names and picture boxes hear
  // of every part of the show too, as the editor's views follow the parts.
  console_.Edit(UndoCopy::Keep, [](ShowState&) { return ShowEdit::Everything(); });
}

}  // namespace kalvetro
