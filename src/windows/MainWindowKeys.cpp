// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSpacerItem>
#include <QStyle>

#include "editing/ui/NameCopyGroup.h"
#include "windows/KeyboardFilter.h"
#include "windows/MainWindow.h"
#include "windows/PictureEditorWindow.h"

namespace kalvetro {

namespace {

// Puts a widget into a tab's vertical layout before its closing stretch, if it has one.
void AddBeforeStretch(QWidget* tab, QWidget* widget) {
  auto* layout = qobject_cast<QBoxLayout*>(tab->layout());
  if (!layout) {
    layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
  }
  const int last = layout->count() - 1;
  if (last >= 0 && layout->itemAt(last)->spacerItem()) {
    layout->insertWidget(last, widget);
  } else {
    layout->addWidget(widget);
  }
}

}  // namespace

void MainWindow::OnWheel(QObject* receiver, std::function<void(int)> handler) {
  connect(keyboard_, &KeyboardFilter::WheelTurned, receiver, std::move(handler));
}

void MainWindow::OnKeyCode(QObject* receiver, std::function<void(int)> handler) {
  connect(keyboard_, &KeyboardFilter::KeyCodeShown, receiver, std::move(handler));
}

// The static pictures window, the keyboard of the main window and the channel names.
void MainWindow::BuildKeyboardParts() {
  // "Включить клавиатуру" under the picture boxes: key preview on and off.
  QWidget* pictureTab = Tab("TabSheetSttica");
  auto* flashOn = new QCheckBox(QStringLiteral("Включить клавиатуру"), pictureTab);
  flashOn->setObjectName(QStringLiteral("CheckBoxFlashOn"));
  flashOn->setToolTip(QStringLiteral("Включить / Выключить флэш - кнопки клавиатуры"));
  flashOn->setChecked(console_.KeyPreview());
  connect(flashOn, &QCheckBox::clicked, this, [this](bool on) { console_.SetKeyPreview(on); });
  connect(&console_, &Console::KeyPreviewChanged, flashOn, &QCheckBox::setChecked);
  AddBeforeStretch(pictureTab, flashOn);

  // The static pictures window: made once, opened from the toolbar and the options menu.
  auto* pictures = new PictureEditorWindow(console_, *this, this);
  pictureEditor_ = pictures;
  AddToolBarSeparator();
  AddToolButton(QStringLiteral("SpeedButtonRECORD"), QStringLiteral("media-record"),
                QStyle::SP_DialogApplyButton, QStringLiteral("Запись статических картинок "),
                [pictures] { pictures->OpenPictureWindow(); });
  QAction* chaserItem =
      optionsMenu->addAction(QStringLiteral("Запись и редактирование Статических картинок"));
  chaserItem->setObjectName(QStringLiteral("ChaserItem"));
  connect(chaserItem, &QAction::triggered, pictures, &PictureEditorWindow::OpenPictureWindow);

  // The name block copy on "Копирование" (and the clearing of all names).
  QWidget* copyTab = Tab("TabSheetCopy");
  AddBeforeStretch(copyTab, new NameCopyGroup(console_, *this, copyTab));
}

}  // namespace kalvetro
