// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/AboutWindow.h"

#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/Controls.h"
#include "windows/DataPaths.h"
#include "windows/JpegPicture.h"
#include "windows/SystemInfo.h"

namespace kalvetro {

namespace {

const QColor kSkyBlue(166, 202, 240);

}  // namespace

AboutWindow::AboutWindow(const QString& showFolder, QWidget* parent, const QString& picturePath)
    : QDialog(parent), showFolder_(showFolder) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("О программе"));
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setAutoFillBackground(true);
  QPalette sky = palette();
  sky.setColor(QPalette::Window, kSkyBlue);
  sky.setColor(QPalette::WindowText, Qt::black);
  setPalette(sky);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);

  // The upper part: picture, program name, the two buttons.
  auto* top = new QWidget(this);
  top->setObjectName(QStringLiteral("PanelAbout"));
  top->setFixedHeight(kClientHeight - 16);
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  pictureLabel = PlainLabel(QString(), top);
  pictureLabel->setObjectName(QStringLiteral("ImagePicture"));
  pictureLabel->setFixedSize(176, 132);
  pictureLabel->setAlignment(Qt::AlignCenter);
  const QString picture =
      picturePath.isNull() ? DataPath(QStringLiteral("about.jpg")) : picturePath;
  const QImage image = picture.isEmpty() ? QImage() : DecodeJpegFile(picture);
  if (!image.isNull()) {
    // Scaled for the screen's own pixels, so that a scaled screen shows it sharp.
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(
        image.scaled(pictureLabel->size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    pictureLabel->setPixmap(pixmap);
  }
  topLayout->addWidget(pictureLabel, 0, Qt::AlignTop);
  auto* words = new QVBoxLayout;
  auto* name = PlainLabel(QStringLiteral("KALVETRO"), top);
  name->setObjectName(QStringLiteral("LabelProductName"));
  QFont big = name->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.8);
  name->setFont(big);
  words->addWidget(name);
  auto* what = PlainLabel(QStringLiteral("Пульт управления светом DMX512\nдля Linux"), top);
  what->setObjectName(QStringLiteral("LabelComments"));
  what->setWordWrap(true);
  words->addWidget(what);
  words->addStretch();
  moreButton = new QPushButton(QStringLiteral(" SYS INFO"), top);
  moreButton->setObjectName(QStringLiteral("SpeedButtonMore"));
  moreButton->setAutoDefault(false);
  connect(moreButton, &QPushButton::clicked, this, &AboutWindow::ToggleSystemPanel);
  words->addWidget(moreButton);
  closeButton = new QPushButton(QStringLiteral("OK"), top);
  closeButton->setObjectName(QStringLiteral("BitBtnClose"));
  closeButton->setDefault(true);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
  words->addWidget(closeButton);
  topLayout->addLayout(words, 1);
  layout->addWidget(top);

  // The system panel below, revealed by " SYS INFO".
  systemPanel = new QWidget(this);
  systemPanel->setObjectName(QStringLiteral("PanelSystem"));
  QFont small = systemPanel->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  systemPanel->setFont(small);
  auto* grid = new QGridLayout(systemPanel);
  grid->setContentsMargins(0, 4, 0, 0);
  grid->setVerticalSpacing(1);
  grid->setHorizontalSpacing(6);
  int row = 0;
  auto add = [&](QLabel*& value, const char* objectName, const QString& caption,
                 const QString& design = QStringLiteral("0")) {
    auto* text = PlainLabel(caption, systemPanel);
    value = PlainLabel(design, systemPanel);
    value->setObjectName(QString::fromLatin1(objectName));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setWordWrap(true);
    QFont bold = value->font();
    bold.setBold(true);
    value->setFont(bold);
    grid->addWidget(text, row, 0);
    grid->addWidget(value, row, 1);
    ++row;
  };
  // The versions name the kernel and the C library where the window used to name the
  // Windows and DOS versions.
  add(osVersionLabel, "LabelWinVer", QStringLiteral("Версия Linux "));
  add(kernelVersionLabel, "LabelDosVer", QStringLiteral("Версия  glibc "));
  add(cpuTypeLabel, "LabelTipCPU", QStringLiteral("Coпоставимый тип процессора "),
      QStringLiteral("Unknown"));
  add(driveCLabel, "LabelHDD_C", QStringLiteral("Номер  диска  /  "));
  add(driveDLabel, "LabelHDD_D", QStringLiteral("Номер  диска  ~ "));
  add(driveELabel, "LabelHDD_E", QStringLiteral("Номер  диска  Шоу "));
  add(diskFreeCLabel, "LabelDiskFreeC", QStringLiteral("Свободно на  диске  / "));
  add(diskFreeDLabel, "LabelDiskFreeD", QStringLiteral("Свободно на  диске  ~ "));
  add(diskFreeELabel, "LabelDiskFreeE", QStringLiteral("Свободно на  диске  Шоу "));
  add(diskSizeCLabel, "LabelDiskSizeC", QStringLiteral("Размер  диска  / "));
  add(diskSizeDLabel, "LabelDiskSizeD", QStringLiteral("Размер  диска  ~ "));
  add(diskSizeELabel, "LabelDiskSizeE", QStringLiteral("Размер  диска  Шоу "));
  add(totalMemoryLabel, "TotalPhys", QStringLiteral("Полная физическая память:"));
  add(freeMemoryLabel, "AvailPhys", QStringLiteral("Доступная физическая память:"));
  add(totalSwapLabel, "TotalPage", QStringLiteral("Общий размер файла подкачки:"));
  add(freeSwapLabel, "AvailPage", QStringLiteral("Доступный размер файла подкачки:"));
  add(computerLabel, "ComputerLabel", QStringLiteral("Компьютер :"));
  add(processorLabel, "ProcessorLabel", QStringLiteral("Процессор:"));
  add(mmxLabel, "MMXIdentifierLabel", QStringLiteral("Процессор MMX:"));
  add(vendorLabel, "VendorIdentifierLabel", QStringLiteral("Процессор поставщик:"));
  add(versionLabel, "VersionLabel", QStringLiteral("Субверсия"));
  add(versionNumberLabel, "VersionNumberLabel", QStringLiteral("Платформа"));
  add(osNameLabel, "OSNameLabel", QStringLiteral("Имя Cистемы "));
  add(organizationLabel, "RegisteredOrganizationLabel", QStringLiteral("Организация"));
  add(ownerLabel, "RegisteredOwnerLabel", QStringLiteral("Владелец"));
  grid->addWidget(PlainLabel(QStringLiteral("Серийный номер"), systemPanel), row, 0);
  serialNumberEdit = new QLineEdit(QStringLiteral("0"), systemPanel);
  serialNumberEdit->setObjectName(QStringLiteral("SerNumberEdit"));
  serialNumberEdit->setReadOnly(true);
  grid->addWidget(serialNumberEdit, row++, 1);
  // The home folder stands where the window used to show the Windows folder.
  add(systemFolderLabel, "WindowsDirLabel", QStringLiteral("Домашняя директория"));
  grid->setColumnStretch(1, 1);
  layout->addWidget(systemPanel);
  layout->addStretch();
  systemPanel->hide();

  setFixedSize(kClientWidth, kClientHeight);
  // Centred on the screen.
  if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void AboutWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FillSystemFigures();
  FormActivate();
}

void AboutWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void AboutWindow::FillSystemFigures() {
  const SystemInfo info = ReadSystemInfo();
  totalMemoryLabel->setText(info.totalPhys);
  freeMemoryLabel->setText(info.availPhys);
  totalSwapLabel->setText(info.totalSwap);
  freeSwapLabel->setText(info.availSwap);
  computerLabel->setText(info.computer);
  processorLabel->setText(info.processor);
  mmxLabel->setText(info.mmx);
  vendorLabel->setText(info.vendor);
  versionLabel->setText(info.subversion);
  versionNumberLabel->setText(info.platform);
  osNameLabel->setText(info.osName);
  organizationLabel->setText(info.organization);
  ownerLabel->setText(info.owner);
  serialNumberEdit->setText(info.serialNumber);
  systemFolderLabel->setText(info.homeDir);
}

void AboutWindow::FormActivate() {
  const SystemInfo info = ReadSystemInfo();
  osVersionLabel->setText(info.kernelVersion);
  kernelVersionLabel->setText(info.libcVersion);
  // Families without a comparable processor leave the label as it is.
  if (!info.processorType.isEmpty()) cpuTypeLabel->setText(info.processorType);
  const QString folders[3] = {QStringLiteral("/"), QDir::homePath(),
                              showFolder_.isEmpty() ? QDir::currentPath() : showFolder_};
  QLabel* serials[3] = {driveCLabel, driveDLabel, driveELabel};
  QLabel* frees[3] = {diskFreeCLabel, diskFreeDLabel, diskFreeELabel};
  QLabel* sizes[3] = {diskSizeCLabel, diskSizeDLabel, diskSizeELabel};
  for (int d = 0; d < 3; ++d) {
    const DriveInfo drive = ReadDriveInfo(folders[d]);
    // A folder that cannot be queried keeps the design caption of its number.
    if (!drive.serial.isEmpty()) serials[d]->setText(drive.serial);
    frees[d]->setText(drive.free);
    sizes[d]->setText(drive.size);
  }
}

void AboutWindow::ToggleSystemPanel() {
  systemPanel->show();
  setFixedSize(kClientWidth, kExpandedHeight);
  move(x(), kExpandedTop);
}

}  // namespace kalvetro
