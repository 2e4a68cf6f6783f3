#pragma once
#include <string_view>

// Appends one line to "activity.log" in the data folder. Best effort: a line that cannot be written
// is lost without a word. Safe to call from any thread.
void LogActivity(std::string_view message) noexcept;
