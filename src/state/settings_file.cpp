#include "state/settings_file.h"

#include <windows.h>

#include <optional>
#include <string>

#include "common/atomic_file.h"
#include "common/data_folder.h"
#include "common/handles.h"
#include "state/settings_format.h"

namespace {

std::wstring SettingsPath() {
    const std::wstring folder = DataFolder();
    return folder.empty() ? std::wstring() : folder + L"\\settings.json";
}

}  // namespace

bool LoadSettings(AppState& state) {
    const std::wstring path = SettingsPath();
    if (path.empty()) return false;
    // Editors, sync and backup programs keep the file open for writing or renaming; reading must
    // not fail beside them.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        // Only a missing file means defaults; one that exists but cannot be opened (locked, or a
        // folder of that name) must not be replaced by them.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxSettingsFileBytes)) return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return false;
    return ParseSettings(bytes, state);
}

bool SaveSettings(const AppState& state) {
    const std::wstring path = SettingsPath();
    if (path.empty()) return false;
    const std::optional<std::string> bytes = SerializeSettings(state);
    if (!bytes) return false;
    return AtomicWrite(path, *bytes);
}
