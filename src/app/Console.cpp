// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Console.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/ShowRunner.h"
#include "editing/SceneList.h"
#include "output/RateScale.h"

namespace kalvetro {

namespace {

QString UserFile(QStandardPaths::StandardLocation location, const char* name) {
  return QDir(QStandardPaths::writableLocation(location)).filePath(QString::fromUtf8(name));
}

bool MakeFolderFor(const QString& file) {
  return QDir().mkpath(QFileInfo(file).absolutePath());
}

}  // namespace

Console::Console(const ConsoleOptions& options, QObject* parent)
    : QObject(parent), link_(options.port, titlePrefix_) {
  setObjectName(QStringLiteral("Console"));
  settingsPath_ = options.settingsFile.isEmpty() ? DefaultSettingsPath() : options.settingsFile;
  autosavePath_ = options.autosaveFile.isEmpty()
                      ? UserFile(QStandardPaths::AppDataLocation, "ShouTemp.klv")
                      : options.autosaveFile;
  engine_.AddSink(&link_);
  engine_.AddSink(&ola_);
  engine_.AddSink(&watch_);
  olaUniverseOption_ = options.olaUniverse;
  soundInputOption_ = options.soundInput;
  if (olaUniverseOption_ > 0) {
    ola_.SetUniverse(static_cast<unsigned>(olaUniverseOption_));
    ola_.SetEnabled(true);
  }
  // The network output says once when its daemon goes or comes back.
  connect(&ola_, &OlaSink::ConnectionChanged, this,
          [this](bool, const QString& text) { ShowStatus(text); });
  connect(&link_, &DmxLink::StatusMessage, this, &Console::ShowStatus);
  runner_ = new ShowRunner(*this);
}

QString Console::DefaultSettingsPath() {
  return UserFile(QStandardPaths::AppConfigLocation, kSettingsFileName);
}

Console::~Console() {
  // The tick reads the show and writes through the link: it ends before either goes.
  ticker_.Stop();
  // The runner's clocks use the show: the runner goes first.
  delete runner_;
  runner_ = nullptr;
}

void Console::StartOutput() {
  ticker_.Start(kOutputPeriod, [this] { engine_.Tick(); });
}

void Console::StopOutput() {
  ticker_.Stop();
}

// ---------------------------------------------------------------- refresh and status

void Console::RefreshAll() {
  // Every listener of the window-wide refresh reads the show and sets its controls from it,
  // so one pass leaves them as a second one would.
  emit ShowSettingsRefresh();
  emit PageRefresh();
}

void Console::ShowStatus(const QString& text) {
  emit StatusMessage(text);
}

void Console::Announce(ShowEdit changed) {
  if (changed.Has(ShowArea::Selection)) emit Changed(ShowArea::Selection);
  if (changed.Reshapes()) RefreshAll();
  for (ShowArea area : {ShowArea::Levels, ShowArea::Rates, ShowArea::Names, ShowArea::Pictures})
    if (changed.Has(area)) emit Changed(area);
}

// ---------------------------------------------------------------- selection and rates

void Console::SetSelected(int channel, bool selected) {
  if (channel < 1 || channel > 255) return;
  const std::uint8_t flag = selected ? 1 : 0;
  if (show_.memory.Get(kSelectFlags + channel) == flag) return;
  show_.memory.Set(kSelectFlags + channel, flag);
  emit Changed(ShowArea::Selection);
}

std::uint8_t Console::ChooseRate(int position) {
  emit RateChosen(position);
  return RateStep(position);
}

// ---------------------------------------------------------------- undo

void Console::SetUndoAvailable(bool available) {
  undoAvailable_ = available;
  emit UndoAvailableChanged(available);
}

void Console::TakeUndoCopy() {
  ShowStatus(QStringLiteral("  данные сохранены "));
  SetUndoAvailable(true);
  kalvetro::TakeUndoCopy(show_);
}

void Console::RestoreUndo() {
  ShowStatus(QStringLiteral(" данные возвращены "));
  SetUndoAvailable(false);
  {
    ShowReplaceGuard replacing(show_);
    RestoreUndoCopy(show_);
  }
  Replaced(ShowReplacement::Restored);
}

// ---------------------------------------------------------------- show files

void Console::ClearAll() {
  {
    ShowReplaceGuard replacing(show_);
    ClearShowData(show_);
    // The tick starts its next frame dark; before it is published the previous one goes out.
    engine_.RequestDarkFrame();
  }
  SetUndoAvailable(false);
  Replaced(ShowReplacement::Emptied);
}

FileResult Console::OpenShow(const QString& path, bool fromFirstScene) {
  if (!QFileInfo::exists(path)) return FileResult::Fail("Файл не существует !");
  FileResult result;
  {
    // The whole image is read and checked before it replaces the show: a failed open leaves
    // the show, the file names and the undo state as they were.
    ShowReplaceGuard replacing(show_);
    result = LoadShowFile(path.toStdString(), show_.memory);
    if (result.ok && fromFirstScene) show_.memory.Set(kCurrentStep, 0);
  }
  if (!result.ok) return result;
  openDialogFileName_ = path;
  saveDialogFileName_ = path;
  saveNameFromFile_ = true;
  show_.showNamed = true;
  SetUndoAvailable(false);
  Replaced(ShowReplacement::Opened);
  emit FileNameChanged(path);
  return result;
}

void Console::Replaced(ShowReplacement how) {
  // The undo copy is the same show: what the picture editor kept stays valid. Another show,
  // or an empty one, has nothing to do with it: closing the editor must not write the old
  // show's scene 0 into it.
  if (how != ShowReplacement::Restored && chaserArea_.held) {
    chaserArea_.Discard();
    SetChaserEditing(false);
  }
  emit ShowReplaced(how);
  RefreshAll();
}

std::array<std::uint8_t, kShowFileSize> Console::FileImage() const {
  std::array<std::uint8_t, kShowFileSize> image{};
  show_.memory.Read(0, image);
  if (chaserArea_.held) LayOutsideEditor(chaserArea_, image);
  return image;
}

FileResult Console::SaveShowAs(const QString& path) {
  WriteIdentificationText(show_.memory);
  const FileResult result = WriteFileAtomically(path.toStdString(), FileImage());
  // On failure the show keeps the name it had: a later "Сохранить Шоу" must not aim at a
  // path that just failed, nor may the settings remember it.
  if (!result.ok) return result;
  saveDialogFileName_ = path;
  saveNameFromFile_ = true;
  show_.showNamed = true;
  emit FileNameChanged(path);
  emit ShowSavedAs();
  return result;
}

FileResult Console::SaveShow() {
  WriteIdentificationText(show_.memory);
  return WriteFileAtomically(saveDialogFileName_.toStdString(), FileImage());
}

FileResult Console::Autosave() {
  MakeFolderFor(autosavePath_);
  return WriteFileAtomically(autosavePath_.toStdString(), FileImage());
}

void Console::ReadIniFile() {
  const Settings settings = ReadSettings(settingsPath_.toStdString());
  conveyorFiles_ = settings.conveyorFiles;
  conveyorTicks_ = settings.conveyorTicks;
  lastPathRead_ = QString::fromStdString(settings.lastPath);
  openDialogFileName_ = lastPathRead_;
  remoteSettings_ = settings.remote;
  soundSettings_ = settings.sound;
  // A universe given on the command line wins over the remembered choice.
  if (olaUniverseOption_ == 0) {
    ola_.SetUniverse(static_cast<unsigned>(settings.olaUniverse));
    ola_.SetEnabled(settings.olaEnabled);
  }
  emit SettingsRead();
}

FileResult Console::WriteIniFile() {
  Settings settings;
  settings.conveyorFiles = conveyorFiles_;
  for (int k = 1; k <= kConveyorFiles; ++k)
    settings.conveyorTicks[k - 1] = runner_->ConveyorState().Down(k);
  settings.olaEnabled = ola_.Enabled();
  settings.olaUniverse = static_cast<int>(ola_.Universe());
  settings.remote = remoteSettings_;
  settings.sound = soundSettings_;
  // Only a show that has a file name is remembered; the placeholder "Unit_001" of a show
  // never opened or saved would make every later start report a missing file.
  settings.lastPath = (show_.showNamed && saveNameFromFile_) ? saveDialogFileName_.toStdString()
                                                             : lastPathRead_.toStdString();
  MakeFolderFor(settingsPath_);
  return WriteSettings(settingsPath_.toStdString(), settings);
}

// ---------------------------------------------------------------- conveyor

void Console::SetConveyorFile(int slot, const QString& path) {
  if (slot < 1 || slot > kConveyorFiles) return;
  conveyorFiles_[slot - 1] = path.toStdString();
}

// ---------------------------------------------------------------- keyboard and picture editor

void Console::SetKeyPreview(bool on) {
  if (keyPreview_ == on) return;
  keyPreview_ = on;
  emit KeyPreviewChanged(on);
}

void Console::SetConveyorKeys(bool on) {
  if (conveyorKeys_ == on) return;
  conveyorKeys_ = on;
  emit ConveyorKeysChanged(on);
}

void Console::OpenPictureEditor() {
  OpenChaserEditor(show_, chaserArea_);
  SetChaserEditing(true);
  // Every strip tick goes off, the faders show the editor's empty row.
  Announce(ShowEdit(ShowArea::Selection) | ShowEdit::Reshaped() | ShowArea::Levels);
}

void Console::ClosePictureEditor() {
  CloseChaserEditor(show_, chaserArea_);
  SetChaserEditing(false);
  Announce(ShowEdit(ShowArea::Selection) | ShowEdit::Reshaped() | ShowArea::Levels |
           ShowArea::Rates);
}

void Console::SetChaserEditing(bool open) {
  if (chaserEditing_ == open) return;
  chaserEditing_ = open;
  emit ChaserEditingChanged(open);
}

}  // namespace kalvetro
