// Times a full dump of HKEY_CURRENT_USER\<key> through the tree walker into a
// report work file (one buffered handle for the task). Prints figures.
#include "app/controller_state.h"
#include "registry/registry_dumper.h"
#include "registry/registry_read.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: registry_bench KEY_UNDER_HKCU OUTPUT_FILE\n");
        return 2;
    }
    RegKey key;
    if (!key.open(HKEY_CURRENT_USER, argv[1], KEY_READ)) {
        std::fprintf(stderr, "cannot open HKCU\\%s\n", argv[1]);
        return 1;
    }
    ControllerState state;
    state.collectorRunning = 1;
    state.reportPath.set(argv[2]);
    DeleteFileA(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    RegistryDumper(state).walk(HKEY_CURRENT_USER, key.get(), argv[1], ":");
    state.reportFile.close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("walker dump: %d keys, %d characters in %.2f s\n", static_cast<int>(state.keysVisited),
                static_cast<int>(state.reportLength), seconds);
    return 0;
}
