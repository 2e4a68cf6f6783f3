#include "common/activity_log.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "common/data_folder.h"
#include "common/log_line.h"

namespace {

constexpr ULONGLONG kRotateAbove = 1048576;

std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

void RotateIfLarge(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) return;
    const ULONGLONG size = (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > kRotateAbove) MoveFileExW(path.c_str(), (path + L".previous").c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

void LogActivity(std::string_view message) noexcept {
    try {
        std::lock_guard guard(LogLock());
        const std::wstring folder = DataFolder();
        if (folder.empty()) return;
        const std::wstring path = folder + L"\\activity.log";
        RotateIfLarge(path);
        // Text mode: each line ends with CR LF on disk.
        FILE* file = _wfopen(path.c_str(), L"a");
        if (!file) return;
        SYSTEMTIME now{};
        GetSystemTime(&now);
        const std::string line = LogLine({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, message);
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    } catch (...) {
        // Logging never fails visibly.
    }
}
