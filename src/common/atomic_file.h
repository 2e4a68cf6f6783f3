#pragma once
// Files written whole or not at all.
#include <cstddef>
#include <string>

// Creates or truncates the file, writes every byte and flushes it to the disk.
bool WriteFlushedFile(const std::wstring& path, const void* data, std::size_t size);

// Replaces the file at `path` with `data` through a flushed ".tmp" sibling, so that a crash or a
// power loss leaves either the old file or the whole new one. False when anything failed; the old
// file is then intact.
bool AtomicWrite(const std::wstring& path, const std::string& data);
