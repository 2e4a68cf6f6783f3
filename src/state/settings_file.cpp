#include "state/settings_file.h"

#include <windows.h>

#include <optional>
#include <string>

#include "common/data_folder.h"
#include "common/handles.h"
#include "common/whole_file.h"
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
    const UniqueFile file = OpenForReading(path);
    if (!file) {
        // Only a missing file means defaults; one that exists but cannot be opened (locked, or a
        // folder of that name) must not be replaced by them.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    const std::optional<std::string> bytes = ReadWholeFile(file.get(), kMaxSettingsFileBytes);
    return bytes && ParseSettings(*bytes, state);
}

bool SaveSettings(const AppState& state) {
    const std::wstring path = SettingsPath();
    if (path.empty()) return false;
    const std::optional<std::string> bytes = SerializeSettings(state);
    if (!bytes) return false;
    return AtomicWrite(path, *bytes);
}
