// Prints, in UTF-8, what wWinMain received: the show command, whether the instance is this module (and
// no previous one), whether a C locale could be made; then the whole command line and wWinMain's.
#include <windows.h>

#include <locale.h>
#include <stdio.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    // In the Zig build these calls go through the shim's locale import pointers.
    _locale_t locale = _create_locale(LC_ALL, "C");
    if (locale) {
        _free_locale(locale);
    }
    static wchar_t text[65536];
    static char utf8[3 * 65536];
    int length = _snwprintf(text, 65536, L"%d %d %d\n%ls\n%ls", show,
                            instance == GetModuleHandleW(NULL) && previous == NULL, locale != NULL,
                            GetCommandLineW(), commandLine);
    int size = length < 0 ? 0 : WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8, NULL, NULL);
    DWORD written = 0;
    return size > 0 && WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, (DWORD)size, &written, NULL) ? 0 : 3;
}
