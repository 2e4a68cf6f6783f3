#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/data_folder.h"

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

std::vector<std::wstring> AnswerBoxesDuring(int button, const std::function<void()>& action) {
    std::atomic<bool> done{false};
    std::vector<std::pair<HWND, std::wstring>> answered;
    std::thread answer([&] {
        for (; !done; Sleep(10)) {
            for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", L"Lumenfold · 信息 / Information"));) {
                DWORD process = 0;
                GetWindowThreadProcessId(box, &process);
                if (process != GetCurrentProcessId() || !IsWindowVisible(box) ||
                    std::ranges::any_of(answered, [box](const auto& seen) { return seen.first == box; }))
                    continue;
                wchar_t text[1024] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message's static control
                answered.emplace_back(box, text);
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
            }
        }
    });
    action();
    done = true;
    answer.join();
    std::vector<std::wstring> texts;
    for (const auto& [box, text] : answered) texts.push_back(text);
    return texts;
}

std::filesystem::path DataFile(const char* name) { return std::filesystem::path(DataFolder()) / name; }

void RemoveSettingsFiles() {
    std::filesystem::remove_all(DataFile("settings.json"));
    std::filesystem::remove_all(DataFile("settings.json.tmp"));
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

UniqueWindow TestWindow(RECT rect, DWORD style) {
    return UniqueWindow(CreateWindowExW(0, L"STATIC", L"test window", style, rect.left, rect.top, rect.right - rect.left,
                                        rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr));
}

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

std::vector<uint32_t> Drawn(int width, int height, uint32_t background, const std::function<void(HDC)>& draw) {
    const BITMAPINFO info = TopDown32(width, height);
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* pixels = static_cast<uint32_t*>(bits);
    std::fill(pixels, pixels + width * height, background);
    SelectedObject selected(dc.get(), bitmap.get());
    draw(dc.get());
    GdiFlush();
    std::vector<uint32_t> result(pixels, pixels + width * height);
    for (uint32_t& pixel : result) pixel &= 0xFFFFFFu;
    return result;
}
