// The module table per process: N children of version_probe.exe (each with
// its own modules' version data to read), listed with and without the
// version information, through each binding. Prints figures.
#include "support/probe_process.h"
#include "sysinfo/module_enumerator.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 50;
    std::vector<std::unique_ptr<ProbeProcess>> children;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        children.push_back(std::make_unique<ProbeProcess>("wait", 300));
        if (!children.back()->ready()) {
            std::printf("child %d did not start\n", i);
            return 1;
        }
    }
    std::printf("%d children started in %.2f s\n", count, since(start));

    // One untimed pass, so the first binding measured does not pay for
    // loading the module files' version data into the caches alone.
    ModuleEnumerator(ModuleBinding::ProcessStatus).describeModules(children.front()->id());

    struct Binding {
        const char* name;
        ModuleBinding binding;
    };
    for (const Binding& b : {Binding{"process status", ModuleBinding::ProcessStatus},
                             Binding{"tool help", ModuleBinding::ToolHelp}}) {
        ModuleEnumerator enumerator(b.binding);
        size_t modules = 0;
        std::vector<std::string> list;
        start = std::chrono::steady_clock::now();
        for (const auto& child : children) {
            enumerator.listModules(child->id(), list);
            modules += list.size();
        }
        const double listing = since(start);
        size_t bytes = 0;
        start = std::chrono::steady_clock::now();
        for (const auto& child : children)
            bytes += enumerator.describeModules(child->id()).size();
        const double table = since(start);
        ModuleFactsCache examined;
        size_t cachedBytes = 0;
        start = std::chrono::steady_clock::now();
        for (const auto& child : children)
            cachedBytes += enumerator.describeModules(child->id(), &examined).size();
        const double cached = since(start);
        std::printf(
            "%s: %.2f modules per process; listing %.2f ms per process; "
            "table with version data, size and time %.2f ms per process (%.2f ms per module), %zu bytes; "
            "each file examined once: %.2f ms per process, %zu bytes\n",
            b.name, static_cast<double>(modules) / count, 1000 * listing / count, 1000 * table / count,
            modules > 0 ? 1000 * table / static_cast<double>(modules) : 0.0, bytes, 1000 * cached / count,
            cachedBytes);
    }
    return 0;
}
