// lfcmdlaunch PROGRAM HEX: starts a program with an exact command line, given as hex of its UTF-16
// code units so that no quoting layer can touch it; the program writes to this process's standard
// output, and its exit code becomes this one's.
#include <windows.h>
#include <winternl.h>

#include <stdio.h>
#include <wchar.h>

// Wine's CreateProcessW turns an empty command line into the quoted program path; ntdll's own call
// keeps every command line as it is, as Windows does. Its records, as far as we use them:
typedef struct {
    ULONG maximumLength, length, flags, debugFlags;
    HANDLE console;
    ULONG consoleFlags;
    HANDLE input, output, error;
    UNICODE_STRING currentDirectory;
    HANDLE currentDirectoryHandle;
    UNICODE_STRING dllPath, imagePath, commandLine;
    PWSTR environment;
    ULONG x, y, width, height, columns, rows, fill, startFlags, show;
} ProcessParameters;

typedef struct {
    ULONG size;
    HANDLE process, thread;
    CLIENT_ID client;
    BYTE image[256];
} ProcessInformation;

NTSTATUS NTAPI RtlCreateProcessParameters(ProcessParameters **, UNICODE_STRING *image, UNICODE_STRING *dllPath,
                                          UNICODE_STRING *directory, UNICODE_STRING *commandLine, PWSTR environment,
                                          UNICODE_STRING *title, UNICODE_STRING *desktop, UNICODE_STRING *shellInfo,
                                          UNICODE_STRING *runtime);
NTSTATUS NTAPI RtlCreateUserProcess(UNICODE_STRING *ntImage, ULONG attributes, ProcessParameters *,
                                    void *processSecurity, void *threadSecurity, HANDLE parent, BOOLEAN inherit,
                                    HANDLE debugPort, HANDLE token, ProcessInformation *);
NTSTATUS NTAPI NtResumeThread(HANDLE thread, ULONG *count);

int wmain(int argc, wchar_t **argv) {
    static wchar_t text[32768];
    UNICODE_STRING image, ntImage, commandLine;
    if (argc != 3 || wcslen(argv[2]) % 4 != 0 || wcslen(argv[2]) / 4 >= 32768 ||
        !RtlDosPathNameToNtPathName_U(argv[1], &ntImage, NULL, NULL)) {
        fprintf(stderr, "usage: lfcmdlaunch PROGRAM HEX-OF-UTF16-COMMAND-LINE\n");
        return 91;
    }
    for (size_t i = 0; argv[2][4 * i]; ++i) {
        swscanf(argv[2] + 4 * i, L"%4hx", (unsigned short *)&text[i]);
    }
    RtlInitUnicodeString(&image, argv[1]);
    RtlInitUnicodeString(&commandLine, text);
    ProcessParameters *parameters = NULL;
    ProcessInformation process = {.size = sizeof process};
    NTSTATUS status =
        RtlCreateProcessParameters(&parameters, &image, NULL, NULL, &commandLine, NULL, NULL, NULL, NULL, NULL);
    if (status == 0) {
        parameters->output = parameters->error = GetStdHandle(STD_OUTPUT_HANDLE);
        // A show command the runtime must pass on: the default would not tell a lost one apart.
        parameters->startFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        parameters->show = SW_SHOWMINNOACTIVE;
        status = RtlCreateUserProcess(&ntImage, OBJ_CASE_INSENSITIVE, parameters, NULL, NULL, NULL, TRUE, NULL,
                                      NULL, &process);
    }
    DWORD code = 0;
    if (status != 0 || NtResumeThread(process.thread, NULL) != 0 ||
        WaitForSingleObject(process.process, 30000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.process, &code)) {
        fprintf(stderr, "lfcmdlaunch: running %ls failed (status %#lx, error %lu)\n", argv[1], status, GetLastError());
        return 90;
    }
    return (int)code;
}
