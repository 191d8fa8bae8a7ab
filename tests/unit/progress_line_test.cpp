// The progress line of a run from the command line, over a console that
// records what reaches it: the text, the pace of its writes, the row it must
// never fill, its end, and silence where standard error is no console.
#include "app/console_streams.h"
#include "app/progress_line.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// One row of a console: what it shows and where the caret is. A character
// written into the last column would wrap the line onto the next row, where
// "\r" can no longer reach it.
class FakeConsole : public ProgressConsole {
  public:
    bool console = true;
    int columns = 80;
    std::vector<std::string> writes;
    bool wrapped = false;
    std::function<void()> onWrite;

    bool isConsole() override { return console; }
    int width() override { return columns; }
    void write(std::string_view text) override {
        if (onWrite) onWrite();
        writes.emplace_back(text);
        for (char c : text) {
            if (c == '\r') {
                caret = 0;
                continue;
            }
            if (caret >= static_cast<size_t>(columns - 1)) wrapped = true;
            if (row.size() <= caret) row.resize(caret + 1, ' ');
            row[caret++] = c;
        }
    }
    // The row as the user reads it.
    std::string shown() const { return row.substr(0, row.find_last_not_of(' ') + 1); }
    size_t caret = 0;

  private:
    std::string row;
};

struct TextCase {
    const char* name;
    ProgressState state;
    size_t maxLength;
    const char* text;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << c.name;
}

class ProgressText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ProgressText, SaysWhatAndHowFar) {
    EXPECT_EQ(progressText(GetParam().state, GetParam().maxLength), GetParam().text);
}

ProgressState state(const char* task, int row, int rows, int keys, const char* step) {
    ProgressState s;
    s.task = task;
    s.row = row;
    s.rows = rows;
    s.keys = keys;
    s.step = step;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressText,
    ::testing::Values(
        TextCase{"Nothing", state("", 0, 0, 0, ""), 79, ""},
        TextCase{"TaskAlone", state("Policies", 0, 0, 0, ""), 79, "Policies ..."},
        TextCase{"Row", state("Common Windows Environment", 23, 49, 0, ""), 79,
                 "Common Windows Environment: row 23 of 49"},
        TextCase{"RowAndItsWalk", state("Common Windows Environment", 28, 49, 120, ""), 79,
                 "Common Windows Environment: row 28 of 49, 120 keys"},
        TextCase{"HiveKeys", state("HKEY_LOCAL_MACHINE", 0, 0, 12345, ""), 79,
                 "HKEY_LOCAL_MACHINE: 12345 keys"},
        TextCase{"OneKey", state("HKEY_CURRENT_CONFIG", 0, 0, 1, ""), 79, "HKEY_CURRENT_CONFIG: 1 key"},
        TextCase{"Step", state("Inventory", 0, 0, 0, "sending to the server"), 79,
                 "Inventory: sending to the server"},
        // A line end would move the caret off the line it rewrites.
        TextCase{"ControlCharactersBecomeBlanks", state("a\r\nb\tc", 0, 0, 0, ""), 79, "a  b c ..."},
        TextCase{"CutToTheRoom", state("HKEY_LOCAL_MACHINE", 0, 0, 12345, ""), 10, "HKEY_LOCAL"},
        TextCase{"NoRoom", state("HKEY_LOCAL_MACHINE", 0, 0, 12345, ""), 0, ""}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

struct ProgressLineTest : ::testing::Test {
    FakeConsole console;
    uint32_t now = 0xFFFFFF00; // the tick count wraps around during the test
    std::unique_ptr<ProgressLine> line;

    ProgressLine& make(bool quiet = false) {
        line = std::make_unique<ProgressLine>(
            console, [this] { return now; }, quiet);
        return *line;
    }
    void later(uint32_t milliseconds) {
        now += milliseconds;
        line->tick();
    }
};

TEST_F(ProgressLineTest, NothingWhereStandardErrorIsNoConsoleOrWithQuiet) {
    const struct {
        bool console;
        bool quiet;
    } cases[] = {{false, false}, {true, true}, {false, true}};
    for (const auto& c : cases) {
        console = FakeConsole();
        console.console = c.console;
        ProgressLine& progress = make(c.quiet);
        EXPECT_FALSE(progress.shown());
        progress.task("HKEY_LOCAL_MACHINE");
        progress.keys(500);
        later(1000);
        progress.step("sending");
        later(1000);
        progress.finish();
        EXPECT_TRUE(console.writes.empty()) << c.console << c.quiet << ": " << console.writes.front();
    }
}

TEST_F(ProgressLineTest, RewritesInPlaceAtMostEveryIntervalAndOnlyWhenTheTextChanged) {
    ProgressLine& progress = make();
    ASSERT_TRUE(progress.shown());
    progress.task("HKEY_LOCAL_MACHINE");
    progress.keys(5);
    // A run that is over within the interval shows nothing at all.
    later(ProgressLine::kInterval - 1);
    EXPECT_TRUE(console.writes.empty());
    later(1);
    ASSERT_EQ(console.writes.size(), 1u);
    EXPECT_EQ(console.writes[0], "\rHKEY_LOCAL_MACHINE: 5 keys");
    // A change waits for the interval: the walker counts far faster than a console shows.
    progress.keys(6);
    later(10);
    progress.keys(7);
    later(ProgressLine::kInterval - 20);
    EXPECT_EQ(console.writes.size(), 1u);
    later(10);
    ASSERT_EQ(console.writes.size(), 2u);
    EXPECT_EQ(console.shown(), "HKEY_LOCAL_MACHINE: 7 keys");
    // The same text is not written again, however much later.
    later(5000);
    EXPECT_EQ(console.writes.size(), 2u);
    // A change after a quiet while is shown at once.
    progress.keys(8);
    later(1);
    ASSERT_EQ(console.writes.size(), 3u);
    EXPECT_EQ(console.shown(), "HKEY_LOCAL_MACHINE: 8 keys");
    for (const std::string& write : console.writes)
        EXPECT_EQ(write.rfind('\r', 0), 0u) << write;
}

TEST_F(ProgressLineTest, AShorterTextLeavesNothingOfTheLongerOne) {
    ProgressLine& progress = make();
    progress.task("Common Windows Environment");
    progress.row(28, 49);
    progress.keys(12345);
    later(ProgressLine::kInterval);
    EXPECT_EQ(console.shown(), "Common Windows Environment: row 28 of 49, 12345 keys");
    // The next row forgets the walk of the one before.
    progress.row(29, 49);
    later(ProgressLine::kInterval);
    EXPECT_EQ(console.shown(), "Common Windows Environment: row 29 of 49");
    // So does a new task everything of the old one.
    progress.task("Inventory");
    later(ProgressLine::kInterval);
    EXPECT_EQ(console.shown(), "Inventory ...");
    EXPECT_FALSE(console.wrapped);
}

TEST_F(ProgressLineTest, NeverReachesTheConsolesLastColumn) {
    const std::pair<int, const char*> cases[] = {
        {1, ""}, {2, "H"}, {12, "HKEY_LOCAL_"}, {80, "HKEY_LOCAL_MACHINE: 7 keys"}};
    for (const auto& [columns, shown] : cases) {
        console = FakeConsole();
        console.columns = columns;
        ProgressLine& progress = make();
        progress.task("HKEY_LOCAL_MACHINE");
        progress.keys(123456);
        later(ProgressLine::kInterval);
        progress.keys(7);
        later(ProgressLine::kInterval);
        EXPECT_FALSE(console.wrapped) << columns;
        EXPECT_EQ(console.shown(), shown) << columns;
        progress.finish();
        EXPECT_EQ(console.shown(), "") << columns;
    }
    // A console made narrower between two writes is not wrapped by the blanks either.
    console = FakeConsole();
    ProgressLine& progress = make();
    progress.task(std::string(60, 'x'));
    later(ProgressLine::kInterval);
    console.columns = 20;
    progress.task("y");
    later(ProgressLine::kInterval);
    EXPECT_EQ(console.writes.back(), "\ry ..." + std::string(19 - 5, ' '));
}

TEST_F(ProgressLineTest, FinishBlanksTheLineReturnsToItsStartAndEndsIt) {
    ProgressLine& progress = make();
    progress.task("HKEY_CURRENT_USER");
    progress.keys(42);
    later(ProgressLine::kInterval);
    ASSERT_EQ(console.shown(), "HKEY_CURRENT_USER: 42 keys");
    progress.finish();
    EXPECT_EQ(console.writes.back(), "\r" + std::string(26, ' ') + "\r");
    EXPECT_EQ(console.shown(), "");
    EXPECT_EQ(console.caret, 0u);
    // Nothing after the end: the run's last word stands alone.
    const size_t writes = console.writes.size();
    progress.keys(43);
    later(1000);
    progress.finish();
    EXPECT_EQ(console.writes.size(), writes);
}

TEST_F(ProgressLineTest, FinishOfALineNeverShownWritesNothing) {
    ProgressLine& progress = make();
    progress.task("HKEY_CURRENT_CONFIG");
    later(ProgressLine::kInterval / 2);
    progress.finish();
    later(1000);
    EXPECT_TRUE(console.writes.empty());
}

// Standard error redirected to a file of the test's own for the life of the object.
class RedirectedStandardError {
  public:
    explicit RedirectedStandardError(const std::string& path)
        : saved_(GetStdHandle(STD_ERROR_HANDLE)),
          file_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, 0, nullptr)) {
        SetStdHandle(STD_ERROR_HANDLE, file_);
    }
    ~RedirectedStandardError() {
        SetStdHandle(STD_ERROR_HANDLE, saved_);
        CloseHandle(file_);
    }
    DWORD size() const { return GetFileSize(file_, nullptr); }

  private:
    HANDLE saved_;
    HANDLE file_;
};

TEST_F(ProgressLineTest, TheRunsErrorLineComesAfterTheLineIsBlankedOut) {
    TempDir dir;
    RedirectedStandardError err(dir.file("err.txt"));
    DWORD errorSizeAtLastWrite = 1;
    console.onWrite = [&] { errorSizeAtLastWrite = err.size(); };
    {
        ConsoleStreams streams;
        ProgressLine& progress = make();
        streams.blankOutFirst(&progress);
        progress.task("HKEY_LOCAL_MACHINE");
        progress.keys(9);
        later(ProgressLine::kInterval);
        ASSERT_EQ(console.shown(), "HKEY_LOCAL_MACHINE: 9 keys");
        streams.errorLine("the dump of HKEY_LOCAL_MACHINE ended without a result");
    }
    EXPECT_EQ(console.shown(), "");
    EXPECT_EQ(errorSizeAtLastWrite, 0u) << "the line was blanked out before the error line was written";
    EXPECT_GT(err.size(), 0u);
}

} // namespace
