// Starts a program with an exact command line (given as hex of its UTF-8, so no quoting layer can
// touch it), passes on what the program prints and ends with its exit code.
//
// usage: lfcmdlaunch PROGRAM HEX
#include <windows.h>
#include <winternl.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static int Fail(const char *what) {
    fprintf(stderr, "lfcmdlaunch: %s failed (error %lu)\n", what, GetLastError());
    return 90;
}

// Enough of RTL_USER_PROCESS_PARAMETERS to hand the child its standard handles and show command.
typedef struct {
    ULONG maximumLength;
    ULONG length;
    ULONG flags;
    ULONG debugFlags;
    HANDLE console;
    ULONG consoleFlags;
    HANDLE input;
    HANDLE output;
    HANDLE error;
    UNICODE_STRING currentDirectory;
    HANDLE currentDirectoryHandle;
    UNICODE_STRING dllPath;
    UNICODE_STRING imagePath;
    UNICODE_STRING commandLine;
    PWSTR environment;
    ULONG x, y, width, height, columns, rows, fill;
    ULONG startFlags;
    ULONG show;
} ProcessParameters;

typedef struct {
    ULONG size;
    HANDLE process;
    HANDLE thread;
    CLIENT_ID client;
    BYTE image[256];
} ProcessInformation;

NTSTATUS NTAPI RtlCreateProcessParameters(ProcessParameters **, const UNICODE_STRING *image,
                                          const UNICODE_STRING *dllPath, const UNICODE_STRING *directory,
                                          const UNICODE_STRING *commandLine, PWSTR environment,
                                          const UNICODE_STRING *title, const UNICODE_STRING *desktop,
                                          const UNICODE_STRING *shellInfo, const UNICODE_STRING *runtime);
void NTAPI RtlDestroyProcessParameters(ProcessParameters *);
NTSTATUS NTAPI RtlCreateUserProcess(UNICODE_STRING *ntImage, ULONG attributes, ProcessParameters *,
                                    void *processSecurity, void *threadSecurity, HANDLE parent,
                                    BOOLEAN inherit, HANDLE debugPort, HANDLE token, ProcessInformation *);
NTSTATUS NTAPI NtResumeThread(HANDLE thread, ULONG *count);

// Wine's CreateProcessW turns an empty command line into the quoted program path; the native call
// keeps it empty, as Windows does.
static BOOL StartWithEmptyCommandLine(const wchar_t *program, HANDLE output, PROCESS_INFORMATION *started) {
    UNICODE_STRING image;
    UNICODE_STRING ntImage;
    UNICODE_STRING empty = {0, sizeof(wchar_t), L""};
    ProcessParameters *parameters = NULL;
    RtlInitUnicodeString(&image, program);
    if (!RtlDosPathNameToNtPathName_U(program, &ntImage, NULL, NULL) ||
        RtlCreateProcessParameters(&parameters, &image, NULL, NULL, &empty, NULL, NULL, NULL, NULL, NULL)) {
        return FALSE;
    }
    parameters->output = output;
    parameters->error = output;
    parameters->startFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    parameters->show = SW_SHOWMINNOACTIVE;
    ProcessInformation process = {.size = sizeof process};
    NTSTATUS status = RtlCreateUserProcess(&ntImage, OBJ_CASE_INSENSITIVE, parameters, NULL, NULL, NULL, TRUE,
                                           NULL, NULL, &process);
    RtlDestroyProcessParameters(parameters);
    RtlFreeUnicodeString(&ntImage);
    if (status != 0) {
        SetLastError(RtlNtStatusToDosError(status));
        return FALSE;
    }
    started->hProcess = process.process;
    started->hThread = process.thread;
    return NtResumeThread(process.thread, NULL) == 0;
}

static int FromHex(const wchar_t *hex, char *out, size_t capacity) {
    size_t length = wcslen(hex);
    if (length % 2 != 0 || length / 2 >= capacity) {
        return -1;
    }
    for (size_t i = 0; i < length / 2; ++i) {
        wchar_t pair[3] = {hex[2 * i], hex[2 * i + 1], 0};
        wchar_t *end = NULL;
        out[i] = (char)wcstoul(pair, &end, 16);
        if (end != pair + 2) {
            return -1;
        }
    }
    out[length / 2] = 0;
    return (int)(length / 2);
}

int wmain(int argc, wchar_t **argv) {
    static char utf8[32768];
    static wchar_t commandLine[32768];
    if (argc != 3 || FromHex(argv[2], utf8, sizeof utf8) < 0) {
        fprintf(stderr, "usage: lfcmdlaunch PROGRAM HEX-OF-UTF8-COMMAND-LINE\n");
        return 91;
    }
    if (utf8[0] && !MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, commandLine, 32768)) {
        return Fail("MultiByteToWideChar");
    }

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE reader = NULL;
    HANDLE writer = NULL;
    if (!CreatePipe(&reader, &writer, &inheritable, 0)) {
        return Fail("CreatePipe");
    }
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);

    // A show command the runtime must pass on: the default would not tell a lost one apart.
    STARTUPINFOW startup = {.cb = sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINNOACTIVE;
    startup.hStdInput = NULL;
    startup.hStdOutput = writer;
    startup.hStdError = writer;
    PROCESS_INFORMATION process;
    if (commandLine[0] ? !CreateProcessW(argv[1], commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)
                       : !StartWithEmptyCommandLine(argv[1], writer, &process)) {
        return Fail("starting the program");
    }
    CloseHandle(writer);
    CloseHandle(process.hThread);

    // Straight to the handle: the C runtime's text mode would turn "\n" into "\r\n".
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    char buffer[4096];
    DWORD got = 0;
    DWORD written = 0;
    while (ReadFile(reader, buffer, sizeof buffer, &got, NULL) && got > 0) {
        WriteFile(output, buffer, got, &written, NULL);
    }
    DWORD code = 92;
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code)) {
        return Fail("waiting for the program");
    }
    return (int)code;
}
