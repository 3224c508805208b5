// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Console.h"

#include "app/PictureEditorSession.h"
#include "app/ShowFiles.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"
#include "app/ShowUndo.h"
#include "editing/SceneList.h"
#include "output/DmxLink.h"
#include "output/OlaSink.h"
#include "output/RateScale.h"

namespace kalvetro {

Console::Console(const StartOptions& options, QObject* parent)
    : QObject(parent),
      link_(std::make_unique<DmxLink>(
          options.port.isEmpty() ? QString::fromLatin1(kDefaultPort) : options.port, titlePrefix_)),
      ola_(std::make_unique<OlaSink>()),
      undo_(std::make_unique<ShowUndo>(*this)),
      history_(std::make_unique<ShowHistory>(*this)),
      pictureEditor_(std::make_unique<PictureEditorSession>(*this)),
      files_(std::make_unique<ShowFiles>(*this, options)) {
  setObjectName(QStringLiteral("Console"));
  engine_.AddSink(link_.get());
  engine_.AddSink(ola_.get());
  engine_.AddSink(&watch_);
  if (options.olaUniverse > 0) {
    ola_->SetUniverse(static_cast<unsigned>(options.olaUniverse));
    ola_->SetEnabled(true);
  }
  // The network output says once when its daemon goes or comes back.
  connect(ola_.get(), &OlaSink::ConnectionChanged, this,
          [this](bool, const QString& text) { ShowStatus(text); });
  connect(link_.get(), &DmxLink::StatusMessage, this, &Console::ShowStatus);
  runner_ = new ShowRunner(*this);
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

void Console::BeginEdit(UndoCopy undo) {
  if (undo == UndoCopy::Take) undo_->Take();
}

void Console::RecordStep(const char* step) {
  history_->Record(step ? QString::fromUtf8(step) : QString());
}

void Console::BeginStep() {
  history_->BeginStep();
}

void Console::EndStep(const char* step) {
  history_->EndStep(step ? QString::fromUtf8(step) : QString());
}

bool Console::UndoStep() {
  return history_->Undo();
}

bool Console::RedoStep() {
  return history_->Redo();
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
  RecordStep(kStepSelection);
}

std::uint8_t Console::ChooseRate(int position) {
  emit RateChosen(position);
  return RateStep(position);
}

// ---------------------------------------------------------------- the show replaced

void Console::ClearAll() {
  {
    ShowReplaceGuard replacing(show_);
    ClearShowData(show_);
    // The tick starts its next frame dark; before it is published the previous one goes out.
    engine_.RequestDarkFrame();
  }
  undo_->Forget();
  Replaced(ShowReplacement::Emptied);
}

void Console::Replaced(ShowReplacement how) {
  // The undo copy is the same show: what the picture editor kept stays valid. Another show,
  // or an empty one, has nothing to do with it.
  if (how != ShowReplacement::Restored) pictureEditor_->Drop();
  emit ShowReplaced(how);
  RefreshAll();
  // Another show, or an empty one, starts its own history; a restore is a step of this one.
  if (how != ShowReplacement::Restored) history_->Start();
}

// ---------------------------------------------------------------- keyboard

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

}  // namespace kalvetro
