// Help the Zig toolchain needs (it builds the ARM64 program); compiled only for that toolchain.
#include <windows.h>

// Zig's runtime cannot enter through wWinMain: hand it the command line after the program's name,
// skipped as MinGW's runtime does for wWinMain, so a path holding "--quit" never acts as an option.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR ansiCommandLine, int show) {
    (void)ansiCommandLine;
    PWSTR text = GetCommandLineW();
    if (!text) {
        static WCHAR empty[] = L"";
        return wWinMain(instance, previous, empty, show);
    }
    BOOL quoted = FALSE;
    while (*text > L' ' || (*text && quoted)) {
        if (*text == L'"') {
            quoted = !quoted;
        }
        ++text;
    }
    while (*text && *text <= L' ') {
        ++text;
    }
    return wWinMain(instance, previous, text, show);
}

// Zig's optimised (LTO) link finds no import for two locale entry points std::locale needs, though
// Windows' msvcrt.dll exports them: define their import pointers and look the real ones up there.
typedef void *(__cdecl *CreateLocale)(int category, const char *locale);
typedef void(__cdecl *FreeLocale)(void *locale);

static FARPROC Msvcrt(const char *name) {
    HMODULE module = GetModuleHandleW(L"msvcrt.dll");
    return module ? GetProcAddress(module, name) : NULL;
}

static void *__cdecl CreateLocaleFromMsvcrt(int category, const char *locale) {
    CreateLocale create = (CreateLocale)(void (*)(void))Msvcrt("_create_locale");
    return create ? create(category, locale) : NULL;
}

static void __cdecl FreeLocaleFromMsvcrt(void *locale) {
    FreeLocale release = (FreeLocale)(void (*)(void))Msvcrt("_free_locale");
    if (release) {
        release(locale);
    }
}

CreateLocale __imp__create_locale = CreateLocaleFromMsvcrt;
FreeLocale __imp__free_locale = FreeLocaleFromMsvcrt;
