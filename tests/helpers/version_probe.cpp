// A small program with a known version resource, for the version reader's and
// module listing's tests and benchmark.
//
//   version_probe                        ends at once
//   version_probe wait SECONDS [EVENT]    stays alive (at most SECONDS) until ended
//   version_probe windows SECONDS [EVENT] the same with two top-level windows:
//                                        one visible with a title, one hidden
//                                        with only its class name
// EVENT names an event the probe sets once it is ready (modules loaded,
// windows made).
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK probeWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_TIMER) PostQuitMessage(0);
    return DefWindowProcA(window, message, w, l);
}

void announceReady(const char* eventName) {
    if (eventName == nullptr) return;
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (event == nullptr) return;
    SetEvent(event);
    CloseHandle(event);
}

int waitWithWindows(UINT seconds, const char* eventName) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = probeWindowProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KorvexerProbe";
    if (!RegisterClassA(&cls)) return 2;
    HWND shown =
        CreateWindowExA(0, "KorvexerProbe", "Korvexer probe window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                        200, 100, nullptr, nullptr, cls.hInstance, nullptr);
    HWND hidden = CreateWindowExA(0, "KorvexerProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  cls.hInstance, nullptr);
    if (shown == nullptr || hidden == nullptr) return 3;
    SetTimer(shown, 1, seconds * 1000, nullptr);
    announceReady(eventName);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 0;
    const UINT seconds = static_cast<UINT>(std::atoi(argv[2]));
    const char* eventName = argc > 3 ? argv[3] : nullptr;
    if (std::strcmp(argv[1], "windows") == 0) return waitWithWindows(seconds, eventName);
    if (std::strcmp(argv[1], "wait") == 0) {
        announceReady(eventName);
        Sleep(seconds * 1000);
    }
    return 0;
}
