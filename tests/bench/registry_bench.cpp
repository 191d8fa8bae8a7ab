// Times a full dump of HKEY_CURRENT_USER\<key> through the tree walker into a
// report work file (one buffered handle for the task), then the same walk with
// the text formatted but dropped, which leaves the registry reads and the
// formatting: the difference is what writing the report costs. Prints figures.
#include "registry/registry_dumper.h"
#include "registry/registry_read.h"
#include "report/report_writer.h"
#include "support/test_context.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

// Report text goes through the report writer into the work file, as in a hive dump.
class FileContext : public TestContext {
public:
    ReportState writer;
    bool drop = false;
    size_t dropped = 0;
    void write(std::string_view text) override {
        if (drop)
            dropped += text.size();
        else
            reportWrite(writer, text);
    }
};

}  // namespace

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
    FileContext context;
    context.writer.collectorRunning = 1;
    context.writer.reportPath.set(argv[2]);
    DeleteFileA(argv[2]);
    WalkState walk;
    walk.printHeaders = true;
    walk.showProgress = true;
    const auto start = std::chrono::steady_clock::now();
    RegistryDumper(context, walk).walk(HKEY_CURRENT_USER, key.get(), argv[1], ":");
    context.writer.reportFile.close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("walker dump: %d keys, %d characters in %.2f s\n", walk.keysVisited,
                static_cast<int>(context.writer.reportLength), seconds);

    context.drop = true;
    resetWalkerMemory();
    WalkState again;
    again.printHeaders = true;
    again.showProgress = true;
    const auto dropStart = std::chrono::steady_clock::now();
    RegistryDumper(context, again).walk(HKEY_CURRENT_USER, key.get(), argv[1], ":");
    const double dropSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - dropStart).count();
    std::printf("same walk, text formatted and dropped: %.2f s (writing the report: %.2f s)\n", dropSeconds,
                seconds - dropSeconds);
    return 0;
}
