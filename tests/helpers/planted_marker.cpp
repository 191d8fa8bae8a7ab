// Stands in for a program planted under a system tool's name (cmd.exe,
// cscript.exe, ipconfig.exe): when it runs, it leaves "<its own path>.ran"
// beside itself and prints nothing, so a test can tell that it was started.
#include <windows.h>

int main() {
    char path[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    lstrcatA(path, ".ran");
    HANDLE marker =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(marker);
    return 0;
}
