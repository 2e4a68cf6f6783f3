#include "sharing/draw_qr.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "qrcodegen.hpp"

void DrawQR(HDC hdc, const RECT& rect, const std::string& text) {
    RECT area = rect;
    FillRect(hdc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    // Encoding tries every mask and costs more than the drawing: a window repainting the same
    // text (every step of a slider beside it) reuses the last code.
    thread_local std::string encoded;
    thread_local std::optional<qrcodegen::QrCode> code;
    if (!code || encoded != text) {
        code.reset();
        encoded = text;
        // qrcodegen throws when no version holds the text; that stays here.
        try {
            code.emplace(qrcodegen::QrCode::encodeText(text.c_str(), qrcodegen::QrCode::Ecc::MEDIUM));
        } catch (...) {
        }
    }
    if (!code) {
        DrawTextW(hdc, L"二维码生成失败 / QR unavailable", -1, &area, DT_CENTER | DT_WORDBREAK);
        return;
    }

    const int size = code->getSize();
    const int span = size + 8;  // a quiet zone of four modules on every side
    const double width = static_cast<double>(rect.right) - rect.left;
    const double height = static_cast<double>(rect.bottom) - rect.top;
    const double module = std::min(width, height) / span;
    if (module < 1.0) return;  // scanners could not read it anyway
    const double left = rect.left + (width - module * span) * 0.5;
    const double top = rect.top + (height - module * span) * 0.5;

    // Each edge is rounded once from its exact position, so neighbours share it and leave no gap.
    const auto edge = [module](double origin, int index) {
        return static_cast<LONG>(std::trunc(origin + (index + 4) * module + 0.5));
    };
    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (!code->getModule(x, y)) continue;
            int end = x + 1;  // a run of dark modules is one rectangle
            while (end < size && code->getModule(end, y)) ++end;
            const RECT dark{edge(left, x), edge(top, y), edge(left, end), edge(top, y + 1)};
            FillRect(hdc, &dark, black);
            x = end;
        }
    }
}
