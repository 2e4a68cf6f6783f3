#pragma once
// Guards for bytes of outside origin (answers, cache and settings files) before they are parsed or
// shown.
#include <cstddef>
#include <string>
#include <string_view>

// Deeper than any document we read; the library copies, compares and writes documents recursively,
// so a deeper one could overflow a thread's stack.
inline constexpr std::size_t kMaxJsonDepth = 64;

// Whether no array or object in the JSON text opens more than `maxDepth` levels deep. Brackets in
// strings do not count; the text need not be valid JSON.
bool NestedWithin(std::string_view json, std::size_t maxDepth = kMaxJsonDepth);

// The text with every ill-formed UTF-8 sequence replaced by U+FFFD, so that it converts to UTF-16.
std::string LenientUtf8(std::string_view bytes);
