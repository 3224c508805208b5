// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShowFiles.h"
#include "app/PictureEditorSession.h"
#include "app/ShowUndo.h"
#include "output/OlaSink.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/Console.h"
#include "app/ShowRunner.h"

namespace kalvetro {

namespace {

QString UserFile(QStandardPaths::StandardLocation location, const char* name) {
  return QDir(QStandardPaths::writableLocation(location)).filePath(QString::fromUtf8(name));
}

bool MakeFolderFor(const QString& file) {
  return QDir().mkpath(QFileInfo(file).absolutePath());
}

}  // namespace

ShowFiles::ShowFiles(Console& console, const StartOptions& options)
    : console_(console),
      olaUniverseOption_(options.olaUniverse),
      soundInputOption_(options.soundInput),
      settingsPath_(options.settingsFile.isEmpty() ? DefaultSettingsPath() : options.settingsFile),
      autosavePath_(options.autosaveFile.isEmpty()
                        ? UserFile(QStandardPaths::AppDataLocation, "ShouTemp.klv")
                        : options.autosaveFile) {}

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
  emit FileNameChanged(path);
  emit ShowSavedAs();
  return result;
}

Result ShowFiles::SaveShow() {
  WriteIdentificationText(console_.show_.memory);
  return WriteFileAtomically(saveDialogFileName_.toStdString(),
                             console_.PictureEditor().FileImage());
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
