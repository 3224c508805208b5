// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QAction;
class QSpinBox;
class QToolButton;

namespace kalvetro {

class Console;
class WindowParts;

// The group "Имен " on the page "Копирование": copies the names of a block of channels to the
// channels from a target on. It also serves the menu item "Установки" -> "Очистить имена
// каналов" (Ctrl+I). The name boxes of the strips follow through the console's news.
class NameCopyGroup : public QGroupBox {
  Q_OBJECT

 public:
  NameCopyGroup(Console& console, WindowParts& parts, QWidget* parent);

  void CopyNames();
  void ClearAllChannelNames();

  QSpinBox* nameCopyFirst = nullptr;
  QSpinBox* nameCopyLast = nullptr;
  QSpinBox* nameCopyTarget = nullptr;
  QToolButton* copyNamesButton = nullptr;
  QAction* clearNamesAction = nullptr;

 private:
  Console& console_;
  WindowParts& parts_;
};

}  // namespace kalvetro
