#pragma once
// The window that serves one skylight hole. For now it only stands for its record, so that the
// overlay keeps one per skylight and numbers them.
#include <cstddef>

class OverlayWindow;

class SkylightWindow {
public:
    SkylightWindow(OverlayWindow*, size_t index) : index(index) {}
    SkylightWindow(const SkylightWindow&) = delete;
    SkylightWindow& operator=(const SkylightWindow&) = delete;

    void Update(bool show) { shown = show; }
    size_t Index() const { return index; }
    bool Shown() const { return shown; }

private:
    size_t index;
    bool shown = false;
};
