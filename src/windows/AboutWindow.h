// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kalvetro {

// "О программе": a modal window, created for each showing and destroyed after, that reports
// the computer the console runs on: kernel and distribution, processor, memory and three
// file systems (the root, the home folder and the folder of the current show).
class AboutWindow : public QDialog {
  Q_OBJECT

 public:
  // showFolder: the folder of the open show (the third file system); picturePath: the JPEG
  // of the window, by default the one in the console's data folder.
  explicit AboutWindow(const QString& showFolder, QWidget* parent = nullptr,
                       const QString& picturePath = QString());

  // Memory, then computer figures; then versions, then drive figures.
  void FillSystemFigures();
  void FormActivate();
  void ToggleSystemPanel();

  static constexpr int kClientWidth = 395;
  static constexpr int kClientHeight = 237;
  static constexpr int kExpandedHeight = 631;
  static constexpr int kExpandedTop = 78;

  QLabel* pictureLabel = nullptr;
  QPushButton* moreButton = nullptr;
  QPushButton* closeButton = nullptr;
  QWidget* systemPanel = nullptr;
  QLabel *osVersionLabel = nullptr, *kernelVersionLabel = nullptr, *cpuTypeLabel = nullptr;
  QLabel *driveCLabel = nullptr, *driveDLabel = nullptr, *driveELabel = nullptr;
  QLabel *diskFreeCLabel = nullptr, *diskFreeDLabel = nullptr, *diskFreeELabel = nullptr;
  QLabel *diskSizeCLabel = nullptr, *diskSizeDLabel = nullptr, *diskSizeELabel = nullptr;
  QLabel *totalMemoryLabel = nullptr, *freeMemoryLabel = nullptr, *totalSwapLabel = nullptr,
         *freeSwapLabel = nullptr;
  QLabel *computerLabel = nullptr, *processorLabel = nullptr, *mmxLabel = nullptr;
  QLabel *vendorLabel = nullptr, *versionLabel = nullptr, *versionNumberLabel = nullptr;
  QLabel *osNameLabel = nullptr, *organizationLabel = nullptr;
  QLabel *ownerLabel = nullptr, *systemFolderLabel = nullptr;
  QLineEdit* serialNumberEdit = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QString showFolder_;
};

}  // namespace kalvetro
