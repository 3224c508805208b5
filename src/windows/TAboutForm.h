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
class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  // showFolder: the folder of the open show (the third file system); picturePath: the JPEG
  // of the window, by default the one in the console's data folder.
  explicit TAboutForm(const QString& showFolder, QWidget* parent = nullptr,
                      const QString& picturePath = QString());

  // Memory, then computer figures; then versions, then drive figures.
  void FormShow();
  void FormActivate();
  void SpeedButtonMoreClick();

  static constexpr int kClientWidth = 395;
  static constexpr int kClientHeight = 237;
  static constexpr int kExpandedHeight = 631;
  static constexpr int kExpandedTop = 78;

  QLabel* ImagePicture = nullptr;
  QPushButton* SpeedButtonMore = nullptr;
  QPushButton* BitBtnClose = nullptr;
  QWidget* PanelSystem = nullptr;
  QLabel *LabelWinVer = nullptr, *LabelDosVer = nullptr, *LabelTipCPU = nullptr;
  QLabel *LabelHDD_C = nullptr, *LabelHDD_D = nullptr, *LabelHDD_E = nullptr;
  QLabel *LabelDiskFreeC = nullptr, *LabelDiskFreeD = nullptr, *LabelDiskFreeE = nullptr;
  QLabel *LabelDiskSizeC = nullptr, *LabelDiskSizeD = nullptr, *LabelDiskSizeE = nullptr;
  QLabel *TotalPhys = nullptr, *AvailPhys = nullptr, *TotalPage = nullptr, *AvailPage = nullptr;
  QLabel *ComputerLabel = nullptr, *ProcessorLabel = nullptr, *MMXIdentifierLabel = nullptr;
  QLabel *VendorIdentifierLabel = nullptr, *VersionLabel = nullptr, *VersionNumberLabel = nullptr;
  QLabel *OSNameLabel = nullptr, *RegisteredOrganizationLabel = nullptr;
  QLabel *RegisteredOwnerLabel = nullptr, *WindowsDirLabel = nullptr;
  QLineEdit* SerNumberEdit = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QString showFolder_;
};

}  // namespace kalvetro
