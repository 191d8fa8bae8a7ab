// Copies a file's bytes to standard output unchanged, zero bytes included, as
// the command interpreter's "type" does on Windows (Wine's stops at the first
// zero byte): the runner's tests need a child that prints them.
//
//   raw_type FILE
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    HANDLE in = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return 1;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        DWORD written = 0;
        if (!WriteFile(out, buffer, got, &written, nullptr) || written != got) return 1;
    }
    CloseHandle(in);
    return 0;
}
