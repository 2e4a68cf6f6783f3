#pragma once
// "settings.json" in the data folder, read once at start and replaced atomically on every change.
#include "state/app_state.h"

// True when there is no file (the state keeps its defaults) or the whole file was accepted. False
// when a file exists that cannot be read or is not acceptable: the caller must not save over it.
bool LoadSettings(AppState& state);

// True when the new file is in place; the old file is untouched otherwise.
bool SaveSettings(const AppState& state);
