#include "common/whole_file.h"

#include <algorithm>

UniqueFile OpenForReading(const std::wstring& path) {
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::string> ReadWholeFile(HANDLE file, std::size_t limit) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > limit ||
        size.QuadPart > MAXDWORD)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool WriteFlushedFile(const std::wstring& path, const void* data, std::size_t size) {
    if (size > MAXDWORD) return false;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size &&
           FlushFileBuffers(file.get());
}

bool MoveWhenFree(const std::wstring& from, const std::wstring& to, DWORD flags) {
    const ULONGLONG deadline = GetTickCount64() + 1000;
    for (DWORD pause = 10;; pause = std::min<DWORD>(pause * 2, 100)) {
        if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
        // A file open without delete sharing refuses the move with the one or the other code
        // (the source with a sharing violation, a replaced target with access denied).
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || GetTickCount64() >= deadline)
            return false;
        Sleep(pause);
    }
}

bool AtomicWrite(const std::wstring& path, const std::string& data) {
    const std::wstring temporary = path + L".tmp";
    return WriteFlushedFile(temporary, data.data(), data.size()) &&
           MoveWhenFree(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
