#pragma once
#include <windows.h>

#include <cstdint>

// Owns the GDI+ session and, after it, the COM apartment of the UI thread.
class GraphicsLifetime {
public:
    // Starts GDI+; false when it did not start (nothing is then owned).
    bool Start();
    GraphicsLifetime() = default;
    GraphicsLifetime(const GraphicsLifetime&) = delete;
    GraphicsLifetime& operator=(const GraphicsLifetime&) = delete;
    ~GraphicsLifetime();

private:
    ULONG_PTR token = 0;
    bool started = false;
};
