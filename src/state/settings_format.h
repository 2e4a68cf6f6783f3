#pragma once
// The bytes of "settings.json" and back, without touching files: the Windows side reads and writes
// the file and hands the bytes over. Loading is strict and all-or-nothing, because a file we do not
// fully understand must never be replaced by defaults.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "state/app_state.h"

// A real file with the most skylights we accept is far smaller; anything larger is refused unread.
inline constexpr std::size_t kMaxSettingsFileBytes = 16 * 1024 * 1024;

// Fills the persisted fields of `state` (background brightness, text scale, capture exclusion, following
// the active window, stepping aside, the reveal key's text, skylights) from the file's bytes and sets the mode from the list (Shaded when
// empty, Skylights otherwise). Returns false, with `state` untouched, when the bytes are not an
// acceptable settings file. One leading UTF-8 byte order mark is allowed, as Windows editors write
// one; the writer never does.
bool ParseSettings(std::string_view bytes, AppState& state) noexcept;

// The file's bytes for `state`: two-space pretty print, keys in byte order, LF line ends, no final
// line end. Empty when the state could not be written or would not load back (more skylights than
// accepted, an empty rectangle, an unknown shape).
std::optional<std::string> SerializeSettings(const AppState& state) noexcept;

// Where the file keeps a skylight: where it stood before a refit kept in memory only, until the
// user moves or resizes it (then where the user put it).
Rect StoredBounds(const SkylightRegion& skylight);

// Fits every skylight onto the displays from where the file keeps it. A `held` refit is kept in
// memory only: a monitor missing for a while must not move the stored layout. True when a place
// the file keeps changed.
bool RefitSkylights(std::vector<SkylightRegion>& skylights, const std::function<Rect(const Rect&)>& fit, bool held);
