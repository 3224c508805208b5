// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PictureEditorSession.h"

#include "app/Console.h"

namespace kalvetro {

void PictureEditorSession::Open() {
  OpenChaserEditor(console_.show_, kept_);
  SetOpen(true);
  // Every strip tick goes off, the faders show the editor's empty row.
  console_.Announce(ShowEdit(ShowArea::Selection) | ShowEdit::Reshaped() | ShowArea::Levels);
}

void PictureEditorSession::Close() {
  CloseChaserEditor(console_.show_, kept_);
  SetOpen(false);
  console_.Announce(ShowEdit(ShowArea::Selection) | ShowEdit::Reshaped() | ShowArea::Levels |
                    ShowArea::Rates);
}

std::array<std::uint8_t, kShowFileSize> PictureEditorSession::FileImage() const {
  std::array<std::uint8_t, kShowFileSize> image{};
  console_.show_.memory.Read(0, image);
  if (kept_.held) LayOutsideEditor(kept_, image);
  return image;
}

void PictureEditorSession::Drop() {
  if (!kept_.held) return;
  kept_.Discard();
  SetOpen(false);
}

void PictureEditorSession::SetOpen(bool open) {
  if (open_ == open) return;
  open_ = open;
  emit OpenChanged(open);
}

}  // namespace kalvetro
