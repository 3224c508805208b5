// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <array>
#include <cstdint>

#include "effects/StaticPictures.h"
#include "show/ShowFile.h"

namespace kalvetro {

class Console;

// The working state of the static picture editor: while it is open the show's scene 0, rates,
// step and selection are the editor's, and what they were is kept aside here.
class PictureEditorSession : public QObject {
  Q_OBJECT

 public:
  explicit PictureEditorSession(Console& console) : console_(console) {}

  bool IsOpen() const { return open_; }
  // Keeps scene 0, the rates, the step and the selection aside and gives the editor an empty
  // scene 0 and mask (the caller stops the show first). A second opening keeps what the first
  // one kept. The views refresh.
  void Open();
  // Puts back what the editor kept and ends its working state; the views refresh.
  void Close();
  // The show file image of the show as it stands outside the editor: saves write this, not
  // the editor's working state.
  std::array<std::uint8_t, kShowFileSize> FileImage() const;
  // Another show, or an empty one, replaced the show: what was kept belongs to the old show
  // and is dropped, so that closing the editor cannot write it into the new one.
  void Drop();

 signals:
  void OpenChanged(bool open);

 private:
  void SetOpen(bool open);

  Console& console_;
  bool open_ = false;
  ChaserSaveArea kept_;
};

}  // namespace kalvetro
