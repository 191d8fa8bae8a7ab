// The whole common environment report written into memory through the real
// runner: wall time, the time the runner waited while a child (the batch's
// command interpreter and what it starts: script host, console tools) ran,
// the runner's own work around each child (work files, output cleaning,
// delivery), and what remains for Korvexer itself, in all and per row.
#include "collect/common_report.h"
#include "collect/environment_collector.h"
#include "report/report_writer.h"
#include "report/work_directory.h"
#include "runner/command_runner.h"
#include "support/test_context.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The product's runner, timed call by call.
class TimedRunner : public CommandRunner {
  public:
    explicit TimedRunner(TaskContext& context) : runner_(context) {}
    int run(const std::string& text, RunMode mode, bool probeOnly, RunHolder* holder) override {
        const Clock::time_point start = Clock::now();
        const int result = runner_.run(text, mode, probeOnly, holder);
        const double seconds = since(start);
        const double children = (runner_.childMicros() - childMicrosSeen_) / 1e6;
        childMicrosSeen_ = runner_.childMicros();
        total += seconds;
        childTotal += children;
        byRow[row] += seconds;
        childByRow[row] += children;
        ++calls;
        return result;
    }
    double total = 0;      // inside run(), children included
    double childTotal = 0; // with a child running
    int calls = 0;
    int row = 0;
    std::map<int, double> byRow, childByRow;

  private:
    ProcessRunner runner_;
    unsigned long long childMicrosSeen_ = 0;
};

// Writes as the window does while a report runs: through the report writer
// into a work file (line ends expanded, buffered), not into memory.
class FileContext : public TestContext {
  public:
    explicit FileContext(const std::string& path) {
        state.collectorRunning = 1;
        state.reportPath.set(path);
    }
    void write(std::string_view text) override {
        reportWrite(state, text);
        written += text.size();
    }
    ReportState state;
    size_t written = 0;
};

} // namespace

// An argument names a file that receives the report itself.
int main(int argc, char** argv) {
    const std::string workFile = workDirectory() + "korvexer_bench_report.txt";
    DeleteFileA(workFile.c_str());
    FileContext context(workFile);
    auto timed = std::make_unique<TimedRunner>(context);
    TimedRunner& runner = *timed;
    context.commandRunner = std::move(timed);
    std::map<int, double> rowWall;
    Clock::time_point rowStart = Clock::now();
    EnvironmentCollector collector(context, false);
    collector.beforeRow = [&](int row) {
        if (runner.row != 0) rowWall[runner.row] = since(rowStart);
        runner.row = row;
        rowStart = Clock::now();
    };
    const Clock::time_point start = Clock::now();
    collector.run();
    context.state.reportFile.close();
    const double wall = since(start);
    rowWall[runner.row] = since(rowStart);
    std::printf("common report: %.2f s wall, %zu characters written to the work file, %d runner calls\n",
                wall, context.written, runner.calls);
    const double own = wall - runner.childTotal;
    std::printf(
        "waiting on child processes: %.2f s; runner around them: %.2f s; Korvexer's own share: %.2f s "
        "(%.1f %% of the wall time)\n",
        runner.childTotal, runner.total - runner.childTotal, own, 100.0 * own / wall);
    if (argc > 1) {
        CopyFileA(workFile.c_str(), argv[1], FALSE);
    }
    DeleteFileA(workFile.c_str());
    std::printf("row  wall s  child s  runner s  own s\n");
    for (const auto& [row, seconds] : rowWall) {
        const double inRunner = runner.byRow.count(row) ? runner.byRow[row] : 0.0;
        const double children = runner.childByRow.count(row) ? runner.childByRow[row] : 0.0;
        if (seconds >= 0.005)
            std::printf("%3d  %6.3f  %7.3f  %8.3f  %5.3f  %s\n", row, seconds, children, inRunner - children,
                        seconds - children, kCommonReportRows[row - 1].section);
    }
    return 0;
}
