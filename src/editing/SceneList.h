// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "show/ShowState.h"

namespace kalvetro {

// Operations on the list of scenes of the open show. The current scene is byte 131, the last
// scene of the show byte 132; a scene row is the 256 bytes of SceneRowOffset(s), byte 0
// included. None of these takes the undo copy or looks at the playing flag: the commands do.

// The one undo copy: the whole store, header, rates, names, pictures, selection and scenes.
void TakeUndoCopy(ShowState& show);
void RestoreUndoCopy(ShowState& show);

// Opens a new scene after the current one and makes it current: the rows above move up by one
// (the old row 255 is lost), channels 1..255 of the new row copy the scene it follows, and the
// show grows by one scene (not beyond 256). Nothing happens on scene 255.
void InsertSceneAfterCurrent(ShowState& show);

// Removes the current scene: the rows above move down by one and row 255 becomes empty. The
// current scene steps back when it was the last one (or beyond it); the show shrinks by one
// scene but never below one.
void DeleteCurrentScene(ShowState& show);

// Copies the previous scene's row over the current one; nothing on scene 0.
void CopyPreviousScene(ShowState& show);

// Sets every byte of the current scene's row to 0.
void ClearCurrentScene(ShowState& show);

// The current scene's row into the paste buffer, and back.
void SaveToPaste(ShowState& show);
void LoadFromPaste(ShowState& show);

// Automatic adding: when the current scene lies beyond the last scene, it becomes a copy of
// the row before it and the new last scene. Returns whether the show grew.
bool AddSceneBeyondLast(ShowState& show);

}  // namespace kalvetro
