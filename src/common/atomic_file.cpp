#include "common/atomic_file.h"

#include <windows.h>

#include "common/handles.h"

bool WriteFlushedFile(const std::wstring& path, const void* data, std::size_t size) {
    if (size > MAXDWORD) return false;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size &&
           FlushFileBuffers(file.get());
}

bool AtomicWrite(const std::wstring& path, const std::string& data) {
    const std::wstring temporary = path + L".tmp";
    return WriteFlushedFile(temporary, data.data(), data.size()) &&
           MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
