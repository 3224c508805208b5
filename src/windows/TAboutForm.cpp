#include "windows/TAboutForm.h"

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

#include "windows/DataPaths.h"
#include "windows/JpegPicture.h"
#include "windows/SystemInfo.h"

namespace kalvetro {

namespace {

const QColor kSkyBlue(166, 202, 240);

}  // namespace

TAboutForm::TAboutForm(const QString& showFolder, QWidget* parent, const QString& picturePath)
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
  ImagePicture = new QLabel(top);
  ImagePicture->setObjectName(QStringLiteral("ImagePicture"));
  ImagePicture->setFixedSize(176, 132);
  ImagePicture->setAlignment(Qt::AlignCenter);
  const QString picture =
      picturePath.isNull() ? DataPath(QStringLiteral("about.jpg")) : picturePath;
  const QImage image = picture.isEmpty() ? QImage() : DecodeJpegFile(picture);
  if (!image.isNull())
    ImagePicture->setPixmap(QPixmap::fromImage(
        image.scaled(ImagePicture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  topLayout->addWidget(ImagePicture, 0, Qt::AlignTop);
  auto* words = new QVBoxLayout;
  auto* name = new QLabel(QStringLiteral("KALVETRO"), top);
  name->setObjectName(QStringLiteral("LabelProductName"));
  QFont big = name->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.8);
  name->setFont(big);
  words->addWidget(name);
  auto* what = new QLabel(QStringLiteral("Пульт управления светом DMX512\nдля Linux"), top);
  what->setObjectName(QStringLiteral("LabelComments"));
  what->setWordWrap(true);
  words->addWidget(what);
  words->addStretch();
  SpeedButtonMore = new QPushButton(QStringLiteral(" SYS INFO"), top);
  SpeedButtonMore->setObjectName(QStringLiteral("SpeedButtonMore"));
  SpeedButtonMore->setAutoDefault(false);
  connect(SpeedButtonMore, &QPushButton::clicked, this, &TAboutForm::SpeedButtonMoreClick);
  words->addWidget(SpeedButtonMore);
  BitBtnClose = new QPushButton(QStringLiteral("OK"), top);
  BitBtnClose->setObjectName(QStringLiteral("BitBtnClose"));
  BitBtnClose->setDefault(true);
  connect(BitBtnClose, &QPushButton::clicked, this, &QDialog::accept);
  words->addWidget(BitBtnClose);
  topLayout->addLayout(words, 1);
  layout->addWidget(top);

  // The system panel below, revealed by " SYS INFO".
  PanelSystem = new QWidget(this);
  PanelSystem->setObjectName(QStringLiteral("PanelSystem"));
  QFont small = PanelSystem->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  PanelSystem->setFont(small);
  auto* grid = new QGridLayout(PanelSystem);
  grid->setContentsMargins(0, 4, 0, 0);
  grid->setVerticalSpacing(1);
  grid->setHorizontalSpacing(6);
  int row = 0;
  auto add = [&](QLabel*& value, const char* objectName, const QString& caption,
                 const QString& design = QStringLiteral("0")) {
    auto* text = new QLabel(caption, PanelSystem);
    value = new QLabel(design, PanelSystem);
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
  add(LabelWinVer, "LabelWinVer", QStringLiteral("Версия Linux "));
  add(LabelDosVer, "LabelDosVer", QStringLiteral("Версия  glibc "));
  add(LabelTipCPU, "LabelTipCPU", QStringLiteral("Coпоставимый тип процессора "),
      QStringLiteral("Unknown"));
  add(LabelHDD_C, "LabelHDD_C", QStringLiteral("Номер  диска  /  "));
  add(LabelHDD_D, "LabelHDD_D", QStringLiteral("Номер  диска  ~ "));
  add(LabelHDD_E, "LabelHDD_E", QStringLiteral("Номер  диска  Шоу "));
  add(LabelDiskFreeC, "LabelDiskFreeC", QStringLiteral("Свободно на  диске  / "));
  add(LabelDiskFreeD, "LabelDiskFreeD", QStringLiteral("Свободно на  диске  ~ "));
  add(LabelDiskFreeE, "LabelDiskFreeE", QStringLiteral("Свободно на  диске  Шоу "));
  add(LabelDiskSizeC, "LabelDiskSizeC", QStringLiteral("Размер  диска  / "));
  add(LabelDiskSizeD, "LabelDiskSizeD", QStringLiteral("Размер  диска  ~ "));
  add(LabelDiskSizeE, "LabelDiskSizeE", QStringLiteral("Размер  диска  Шоу "));
  add(TotalPhys, "TotalPhys", QStringLiteral("Полная физическая память:"));
  add(AvailPhys, "AvailPhys", QStringLiteral("Доступная физическая память:"));
  add(TotalPage, "TotalPage", QStringLiteral("Общий размер файла подкачки:"));
  add(AvailPage, "AvailPage", QStringLiteral("Доступный размер файла подкачки:"));
  add(ComputerLabel, "ComputerLabel", QStringLiteral("Компьютер :"));
  add(ProcessorLabel, "ProcessorLabel", QStringLiteral("Процессор:"));
  add(MMXIdentifierLabel, "MMXIdentifierLabel", QStringLiteral("Процессор MMX:"));
  add(VendorIdentifierLabel, "VendorIdentifierLabel", QStringLiteral("Процессор поставщик:"));
  add(VersionLabel, "VersionLabel", QStringLiteral("Субверсия"));
  add(VersionNumberLabel, "VersionNumberLabel", QStringLiteral("Платформа"));
  add(OSNameLabel, "OSNameLabel", QStringLiteral("Имя Cистемы "));
  add(RegisteredOrganizationLabel, "RegisteredOrganizationLabel", QStringLiteral("Организация"));
  add(RegisteredOwnerLabel, "RegisteredOwnerLabel", QStringLiteral("Владелец"));
  grid->addWidget(new QLabel(QStringLiteral("Серийный номер"), PanelSystem), row, 0);
  SerNumberEdit = new QLineEdit(QStringLiteral("0"), PanelSystem);
  SerNumberEdit->setObjectName(QStringLiteral("SerNumberEdit"));
  SerNumberEdit->setReadOnly(true);
  grid->addWidget(SerNumberEdit, row++, 1);
  // The home folder stands where the window used to show the Windows folder.
  add(WindowsDirLabel, "WindowsDirLabel", QStringLiteral("Домашняя директория"));
  grid->setColumnStretch(1, 1);
  layout->addWidget(PanelSystem);
  layout->addStretch();
  PanelSystem->hide();

  setFixedSize(kClientWidth, kClientHeight);
  // Centred on the screen.
  if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TAboutForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
  FormActivate();
}

void TAboutForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TAboutForm::FormShow() {
  const SystemInfo info = ReadSystemInfo();
  TotalPhys->setText(info.totalPhys);
  AvailPhys->setText(info.availPhys);
  TotalPage->setText(info.totalSwap);
  AvailPage->setText(info.availSwap);
  ComputerLabel->setText(info.computer);
  ProcessorLabel->setText(info.processor);
  MMXIdentifierLabel->setText(info.mmx);
  VendorIdentifierLabel->setText(info.vendor);
  VersionLabel->setText(info.subversion);
  VersionNumberLabel->setText(info.platform);
  OSNameLabel->setText(info.osName);
  RegisteredOrganizationLabel->setText(info.organization);
  RegisteredOwnerLabel->setText(info.owner);
  SerNumberEdit->setText(info.serialNumber);
  WindowsDirLabel->setText(info.homeDir);
}

void TAboutForm::FormActivate() {
  const SystemInfo info = ReadSystemInfo();
  LabelWinVer->setText(info.kernelVersion);
  LabelDosVer->setText(info.libcVersion);
  // Families without a comparable processor leave the label as it is.
  if (!info.processorType.isEmpty()) LabelTipCPU->setText(info.processorType);
  const QString folders[3] = {QStringLiteral("/"), QDir::homePath(),
                              showFolder_.isEmpty() ? QDir::currentPath() : showFolder_};
  QLabel* serials[3] = {LabelHDD_C, LabelHDD_D, LabelHDD_E};
  QLabel* frees[3] = {LabelDiskFreeC, LabelDiskFreeD, LabelDiskFreeE};
  QLabel* sizes[3] = {LabelDiskSizeC, LabelDiskSizeD, LabelDiskSizeE};
  for (int d = 0; d < 3; ++d) {
    const DriveInfo drive = ReadDriveInfo(folders[d]);
    // A folder that cannot be queried keeps the design caption of its number.
    if (!drive.serial.isEmpty()) serials[d]->setText(drive.serial);
    frees[d]->setText(drive.free);
    sizes[d]->setText(drive.size);
  }
}

void TAboutForm::SpeedButtonMoreClick() {
  PanelSystem->show();
  setFixedSize(kClientWidth, kExpandedHeight);
  move(x(), kExpandedTop);
}

}  // namespace kalvetro
