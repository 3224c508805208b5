// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShowHistory.h"

#include <algorithm>

#include "app/Console.h"
#include "app/PictureEditorSession.h"

namespace kalvetro {

namespace {

// Changed bytes closer than this join one range: fewer ranges, a few unchanged bytes more.
// Only past the header, whose few bytes include the ones the history takes as they are.
constexpr int kJoinGap = 8;
// The bookkeeping of one step beside its bytes.
constexpr std::size_t kStepOverhead = 96;

}  // namespace

std::size_t ShowHistory::Step::Size() const {
  return kStepOverhead + ranges.capacity() * sizeof(std::uint32_t) + bytes.capacity() +
         static_cast<std::size_t>(name.capacity()) * 2;
}

ShowHistory::ShowHistory(Console& console) : console_(console) {
  setObjectName(QStringLiteral("ShowHistory"));
  remoteTimer_.setSingleShot(true);
  remoteTimer_.setInterval(kRemoteStepMs);
  connect(&remoteTimer_, &QTimer::timeout, this, &ShowHistory::RecordRemote);
}

void ShowHistory::ReadImage(Image& image) const {
  image = console_.PictureEditor().FileImage();
}

void ShowHistory::Start() {
  steps_.clear();
  position_ = 0;
  keptBytes_ = 0;
  held_ = false;
  remoteWaiting_ = false;
  remoteTimer_.stop();
  ReadImage(image_);
  emit Changed();
}

ShowHistory::Step ShowHistory::Difference(const Image& before, const Image& after,
                                          const QString& name) {
  Step step;
  step.name = name;
  int k = 0;
  while (k < kShowFileSize) {
    if (before[k] == after[k]) {
      ++k;
      continue;
    }
    const int start = k;
    int end = k + 1;  // one past the last changed byte of the range
    for (int j = end; j < kShowFileSize; ++j) {
      if (before[j] != after[j]) {
        end = j + 1;
      } else if (j - end >= kJoinGap || j < kRateRow) {
        break;
      }
    }
    step.ranges.push_back(static_cast<std::uint32_t>(start));
    step.ranges.push_back(static_cast<std::uint32_t>(end - start));
    step.bytes.insert(step.bytes.end(), before.begin() + start, before.begin() + end);
    k = end;
  }
  step.ranges.shrink_to_fit();
  step.bytes.shrink_to_fit();
  return step;
}

QString ShowHistory::NameOf(const Step& step) {
  bool levels = false, names = false, pictures = false, selection = false, rates = false;
  bool colour = false, scene = false, sceneList = false, tempo = false, automat = false;
  bool settings = false;
  for (std::size_t r = 0; r < step.ranges.size(); r += 2) {
    const int first = static_cast<int>(step.ranges[r]);
    const int last = first + static_cast<int>(step.ranges[r + 1]) - 1;
    for (int k = first; k <= last; ++k) {
      if (k >= kSceneRows) {
        levels = true;
        break;
      }
      if (k >= kSelectFlags && k < kUnusedArea) {
        selection = true;
      } else if (k >= kStaticPictures && k < kSelectFlags) {
        pictures = true;
      } else if (k >= kChannelNames && k < kStaticPictures) {
        names = true;
      } else if ((k >= kRateRow && k < kChannelNames) || k == kRateStep) {
        rates = true;
      } else if (k >= kColourOn && k <= kColourBlue) {
        colour = true;
      } else if (k == kCurrentStep) {
        scene = true;
      } else if (k == kLastScene) {
        sceneList = true;
      } else if (k == kTempo) {
        tempo = true;
      } else if (k >= kAutomat1 && k < kAutomat2 + 5) {
        automat = true;
      } else {
        settings = true;
      }
    }
  }
  if (sceneList || (levels && scene)) return QString::fromUtf8(kStepSceneList);
  const std::pair<bool, const char*> kinds[] = {
      {levels, kStepLevels},    {pictures, kStepPicture},    {names, kStepChannelName},
      {rates, kStepRate},       {selection, kStepSelection}, {colour, kStepColour},
      {tempo, kStepTempo},      {automat, kStepAutomat},     {scene, kStepScene},
      {settings, kStepSettings}};
  for (const auto& [changed, name] : kinds)
    if (changed) return QString::fromUtf8(name);
  return QString::fromUtf8(kStepSettings);
}

bool ShowHistory::Record(const QString& step) {
  // What the views write back while they reload after an undo is no step of its own.
  if (swapping_ || depth_ > 0) return false;
  if (remoteDepth_ > 0 && !recordingRemote_) {
    remoteWaiting_ = true;
    return false;
  }
  if (!recordingRemote_) RecordRemote();
  ReadImage(scratch_);
  // The identification text is written by every save, and the played scene moves on its own
  // while the show plays: neither is a change the operator made.
  std::copy_n(scratch_.begin(), kHeaderTextLength, image_.begin());
  if (console_.Playing()) image_[kCurrentStep] = scratch_[kCurrentStep];
  if (scratch_ == image_) return false;

  DropRedo();
  Step changed = Difference(image_, scratch_, step);
  if (changed.name.isEmpty()) changed.name = NameOf(changed);
  Step* top = steps_.empty() ? nullptr : &steps_.back();
  const bool joins = top && top->name == changed.name &&
                     (top->open || changed.name == QString::fromUtf8(kStepScene) ||
                      (recordingRemote_ && top->remote && sinceRemote_.isValid() &&
                       sinceRemote_.elapsed() < kRemoteJoinMs));
  if (joins) {
    // The image before the step on top, then its difference with the show now.
    Image& before = image_;
    for (std::size_t r = 0, at = 0; r < top->ranges.size(); r += 2) {
      std::copy_n(top->bytes.begin() + static_cast<std::ptrdiff_t>(at), top->ranges[r + 1],
                  before.begin() + top->ranges[r]);
      at += top->ranges[r + 1];
    }
    Step joined = Difference(before, scratch_, changed.name);
    joined.open = top->open;
    joined.remote = top->remote;
    keptBytes_ -= top->Size();
    steps_.pop_back();
    --position_;
    if (!joined.ranges.empty()) Push(std::move(joined));
  } else {
    if (top) top->open = false;
    changed.open = held_;
    changed.remote = recordingRemote_;
    Push(std::move(changed));
  }
  if (recordingRemote_) sinceRemote_.start();
  image_ = scratch_;
  emit Changed();
  emit Stepped();
  return true;
}

void ShowHistory::Push(Step step) {
  keptBytes_ += step.Size();
  steps_.push_back(std::move(step));
  ++position_;
  while (steps_.size() > 1 &&
         (static_cast<int>(steps_.size()) > kMaxSteps || keptBytes_ > kMaxBytes)) {
    keptBytes_ -= steps_.front().Size();
    steps_.pop_front();
    --position_;
  }
}

void ShowHistory::DropRedo() {
  while (static_cast<int>(steps_.size()) > position_) {
    keptBytes_ -= steps_.back().Size();
    steps_.pop_back();
  }
}

void ShowHistory::BeginStep() {
  // An edit's step holds the edit alone: what a remote changed before it is its own step.
  if (remoteDepth_ == 0 && depth_ == 0) RecordRemote();
  ++depth_;
}

void ShowHistory::EndRemote() {
  if (remoteDepth_ > 0) --remoteDepth_;
  if (remoteDepth_ == 0 && remoteWaiting_ && !remoteTimer_.isActive()) remoteTimer_.start();
}

void ShowHistory::RecordRemote() {
  if (!remoteWaiting_) return;
  remoteTimer_.stop();
  remoteWaiting_ = false;
  recordingRemote_ = true;
  Record();
  recordingRemote_ = false;
}

void ShowHistory::EndStep(const QString& step) {
  if (depth_ > 0) --depth_;
  if (depth_ == 0) Record(step);
}

void ShowHistory::Hold() {
  held_ = true;
}

void ShowHistory::Release() {
  Record();
  held_ = false;
  if (!steps_.empty()) steps_.back().open = false;
}

void ShowHistory::Swap(Step& step) {
  ShowMemory& memory = console_.show_.memory;
  {
    // The tick sends no frame that is half before and half after the step.
    ShowReplaceGuard replacing(console_.show_);
    for (std::size_t r = 0, at = 0; r < step.ranges.size(); r += 2) {
      const int offset = static_cast<int>(step.ranges[r]);
      for (std::uint32_t k = 0; k < step.ranges[r + 1]; ++k, ++at) {
        const std::uint8_t now = memory.Get(offset + static_cast<int>(k));
        memory.Set(offset + static_cast<int>(k), step.bytes[at]);
        image_[offset + k] = step.bytes[at];
        step.bytes[at] = now;
      }
    }
  }
  // The views reload the show; what they write back while doing so is the show as it stands.
  swapping_ = true;
  console_.Replaced(ShowReplacement::Restored);
  console_.Announce(ShowEdit::Everything());
  swapping_ = false;
  // What they write back while doing so (a channel name read is laid out anew) is put back as
  // the step left it: undo and redo give the show byte for byte as it was.
  ReadImage(scratch_);
  const bool playing = console_.Playing();
  ShowReplaceGuard replacing(console_.show_);
  for (int k = kHeaderTextLength; k < kShowFileSize; ++k) {
    if (playing && k == kCurrentStep) continue;
    if (scratch_[k] != image_[k]) memory.Set(k, image_[k]);
  }
}

bool ShowHistory::Undo() {
  if (console_.PictureEditor().IsOpen()) return false;
  Release();
  if (!CanUndo()) return false;
  Swap(steps_[static_cast<std::size_t>(--position_)]);
  emit Changed();
  emit Stepped();
  return true;
}

bool ShowHistory::Redo() {
  if (console_.PictureEditor().IsOpen()) return false;
  // A change not yet recorded is newer than the steps undone: it takes their place.
  Release();
  if (!CanRedo()) return false;
  Swap(steps_[static_cast<std::size_t>(position_++)]);
  emit Changed();
  emit Stepped();
  return true;
}

QString ShowHistory::UndoName() const {
  return CanUndo() ? steps_[static_cast<std::size_t>(position_ - 1)].name : QString();
}

QString ShowHistory::RedoName() const {
  return CanRedo() ? steps_[static_cast<std::size_t>(position_)].name : QString();
}

}  // namespace kalvetro
