// kvdrive: waits for a running Korvexer window and reports it, for scripts.
//   kvdrive wait [seconds]   exit 0 once a Korvexer window with its controls is shown
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

BOOL CALLBACK findTop(HWND hwnd, LPARAM lParam) {
    char caption[256] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (strncmp(caption, "Korvexer -> ", 12) != 0 || !IsWindowVisible(hwnd) || GetDlgItem(hwnd, 1000) == nullptr)
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || strcmp(argv[1], "wait") != 0) {
        std::fprintf(stderr, "usage: kvdrive wait [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
    for (int i = 0; i < seconds * 10; ++i) {
        HWND found = nullptr;
        EnumWindows(findTop, reinterpret_cast<LPARAM>(&found));
        if (found != nullptr) {
            char caption[256] = {};
            GetWindowTextA(found, caption, sizeof caption);
            std::printf("%s\n", caption);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "no Korvexer window within %d s\n", seconds);
    return 1;
}
