#include "common/data_folder.h"

#include <windows.h>
#include <knownfolders.h>

#include "common/shell_services.h"

std::wstring DataFolder() {
    std::wstring folder = KnownFolderPath(FOLDERID_LocalAppData);
    if (folder.empty()) return {};
    folder += L"\\Lumenfold";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}
