#pragma once
// Files read and written whole.
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "common/handles.h"

// Opened for reading beside editors, sync and backup programs that keep it open for writing or
// renaming.
UniqueFile OpenForReading(const std::wstring& path);

// The whole of an opened file; nothing when it is larger than `limit` or cannot be read to its end.
std::optional<std::string> ReadWholeFile(HANDLE file, std::size_t limit);

// Creates or truncates the file, writes every byte and flushes it to the disk.
bool WriteFlushedFile(const std::wstring& path, const void* data, std::size_t size);

// MoveFileExW, tried again for about a second while either file is busy: virus scanners and sync
// clients open files for a moment without delete sharing.
bool MoveWhenFree(const std::wstring& from, const std::wstring& to, DWORD flags);

// Replaces the file at `path` with `data` through a flushed ".tmp" sibling, so that a crash or a
// power loss leaves either the old file or the whole new one. False when anything failed; the old
// file is then intact.
bool AtomicWrite(const std::wstring& path, const std::string& data);
