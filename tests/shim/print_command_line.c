// Prints what wWinMain received, so a test can hold the Zig build's shim against MinGW's C runtime:
// a first line with the show command, whether the instance is this module (and no previous one),
// and whether a C locale could be made and freed; then the process's whole command line; then the
// command line wWinMain received. Text is UTF-8.
#include <windows.h>

#include <locale.h>
#include <stdio.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    // In the Zig build these calls go through the shim's locale import pointers.
    _locale_t locale = _create_locale(LC_ALL, "C");
    if (locale) {
        _free_locale(locale);
    }
    static char text[65536];
    int header = snprintf(text, sizeof text, "%d %d %d\n", show,
                          instance == GetModuleHandleW(NULL) && previous == NULL, locale != NULL);
    if (header < 0) {
        return 3;
    }
    int used = header;
    const WCHAR *lines[] = {GetCommandLineW(), commandLine};
    for (int i = 0; i < 2; ++i) {
        int length = WideCharToMultiByte(CP_UTF8, 0, lines[i], -1, text + used, (int)sizeof text - used,
                                         NULL, NULL);
        if (length <= 0) {
            return 3;
        }
        used += length;
        text[used - 1] = '\n';
    }
    DWORD written = 0;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    return WriteFile(output, text, (DWORD)(used - 1), &written, NULL) ? 0 : 4;
}
