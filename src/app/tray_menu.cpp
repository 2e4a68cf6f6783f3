#include "app/tray_menu.h"

namespace {

std::wstring FromAscii(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

}  // namespace

std::vector<TrayMenuItem> TrayMenuItems(int32_t textScale, bool hideFromCapture, bool followActiveWindow,
                                        bool stepAside, std::string_view revealKey) {
    return {
        {1, L"打开控制栏 / Open controls (" + FromAscii(revealKey) + L")"},
        {2, L"圆角天窗 / Rounded skylight"},
        {3, L"椭圆天窗 / Elliptical skylight"},
        {6, L"矩形天窗 / Rectangle"},
        {7, L"圆形天窗 / Circle"},
        {8, L"横条天窗 / Horizontal strip"},
        {9, L"竖条天窗 / Vertical strip"},
        {0, L""},
        {10, L"界面字号 / Interface size: 100%", textScale == 100},
        {11, L"界面字号 / Interface size: 125%", textScale == 125},
        {12, L"界面字号 / Interface size: 150%", textScale == 150},
        {14, L"截图与共享时隐藏 / Hide from screenshots and sharing", hideFromCapture},
        {15, L"跟随活动窗口 / Follow the active window", followActiveWindow},
        {16, L"全屏程序时让开 / Step aside for full-screen programs", stepAside},
        {13, L"清理旧版本 / Clean up old versions"},
        {4, L"退出遮罩 / Hide overlay (Esc)"},
        {5, L"退出 Lumenfold / Quit Lumenfold"},
    };
}

std::optional<SkylightShape> ShapeForMenuId(unsigned id) {
    if (id == 2) return SkylightShape::Rounded;
    if (id == 3) return SkylightShape::Elliptical;
    static constexpr SkylightShape kByOffset[] = {SkylightShape::Rectangle, SkylightShape::Circle,
                                                  SkylightShape::HorizontalStrip, SkylightShape::VerticalStrip};
    if (id >= 6 && id <= 9) return kByOffset[id - 6];
    return std::nullopt;
}

std::optional<int32_t> TextScaleForMenuId(unsigned id) {
    if (id >= 10 && id <= 12) return static_cast<int32_t>(id) * 25 - 150;
    return std::nullopt;
}

std::wstring TrayTip(std::string_view revealKey, bool taken) {
    return L"Lumenfold — " + FromAscii(revealKey) + (taken ? L" 已被占用 / taken by another program" : L"");
}
