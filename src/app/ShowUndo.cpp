// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShowUndo.h"

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/SceneList.h"

namespace kalvetro {

void ShowUndo::SetAvailable(bool available) {
  available_ = available;
  emit AvailableChanged(available);
}

void ShowUndo::Take() {
  console_.ShowStatus(QStringLiteral("  данные сохранены "));
  SetAvailable(true);
  TakeUndoCopy(console_.show_);
}

void ShowUndo::Restore() {
  console_.ShowStatus(QStringLiteral(" данные возвращены "));
  SetAvailable(false);
  {
    ShowReplaceGuard replacing(console_.show_);
    RestoreUndoCopy(console_.show_);
  }
  console_.Replaced(ShowReplacement::Restored);
  console_.RecordStep(kStepRestore);
}

}  // namespace kalvetro
