#include "common/clipboard.h"

#include <cstring>

#include "common/handles.h"

namespace {

// Clipboard history, remote desktop and the like open the clipboard for a moment after every
// change: a busy clipboard is waited for briefly before the copy counts as failed.
bool OpenClipboardPatiently(HWND owner) {
    const ULONGLONG deadline = GetTickCount64() + 250;
    while (!OpenClipboard(owner)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
    return true;
}

}  // namespace

bool CopyText(HWND owner, const std::wstring& text) {
    // Windows leaves a clipboard opened without a window ownerless after EmptyClipboard, and then
    // refuses SetClipboardData: an ownerless caller borrows a message-only window of ours.
    UniqueWindow borrowed;
    if (!owner) {
        borrowed.reset(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        if (!borrowed) return false;
        owner = borrowed.get();
    }
    if (!OpenClipboardPatiently(owner)) return false;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (!target) {
        if (memory) GlobalFree(memory);
        CloseClipboard();
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    // Emptied only now, so a failed allocation leaves the old contents in place.
    if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        CloseClipboard();
        return false;
    }
    CloseClipboard();
    return true;
}

void CopyableError(HWND owner, const std::wstring& message) {
    const std::wstring text = message + L"\n\n点击确定复制完整信息。 / OK copies this information.";
    // A box without an owner would open under the topmost overlay, where nobody sees it.
    const UINT placement = owner ? 0u : static_cast<UINT>(MB_TOPMOST | MB_SETFOREGROUND);
    if (MessageBoxW(owner, text.c_str(), L"Lumenfold · 信息 / Information",
                    MB_OKCANCEL | MB_ICONWARNING | placement) == IDOK)
        CopyText(owner, message);
}
