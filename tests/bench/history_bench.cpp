// Prints how fast the history reader lists an index file of many records,
// read from memory and from a file on disk. Usage: history_bench [RECORDS]
#include "ie/history_index.h"
#include "ie/index_file.h"
#include "support/index_builder.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// An index laid out like the browser's: tables of 32 blocks, each followed by
// the records its entries point at.
std::string makeIndex(uint32_t records) {
    IndexFileBuilder b("5.2");
    const uint32_t perTable = (32 * IndexFileBuilder::kBlock - 16) / 8;
    uint32_t table = 0;
    for (uint32_t i = 0; i < records; ++i) {
        if (i % perTable == 0) table = b.addTable(32);
        const std::string url = "Visited: user@http://www.site" + std::to_string(i % 997) +
                                ".example/path/page" + std::to_string(i) + ".html";
        b.setEntry(table, i % perTable, 0x1000 + i * 64, b.addRecord("URL ", url));
    }
    return b.build();
}

struct Run {
    double seconds = 0;
    size_t lines = 0;
    size_t bytes = 0;
};

template <typename Read> Run best(int repeats, Read read) {
    Run out;
    for (int r = 0; r < repeats; ++r) {
        Run run;
        HistoryQuestionState state;
        bool readHistory = true;
        HistoryIndexIo io;
        io.write = [&](std::string_view text) {
            ++run.lines;
            run.bytes += text.size();
        };
        io.step = [] { return true; };
        io.ask = [](const std::string&) { return true; };
        const double start = now();
        read(state, readHistory, io);
        run.seconds = now() - start;
        if (r == 0 || run.seconds < out.seconds) out = run;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t records = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 100000;
    const std::string file = makeIndex(records);
    std::printf("index: %u records, %zu bytes\n", records, file.size());

    const Run memory = best(3, [&](HistoryQuestionState& s, bool& h, const HistoryIndexIo& io) {
        MemoryByteSource source(file);
        readHistoryIndex(&source, "user", s, h, io);
    });

    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "korvexer_history_bench.dat";
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(h);
    const Run disk = best(3, [&](HistoryQuestionState& s, bool& hist, const HistoryIndexIo& io) {
        readHistoryIndexFile(path, "user", s, hist, io);
    });
    DeleteFileA(path.c_str());

    for (const auto& [name, run] : {std::pair<const char*, Run>{"memory", memory}, {"file", disk}}) {
        std::printf("%-6s  %zu lines, %zu bytes of text in %.3f s: %.0f records/s, %.1f MB/s of index\n",
                    name, run.lines, run.bytes, run.seconds, (run.lines - 1) / run.seconds,
                    file.size() / run.seconds / 1e6);
    }
    return 0;
}
