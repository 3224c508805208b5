// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShowFiles.h"
#include "app/PictureEditorSession.h"
#include "app/ShowUndo.h"
#include "output/OlaSink.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"

namespace kalvetro {

namespace {

QString UserFile(QStandardPaths::StandardLocation location, const char* name) {
  return QDir(QStandardPaths::writableLocation(location)).filePath(QString::fromUtf8(name));
}

bool MakeFolderFor(const QString& file) {
  return QDir().mkpath(QFileInfo(file).absolutePath());
}

constexpr char kRecoveryFile[] = "Kalvo.recovery.klv";
constexpr char kRecoveryNameFile[] = "Kalvo.recovery.name";

QByteArray ImageBytes(const std::array<std::uint8_t, kShowFileSize>& image) {
  return QByteArray(reinterpret_cast<const char*>(image.data()), kShowFileSize);
}

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

// The show's file name kept beside the recovery file (empty: the show had none).
QString ReadRecoveryName(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.read(4096)).trimmed();
}

}  // namespace

ShowFiles::ShowFiles(Console& console, const StartOptions& options)
    : console_(console),
      olaUniverseOption_(options.olaUniverse),
      soundInputOption_(options.soundInput),
      settingsPath_(options.settingsFile.isEmpty() ? DefaultSettingsPath() : options.settingsFile),
      autosavePath_(options.autosaveFile.isEmpty()
                        ? UserFile(QStandardPaths::AppDataLocation, "ShouTemp.klv")
                        : options.autosaveFile) {
  recoveryTimer_.setSingleShot(true);
  recoveryTimer_.setInterval(kRecoveryDelayMs);
  connect(&recoveryTimer_, &QTimer::timeout, this, [this] {
    const Result written = WriteRecovery();
    if (!written.ok) console_.ShowStatus(QString::fromStdString(written.error));
  });
  // The headless player's files live in a folder of its own that goes with it: it keeps no
  // recovery file (the window's waits for the window).
  if (!options.headless)
    connect(&console_.History(), &ShowHistory::Stepped, this, &ShowFiles::NoteChange);
  // An opened or emptied show is what its file (or nothing) holds: no recovery until it changes.
  connect(&console_, &Console::ShowReplaced, this, [this](ShowReplacement how) {
    if (how == ShowReplacement::Restored) return;
    recoveryWritten_ = ImageBytes(console_.PictureEditor().FileImage());
    unsaved_ = false;
    recovered_ = false;
  });
}

QString ShowFiles::DefaultSettingsPath() {
  return UserFile(QStandardPaths::AppConfigLocation, kSettingsFileName);
}

Result ShowFiles::OpenShow(const QString& path, bool fromFirstScene) {
  if (!QFileInfo::exists(path)) return Result::Fail("Файл не существует !");
  ShowState& show = console_.show_;
  Result result;
  {
    // The whole image is read and checked before it replaces the show: a failed open leaves
    // the show, the file names and the undo state as they were.
    ShowReplaceGuard replacing(show);
    result = LoadShowFile(path.toStdString(), show.memory);
    if (result.ok && fromFirstScene) show.memory.Set(kCurrentStep, 0);
  }
  if (!result.ok) return result;
  openDialogFileName_ = path;
  saveDialogFileName_ = path;
  saveNameFromFile_ = true;
  show.showNamed = true;
  console_.Undo().Forget();
  console_.Replaced(ShowReplacement::Opened);
  emit FileNameChanged(path);
  return result;
}

Result ShowFiles::SaveShowAs(const QString& path) {
  ShowState& show = console_.show_;
  WriteIdentificationText(show.memory);
  const Result result =
      WriteFileAtomically(path.toStdString(), console_.PictureEditor().FileImage());
  // On failure the show keeps the name it had: a later "Сохранить Шоу" must not aim at a
  // path that just failed, nor may the settings remember it.
  if (!result.ok) return result;
  saveDialogFileName_ = path;
  saveNameFromFile_ = true;
  show.showNamed = true;
  Saved();
  emit FileNameChanged(path);
  emit ShowSavedAs();
  return result;
}

Result ShowFiles::SaveShow() {
  WriteIdentificationText(console_.show_.memory);
  const Result result =
      WriteFileAtomically(saveDialogFileName_.toStdString(), console_.PictureEditor().FileImage());
  if (result.ok) Saved();
  return result;
}

void ShowFiles::Saved() {
  // The show is in its file: nothing is left to recover.
  RemoveRecovery();
  recoveryTimer_.stop();
  recoveryWritten_ = ImageBytes(console_.PictureEditor().FileImage());
  unsaved_ = false;
  recovered_ = false;
}

// ---------------------------------------------------------------- crash recovery

QString ShowFiles::RecoveryPath() const {
  return QFileInfo(autosavePath_).dir().filePath(QString::fromLatin1(kRecoveryFile));
}

QString ShowFiles::RecoveryNamePath() const {
  return QFileInfo(autosavePath_).dir().filePath(QString::fromLatin1(kRecoveryNameFile));
}

QString ShowFiles::DefaultRecoveryPath() {
  return UserFile(QStandardPaths::AppDataLocation, kRecoveryFile);
}

void ShowFiles::NoteChange() {
  unsaved_ = true;
  // Armed, not restarted: a long drag is saved while it goes on.
  if (!recoveryTimer_.isActive()) recoveryTimer_.start();
}

Result ShowFiles::WriteRecovery() {
  const QByteArray image = ImageBytes(console_.PictureEditor().FileImage());
  if (image == recoveryWritten_) return Result::Ok();
  MakeFolderFor(RecoveryPath());
  // The name first: the image, written last, is the newer of the two.
  const QByteArray name =
      (console_.show_.showNamed && saveNameFromFile_) ? saveDialogFileName_.toUtf8() : QByteArray();
  Result result = WriteFileAtomically(RecoveryNamePath().toStdString(), Bytes(name));
  if (result.ok) result = WriteFileAtomically(RecoveryPath().toStdString(), Bytes(image));
  if (result.ok) recoveryWritten_ = image;
  return result;
}

void ShowFiles::RemoveRecovery() {
  QFile::remove(RecoveryPath());
  QFile::remove(RecoveryNamePath());
}

bool ShowFiles::RecoveryWaiting() const {
  const QFileInfo recovery(RecoveryPath());
  if (!recovery.exists()) return false;
  const QFileInfo show(ReadRecoveryName(RecoveryNamePath()));
  if (show.filePath().isEmpty() || !show.exists()) return true;
  return recovery.lastModified() > show.lastModified();
}

Result ShowFiles::OpenRecovery() {
  ShowState& show = console_.show_;
  Result result;
  {
    ShowReplaceGuard replacing(show);
    result = LoadShowFile(RecoveryPath().toStdString(), show.memory);
  }
  if (!result.ok) return result;
  const QString name = ReadRecoveryName(RecoveryNamePath());
  if (!name.isEmpty()) {
    openDialogFileName_ = name;
    saveDialogFileName_ = name;
    saveNameFromFile_ = true;
  }
  show.showNamed = !name.isEmpty();
  console_.Undo().Forget();
  console_.Replaced(ShowReplacement::Opened);
  // The recovered changes are in no show file: the recovery file keeps them until a save.
  recoveryWritten_ = ImageBytes(console_.PictureEditor().FileImage());
  unsaved_ = true;
  recovered_ = true;
  emit FileNameChanged(saveDialogFileName_);
  return result;
}

QString ShowFiles::SetRecoveryAside() {
  const QFileInfo recovery(RecoveryPath());
  const QString stamp = recovery.lastModified().toString(QStringLiteral("yyyy-MM-dd-HHmm"));
  QString base = QStringLiteral("Kalvo.recovery-") + stamp;
  for (int n = 2; recovery.dir().exists(base + QStringLiteral(".klv")); ++n)
    base = QStringLiteral("Kalvo.recovery-%1-%2").arg(stamp).arg(n);
  const QString aside = recovery.dir().filePath(base + QStringLiteral(".klv"));
  QFile::rename(RecoveryPath(), aside);
  QFile::rename(RecoveryNamePath(), recovery.dir().filePath(base + QStringLiteral(".name")));
  return aside;
}

Result ShowFiles::Autosave() {
  MakeFolderFor(autosavePath_);
  return WriteFileAtomically(autosavePath_.toStdString(), console_.PictureEditor().FileImage());
}

void ShowFiles::ReadIniFile() {
  const Settings settings = ReadSettings(settingsPath_.toStdString());
  conveyorFiles_ = settings.conveyorFiles;
  conveyorTicks_ = settings.conveyorTicks;
  lastPathRead_ = QString::fromStdString(settings.lastPath);
  openDialogFileName_ = lastPathRead_;
  remoteSettings_ = settings.remote;
  soundSettings_ = settings.sound;
  // A universe given on the command line wins over the remembered choice.
  if (olaUniverseOption_ == 0) {
    console_.Ola().SetUniverse(static_cast<unsigned>(settings.olaUniverse));
    console_.Ola().SetEnabled(settings.olaEnabled);
  }
  emit SettingsRead();
}

Result ShowFiles::WriteIniFile() {
  Settings settings;
  settings.conveyorFiles = conveyorFiles_;
  for (int k = 1; k <= kConveyorFiles; ++k)
    settings.conveyorTicks[k - 1] = console_.Runner().ConveyorState().Down(k);
  settings.olaEnabled = console_.Ola().Enabled();
  settings.olaUniverse = static_cast<int>(console_.Ola().Universe());
  settings.remote = remoteSettings_;
  settings.sound = soundSettings_;
  // Only a show that has a file name is remembered; the placeholder "Unit_001" of a show
  // never opened or saved would make every later start report a missing file.
  settings.lastPath = (console_.show_.showNamed && saveNameFromFile_)
                          ? saveDialogFileName_.toStdString()
                          : lastPathRead_.toStdString();
  MakeFolderFor(settingsPath_);
  return WriteSettings(settingsPath_.toStdString(), settings);
}

void ShowFiles::SetConveyorFile(int slot, const QString& path) {
  if (slot < 1 || slot > kConveyorFiles) return;
  conveyorFiles_[slot - 1] = path.toStdString();
}

}  // namespace kalvetro
