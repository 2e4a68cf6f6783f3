#include "cleanup/old_versions.h"

#include <commctrl.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string_view>
#include <utility>

#include "common/clipboard.h"
#include "common/handles.h"
#include "common/shell_services.h"

namespace {

constexpr const wchar_t* kIdentity[][2] = {
    {L"ProductName", L"Lumenfold"},
    {L"CompanyName", L"Lumenfold"},
    {L"OriginalFilename", L"Lumenfold.exe"},
};

// FOF_WANTNUKEWARNING: where a file cannot go to the Recycle Bin (a network Desktop, a drive without
// a bin, a full or disabled bin, a file too large for it) the user is asked before it is deleted for
// good, which FOF_NOCONFIRMATION alone would do silently.
constexpr DWORD kOperationFlags =
    FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_WANTNUKEWARNING | FOFX_RECYCLEONDELETE | FOFX_EARLYFAILURE;
constexpr FILEOP_FLAGS kFallbackFlags =
    FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;

bool IsReparsePoint(const std::wstring& path) {
    // Unreadable attributes come back as all bits set, so they count as a reparse point too.
    return (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Told by the shell where the deleted item went: PostDeleteItem names its new place in the Recycle
// Bin, or none when the item was deleted for good.
class DeleteProgress final : public IFileOperationProgressSink {
public:
    bool deleted = false;
    bool intoBin = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IFileOperationProgressSink);
        *object = known ? static_cast<IFileOperationProgressSink*>(this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    // Lives on the stack; the operation that holds it is released first.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT result, IShellItem* newlyCreated) override {
        deleted = SUCCEEDED(result);
        intoBin = deleted && newlyCreated;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

struct Removal {
    bool deleted = false;  // the shell reported the file deleted, nothing aborted
    bool intoBin = false;  // and it went to the Recycle Bin
};

long long BinItems(const std::wstring& path) {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinW(path.c_str(), &info)) ? info.i64NumItems : -1;
}

// Wine 8's IFileOperation is a stub that answers E_NOTIMPL; SHFileOperationW recycles there. It does
// not say where the file went, so only a bin that holds one item more counts as recycled.
Removal RecycleWithSHFileOperation(HWND owner, const std::wstring& path) {
    std::wstring from = path;
    from.push_back(L'\0');  // a list of names, ended by an empty one
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = kFallbackFlags;
    const long long before = BinItems(path);
    const bool deleted = SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
    return {deleted, deleted && before >= 0 && BinItems(path) > before};
}

// What the shell reported for the file. One operation object per file, so one failure does not reach
// the others.
Removal Recycle(HWND owner, const std::wstring& path) {
    IFileOperation* created = nullptr;
    HRESULT result = CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                                      reinterpret_cast<void**>(&created));
    UniqueCom<IFileOperation> operation(SUCCEEDED(result) ? created : nullptr);
    UniqueCom<IShellItem> item;
    DeleteProgress progress;
    DWORD cookie = 0;
    BOOL aborted = TRUE;  // a failure to answer counts as aborted
    if (operation) {
        result = operation.get()->SetOwnerWindow(owner);
        if (SUCCEEDED(result)) result = operation.get()->SetOperationFlags(kOperationFlags);
        if (SUCCEEDED(result)) result = operation.get()->Advise(&progress, &cookie);
        if (SUCCEEDED(result)) {
            IShellItem* shellItem = nullptr;
            result = SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem,
                                                 reinterpret_cast<void**>(&shellItem));
            item.reset(SUCCEEDED(result) ? shellItem : nullptr);
        }
        if (SUCCEEDED(result)) result = operation.get()->DeleteItem(item.get(), nullptr);
        if (SUCCEEDED(result)) result = operation.get()->PerformOperations();
        operation.get()->GetAnyOperationsAborted(&aborted);
        if (cookie != 0) operation.get()->Unadvise(cookie);
    }
    item.reset();
    operation.reset();
    if (result == E_NOTIMPL) return RecycleWithSHFileOperation(owner, path);
    return {SUCCEEDED(result) && !aborted && progress.deleted, progress.intoBin};
}

// Right before recycling, every file is judged again: it may have started, been replaced, or a folder
// on its path may have been swapped for a link to another copy while the dialog was open. What the
// path leads to now must be the very file the scan listed.
Outcome Recheck(HWND owner, const Candidate& candidate, const RunningFiles& running) {
    Version now;
    if (!ReadVersion(candidate.path, now) || now.value != candidate.version) return Outcome::Skipped;
    if (IsReparsePoint(candidate.path)) return Outcome::Skipped;
    FileIdentity identity;
    if (!ReadIdentity(candidate.path, identity) || identity != candidate.identity || running.contains(identity.Key()))
        return Outcome::Skipped;
    const Removal removal = Recycle(owner, candidate.path);
    return RecycleOutcome(removal.deleted, removal.intoBin, Exists(candidate.path));
}

bool Confirm(HWND owner, const std::wstring& content) {
    const TASKDIALOG_BUTTON buttons[] = {{kConfirmButtonId, kConfirmButtonText}, {kCopyButtonId, kCopyButtonText}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_SIZE_TO_CONTENT;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = kReviewTitle;
    config.pszMainInstruction = kReviewInstruction;
    config.pszContent = content.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = IDCANCEL;
    config.pfCallback = DialogCallback;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(content.c_str());
    int pressed = 0;
    return SUCCEEDED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)) && pressed == kConfirmButtonId;
}

std::wstring OwnPath() {
    std::wstring path(kPathBuffer, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), kPathBuffer);
    if (length == 0 || length >= kPathBuffer) return {};
    path.resize(length);
    return path;
}

}  // namespace

bool ReadVersion(const std::wstring& path, Version& version) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size < 1 || size > kMaxVersionBlock) return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return false;
    for (const auto& [key, required] : kIdentity) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return false;
        const auto* text = static_cast<const wchar_t*>(value);
        if (std::wstring_view(text, wcsnlen(text, length)) != required) return false;
    }
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return false;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (fixed->dwSignature != 0xFEEF04BD) return false;
    version = VersionFromFixed(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    return true;
}

bool ReadIdentity(const std::wstring& path, FileIdentity& identity, bool followLink) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    FILE_ID_INFO id{};
    BY_HANDLE_FILE_INFORMATION basic{};
    if (GetFileInformationByHandleEx(file.get(), FileIdInfo, &id, sizeof id)) {
        identity.volume = id.VolumeSerialNumber;
        std::memcpy(identity.id.data(), id.FileId.Identifier, identity.id.size());
    } else if (GetFileInformationByHandle(file.get(), &basic)) {  // file systems without 128-bit IDs
        identity.volume = basic.dwVolumeSerialNumber;
        identity.id = {};
        const uint64_t index = uint64_t{basic.nFileIndexHigh} << 32 | basic.nFileIndexLow;
        std::memcpy(identity.id.data(), &index, sizeof index);
    } else {
        return false;
    }
    identity.finalPath.assign(kPathBuffer, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(file.get(), identity.finalPath.data(), kPathBuffer, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= kPathBuffer) return false;
    identity.finalPath.resize(length);
    return true;
}

RunningFiles RunningImages() {
    RunningFiles images;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return images;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    std::wstring path(kPathBuffer, L'\0');
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        DWORD length = kPathBuffer;
        FileIdentity identity;
        // The image path is spelled as the process was started (an 8.3 name, any letter case): its
        // file's ID is what compares.
        if (process && QueryFullProcessImageNameW(process.get(), 0, path.data(), &length) &&
            ReadIdentity(std::wstring(path.data(), length), identity, true))
            images.insert(identity.Key());
    }
    return images;
}

void Scan(const std::wstring& folder, int depth, uint64_t ownVersion, const RunningFiles& running,
          std::vector<Candidate>& candidates, long& budget) {
    // Junctions and symbolic links are never followed; a missing folder stops here too.
    if (IsReparsePoint(folder)) return;
    // An installed copy lives here: it and everything below it stay.
    if (Exists(folder + L"\\Uninstall Lumenfold.exe")) return;
    WIN32_FIND_DATAW entry{};
    UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find) return;
    do {
        if (budget < 1) return;
        --budget;
        const std::wstring name = entry.cFileName;
        if (name.starts_with(L".") || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::wstring path = folder + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth > 0) Scan(path, depth - 1, ownVersion, running, candidates, budget);
            continue;
        }
        FileIdentity identity;
        if (!IsExaminedName(name) || !ReadIdentity(path, identity) || running.contains(identity.Key())) continue;
        Version version;
        if (ReadVersion(path, version) && version.value < ownVersion)
            candidates.push_back({path, version.value, version.text, std::move(identity)});
    } while (FindNextFileW(find.get(), &entry));
}

Findings FindCandidates(const std::vector<std::wstring>& roots, uint64_t ownVersion, const RunningFiles& running) {
    Findings findings;
    long budget = kScanBudget;
    for (const std::wstring& root : roots) Scan(root, kScanDepth, ownVersion, running, findings.candidates, budget);
    SortAndDeduplicate(findings.candidates);
    findings.budgetExhausted = budget < 1;
    return findings;
}

HRESULT CALLBACK DialogCallback(HWND dialog, UINT notification, WPARAM wParam, LPARAM, LONG_PTR data) noexcept {
    if (notification != TDN_BUTTON_CLICKED || wParam != kCopyButtonId) return S_OK;
    try {
        CopyText(dialog, reinterpret_cast<const wchar_t*>(data));
    } catch (...) {
    }
    return S_FALSE;
}

void ReviewOldVersions(HWND owner) {
    const std::wstring ownPath = OwnPath();
    if (ownPath.empty()) return;
    Version own;
    // Without the own version no file can be judged older: nothing is scanned.
    if (!ReadVersion(ownPath, own)) {
        CopyableError(owner, kOwnVersionUnreadable);
        return;
    }
    std::vector<std::wstring> roots;
    for (const KNOWNFOLDERID* id : {&FOLDERID_Desktop, &FOLDERID_Downloads}) {
        if (std::wstring root = KnownFolderPath(*id); !root.empty()) roots.push_back(std::move(root));
    }
    const Findings findings = FindCandidates(roots, own.value, RunningImages());
    const std::wstring content = ReviewContent(own.text, findings.budgetExhausted, findings.candidates);
    if (findings.candidates.empty()) {
        CopyableError(owner, content);
        return;
    }
    if (!Confirm(owner, content)) return;
    // Programs may have started while the dialog was open.
    const RunningFiles running = RunningImages();
    std::wstring report;
    for (const Candidate& candidate : findings.candidates)
        report += ReportLine(Recheck(owner, candidate, running), candidate.path);
    CopyableError(owner, report);
}
