// The host window's life is bound to the application object, whichever way the start ends.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "app/application.h"
#include "app/host_window.h"

namespace {

TEST(HostWindow, GoesWithTheApplicationWhenTheStartStopsHalfWay) {
    HWND host = nullptr;
    {
        Application app;
        host = CreateHostWindow(GetModuleHandleW(nullptr), &app);
        ASSERT_NE(host, nullptr);
        AddTrayIcon(&app, GetModuleHandleW(nullptr));
    }
    // Still alive, it would hand later messages to an application that no longer exists.
    EXPECT_FALSE(IsWindow(host));
    NOTIFYICONDATAW tray{};
    tray.cbSize = sizeof tray;
    tray.hWnd = host;
    tray.uID = 1;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &tray)) << "the tray icon outlived the host window";
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
