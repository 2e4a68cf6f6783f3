#pragma once
#include <string>

// The folder that holds every file the program writes: the user's local application data folder
// followed by "\Lumenfold", without a trailing backslash; created when missing. Empty when the
// local application data folder cannot be resolved: callers then touch no file at all, since any
// fallback location might hold someone else's files.
std::wstring DataFolder();
