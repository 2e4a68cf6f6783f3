#include "common/data_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

std::wstring DataFolder() {
    PWSTR shellPath = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &shellPath);
    std::wstring folder;
    if (SUCCEEDED(result) && shellPath && *shellPath) folder = shellPath;
    // The shell may hand out a buffer even when it fails.
    CoTaskMemFree(shellPath);
    if (folder.empty()) return {};
    folder += L"\\Lumenfold";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}
