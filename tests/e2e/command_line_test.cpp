// Reports from the command line, end to end under Wine: the file holds the
// bytes the window's view holds after the same task; refused lines, an
// unwritable file and a failed run end with exit code 1 and one line on
// standard error, and leave an earlier file as it was; "/?" prints the usage.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <iostream>
#include <vector>

namespace {

using automation::App;
using automation::CommandRun;
using automation::runCommandLine;
using automation::waitUntil;

const char* const kTrailerStart = "Korvexer.exe -> ";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size() - 1;
        lines.push_back(text.substr(start, end + 1 - start));
        start = end + 1;
    }
    return lines;
}

// What legitimately changes between two runs of one report on one machine a
// minute apart is numbers: the time and date, process and thread ids, handle
// counts, free memory and disk space, uptime, the random part of work-file
// names. Every run of digits counts as the same.
std::string numbersMasked(const std::string& line) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] >= '0' && line[i] <= '9') {
            if (out.empty() || out.back() != '#') out.push_back('#');
        } else {
            out.push_back(line[i]);
        }
    }
    return out;
}

// A line of the report with the title of the section it stands in (the line
// after the section's rule of 75 "=").
struct Line {
    std::string title;
    std::string text;
};

std::vector<Line> withSections(const std::vector<std::string>& lines) {
    const std::string rule(75, '=');
    std::vector<Line> out;
    std::string title;
    bool titleNext = false;
    for (const auto& line : lines) {
        const std::string bare = line.substr(0, line.find_first_of("\r\n"));
        if (bare == rule) {
            titleNext = true;
            title.clear();
        } else if (titleNext && !bare.empty()) {
            title = bare;
            titleNext = false;
        }
        out.push_back({title, line});
    }
    return out;
}

struct Difference {
    std::vector<Line> onlyInView;
    std::vector<Line> onlyInFile;
};

// The lines each side has that the other lacks, compared byte for byte (line
// ends included) with numbers masked, after the longest common run of lines
// is taken out (the two sides are aligned line by line, so a line in a
// different place counts as a difference).
Difference differences(const std::vector<std::string>& viewLines, const std::vector<std::string>& fileLines) {
    const std::vector<Line> view = withSections(viewLines);
    const std::vector<Line> file = withSections(fileLines);
    std::vector<std::string> a, b;
    for (const auto& l : view)
        a.push_back(numbersMasked(l.text));
    for (const auto& l : file)
        b.push_back(numbersMasked(l.text));
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const size_t n = a.size() - head - tail;
    const size_t m = b.size() - head - tail;
    Difference d;
    if (n * m > 25'000'000) {
        // Too far apart to align: everything in between differs.
        for (size_t i = 0; i < n; ++i)
            d.onlyInView.push_back(view[head + i]);
        for (size_t j = 0; j < m; ++j)
            d.onlyInFile.push_back(file[head + j]);
        return d;
    }
    std::vector<std::vector<uint32_t>> lcs(n + 1, std::vector<uint32_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            lcs[i][j] =
                a[head + i] == b[head + j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[head + i] == b[head + j]) {
            ++i;
            ++j;
        } else if (j == m || (i < n && lcs[i + 1][j] >= lcs[i][j + 1])) {
            d.onlyInView.push_back(view[head + i++]);
        } else {
            d.onlyInFile.push_back(file[head + j++]);
        }
    }
    return d;
}

std::string shown(const std::vector<Line>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size() && i < 40; ++i)
        out += "  [" + lines[i].text.substr(0, 160) + "] in [" + lines[i].title + "]\n";
    if (lines.size() > 40) out += "  ... " + std::to_string(lines.size() - 40) + " more\n";
    return out;
}

// What a run left beside `file` under its temporary name (FILE.<pid>.partial),
// or empty.
std::string leftBeside(const std::string& file) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((file + ".*.partial").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    FindClose(find);
    return data.cFileName;
}

bool endsWithTrailer(const std::string& text) {
    const size_t at = text.rfind(kTrailerStart);
    return at != std::string::npos && text.size() - at < 200 && text.size() >= 2 &&
           text.compare(text.size() - 2, 2, "\r\n") == 0;
}

struct CommandLineReport : ::testing::Test {
    TempDir work;

    // The view's text once the task of `button` has shown its result in the window.
    std::string viewAfter(int button, int timeoutMs) {
        App app(work.path());
        EXPECT_TRUE(automation::readyForCommands(app));
        app.press(button);
        std::string view;
        const bool done = waitUntil(
            [&] {
                view = app.text(IDC_REPORT_VIEW);
                return endsWithTrailer(view) && app.text(IDC_STATUS_LINE) == " ";
            },
            timeoutMs);
        EXPECT_TRUE(done) << view.substr(0, 500);
        // The window's run is over before the command line's starts.
        return view;
    }

    // The same report from the command line, into a file whose name has a blank.
    std::string fileFrom(const char* kind, int timeoutMs) {
        const std::string file = work.file("report of " + std::string(kind) + ".txt");
        const CommandRun run = runCommandLine("/report " + std::string(kind) + " \"" + file + "\"",
                                              work.path(), work.path(), timeoutMs);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(leftBeside(file), "") << "nothing is left beside the file";
        return readFileBytes(file);
    }

    void expectSameReport(int button, const char* kind, int timeoutMs,
                          const std::function<bool(const Line&)>& mayDiffer = nullptr) {
        const std::string view = viewAfter(button, timeoutMs);
        ASSERT_FALSE(HasFailure());
        const std::string file = fileFrom(kind, timeoutMs);
        ASSERT_FALSE(HasFailure());
        ASSERT_TRUE(endsWithTrailer(file)) << file.substr(0, 300);
        const std::vector<std::string> viewLines = linesOf(view);
        const std::vector<std::string> fileLines = linesOf(file);
        const Difference d = differences(viewLines, fileLines);
        // For whoever reads the log: the lines that told the two runs apart.
        if (viewLines.size() == fileLines.size()) {
            int changed = 0;
            for (size_t i = 0; i < viewLines.size(); ++i)
                if (viewLines[i] != fileLines[i] && ++changed <= 12)
                    std::cout << "changed between the runs: [" << viewLines[i].substr(0, 100) << "] -> ["
                              << fileLines[i].substr(0, 100) << "]\n";
            std::cout << changed << " of " << viewLines.size() << " lines changed in their numbers\n";
        }
        std::vector<Line> unexplained;
        for (const auto* side : {&d.onlyInView, &d.onlyInFile})
            for (const auto& line : *side)
                if (!mayDiffer || !mayDiffer(line)) unexplained.push_back(line);
        EXPECT_TRUE(unexplained.empty())
            << unexplained.size() << " lines differ beyond numbers.\nOnly in the view:\n"
            << shown(d.onlyInView) << "Only in the file:\n"
            << shown(d.onlyInFile);
        EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000));
    }
};

TEST_F(CommandLineReport, CurrentConfigHiveFileHoldsTheViewsBytes) {
    const std::string view = viewAfter(IDC_HKCC, 120000);
    const std::string file = fileFrom("hkcc", 120000);
    // Nothing in this hive changes between two runs: the very same bytes.
    EXPECT_EQ(file, view);
    EXPECT_EQ(file.rfind("HKEY_CURRENT_CONFIG Registry:\r\n\r\n", 0), 0u) << file.substr(0, 200);
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(CommandLineReport, PoliciesFileHoldsTheViewsText) {
    expectSameReport(IDC_POLICIES, "policies", 180000);
}

// Lines that only one of two runs has, and that may stand in a section
// listing processes: each run sees what runs at its moment (helper processes
// the script host leaves behind, one thread more or less, the program's own
// command line, window and modules, which differ between a run with its
// window and one without).
bool inProcessListing(const Line& line) {
    std::string title = line.title;
    std::transform(title.begin(), title.end(), title.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return title.find("process") != std::string::npos || title.find("tasklist") != std::string::npos;
}

TEST_F(CommandLineReport, CommonReportFileHoldsTheViewsText) {
    expectSameReport(IDC_COMMON_ENV, "common", 200000, inProcessListing);
}

// Programs planted under the names of the tools the report starts, beside a
// copy of the program (the folder it was started from: a Downloads folder, a
// share) and in the work folder, are never run: the report comes whole from
// the system's own tools.
TEST_F(CommandLineReport, ToolsPlantedBesideTheProgramOrInTheWorkFolderNeverRun) {
    TempDir start;
    const std::string copy = start.file("Korvexer.exe");
    ASSERT_TRUE(CopyFileA(automation::korvexerPath().c_str(), copy.c_str(), FALSE));
    const std::string build = automation::korvexerPath().substr(0, automation::korvexerPath().rfind('\\'));
    const std::string marker = build + "\\tests\\planted_marker.exe";
    const char* const planted[] = {"cmd.exe", "cscript.exe", "ipconfig.exe"};
    for (const std::string& dir : {start.path(), work.path()})
        for (const char* name : planted)
            ASSERT_TRUE(CopyFileA(marker.c_str(), (dir + name).c_str(), FALSE)) << dir + name;

    const std::string file = work.file("common.txt");
    const CommandRun run = runCommandLine("/report common \"" + file + "\"", work.path(), work.path(), 200000,
                                          {}, start.path(), copy);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    for (const std::string& dir : {start.path(), work.path()})
        for (const char* name : planted)
            EXPECT_FALSE(fileExists(dir + name + ".ran")) << dir + name << " ran";
    const std::string report = readFileBytes(file);
    ASSERT_TRUE(endsWithTrailer(report)) << report.substr(0, 300);
    // A WMI section's lines (the script host), the task list the report
    // captures through it, and a line "ipconfig /all" prints under Wine.
    for (const char* present : {"\r\r\nAddress Width: ", "\r\r\nProcess ID: ", "Primary DNS suffix. . "})
        EXPECT_NE(report.find(present), std::string::npos) << present;
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000));
}

// The system's hosts file holding other bytes for the length of a test. The
// original waits beside it too, so a run ended before it could put the
// original back is mended by the next one.
class PlantedHostsFile {
  public:
    explicit PlantedHostsFile(const std::string& bytes) {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, sizeof system);
        path_ = std::string(system) + "\\drivers\\etc\\hosts";
        backup_ = path_ + ".korvexer-test-original";
        if (fileExists(backup_)) MoveFileExA(backup_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
        hadOne_ = fileExists(path_);
        if (hadOne_) original_ = readFileBytes(path_);
        planted_ = !hadOne_ || CopyFileA(path_.c_str(), backup_.c_str(), FALSE);
        if (planted_) writeFileBytes(path_, bytes);
    }
    ~PlantedHostsFile() {
        if (!planted_) return;
        if (hadOne_)
            writeFileBytes(path_, original_);
        else
            DeleteFileA(path_.c_str());
        if (!hadOne_ || readFileBytes(path_) == original_) DeleteFileA(backup_.c_str());
    }
    PlantedHostsFile(const PlantedHostsFile&) = delete;
    PlantedHostsFile& operator=(const PlantedHostsFile&) = delete;
    bool planted() const { return planted_ && fileExists(path_); }

  private:
    std::string path_, backup_, original_;
    bool hadOne_ = false;
    bool planted_ = false;
};

// Whether the command interpreter's "type" prints what follows a zero byte
// (Windows' does; Wine's stops at the first one).
bool typePassesZeroBytes(const TempDir& dir) {
    using namespace std::string_literals;
    writeFileBytes(dir.file("zero.txt"), "a\0b"s);
    std::string command =
        "cmd.exe /c type \"" + dir.file("zero.txt") + "\" > \"" + dir.file("typed.txt") + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const bool passes = readFileBytes(dir.file("typed.txt")) == "a\0b"s;
    DeleteFileA(dir.file("zero.txt").c_str());
    DeleteFileA(dir.file("typed.txt").c_str());
    return passes;
}

// A hosts file zero-filled after a crash: the report runs to its trailer
// with no zero byte in it, in the window and from the command line, and
// holds what follows the zeros wherever "type" prints it.
TEST_F(CommandLineReport, ZeroBytesInTheHostsFileCutNothing) {
    using namespace std::string_literals;
    const PlantedHostsFile hosts("127.0.0.1 before\0\0the zeros\r\n"s + std::string(300, '\0') +
                                 "\r\n127.0.0.1 after-the-zeros\r\n");
    ASSERT_TRUE(hosts.planted());
    const bool typePrintsAll = typePassesZeroBytes(work);
    App app(work.path());
    ASSERT_TRUE(automation::readyForCommands(app));
    app.press(IDC_COMMON_ENV);
    std::string view;
    // Done once the loaded report is there: it is shown whole (or cut), never piece by piece.
    EXPECT_TRUE(waitUntil(
        [&] {
            view = app.text(IDC_REPORT_VIEW);
            return view.find("Local host file: ") != std::string::npos && app.text(IDC_STATUS_LINE) == " ";
        },
        200000))
        << view.substr(0, 300);
    const std::string file = fileFrom("common", 200000);
    for (const auto& [where, text] : {std::pair{"view", view}, std::pair{"file", file}}) {
        EXPECT_NE(text.find("127.0.0.1 before"), std::string::npos) << where;
        if (typePrintsAll) {
            EXPECT_NE(text.find("127.0.0.1 before  the zeros\r\r\n" + std::string(300, ' ') +
                                "\r\r\n127.0.0.1 after-the-zeros\r\r\n"),
                      std::string::npos)
                << where;
        }
        EXPECT_EQ(text.find('\0'), std::string::npos) << where;
        EXPECT_TRUE(endsWithTrailer(text))
            << where << ": " << text.substr(text.size() > 300 ? text.size() - 300 : 0);
    }
}

struct Refused {
    const char* arguments;
    const char* reason;
};

TEST_F(CommandLineReport, RefusedLinesEndWithCodeOneAndOneLineOfReason) {
    const Refused cases[] = {
        {"/reprot hkcc out.txt", "unknown switch \"/reprot\""},
        {"hkcc out.txt", "unknown switch \"hkcc\""},
        {"/report", "needs a report kind and a file"},
        {"/report hkxx out.txt", "unknown report kind \"hkxx\": one of common, policies, services"},
        {"/report hkcc", "/report hkcc needs a file"},
        {"/report hkcc out.txt extra", "unexpected argument \"extra\""},
    };
    for (const auto& c : cases) {
        const CommandRun run = runCommandLine(c.arguments, work.path(), work.path(), 60000);
        EXPECT_EQ(run.exitCode, 1u) << c.arguments;
        EXPECT_EQ(run.err.rfind("Korvexer: ", 0), 0u) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.err.substr(run.err.size() - 2), "\r\n") << c.arguments;
        EXPECT_FALSE(fileExists(work.file("out.txt"))) << c.arguments;
    }
}

TEST_F(CommandLineReport, UsageOnQuestionMarkEndsWithCodeTwo) {
    const CommandRun run = runCommandLine("/?", work.path(), work.path(), 60000);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.out.find("Usage: Korvexer.exe [/report KIND FILE [/quiet] [/redact]]"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("common, policies, services, apppaths, ie, hkcr, hkcu, hklm, hku, hkcc"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err, "");
}

TEST_F(CommandLineReport, UnwritableFileEndsWithCodeOneAndKeepsAnEarlierFile) {
    const std::string readOnly = work.file("kept.txt");
    writeFileBytes(readOnly, "earlier report");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::pair<std::string, const char*> cases[] = {
        {work.file("no such folder\\r.txt"), "cannot write"},
        {work.path().substr(0, work.path().size() - 1), "it is a folder"},
        {readOnly, "it is read-only"},
    };
    for (const auto& [file, reason] : cases) {
        const CommandRun run =
            runCommandLine("/report hkcc \"" + file + "\"", work.path(), work.path(), 60000);
        EXPECT_EQ(run.exitCode, 1u) << file;
        EXPECT_NE(run.err.find(reason), std::string::npos) << file << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(readFileBytes(readOnly), "earlier report");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(CommandLineReport, EarlierFileSurvivesARunThatCannotPutItsReportInPlace) {
    // A reader holds the earlier report open and lets nobody delete or
    // replace it: the finished report cannot take its place.
    const std::string file = work.file("held open.txt");
    writeFileBytes(file, "earlier report");
    HANDLE reader = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const CommandRun run = runCommandLine("/report hkcc \"" + file + "\"", work.path(), work.path(), 120000);
    CloseHandle(reader);
    EXPECT_EQ(run.exitCode, 1u) << run.err;
    EXPECT_NE(run.err.find("cannot replace"), std::string::npos) << run.err;
    EXPECT_EQ(readFileBytes(file), "earlier report");
    EXPECT_EQ(leftBeside(file), "") << "the run leaves nothing beside the file";
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(CommandLineReport, RelativeFileIsWrittenInTheFolderItWasStartedInWithoutTempOrTmp) {
    // Without TEMP and TMP the work folder is the system's temp folder, and
    // finding it makes that the current folder: the report still lands in
    // the folder the command line was started in.
    const std::string file = work.file("relative.txt");
    const CommandRun run =
        runCommandLine("/report hkcc relative.txt", "", work.path(), 120000, {"TEMP", "TMP"}, work.path());
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFileBytes(file).rfind("HKEY_CURRENT_CONFIG Registry:\r\n\r\n", 0), 0u);
    EXPECT_EQ(leftBeside(file), "") << "nothing is left beside the file";
}

// Standard error here is a file: it never gets the console's progress line,
// with /quiet or without it.
TEST_F(CommandLineReport, QuietAfterTheFileIsTakenAndStandardErrorStaysEmpty) {
    for (const char* quiet : {"", " /quiet", " -QUIET"}) {
        const std::string file = work.file("quiet.txt");
        const CommandRun run =
            runCommandLine("/report hkcc \"" + file + "\"" + quiet, work.path(), work.path(), 120000);
        EXPECT_EQ(run.exitCode, 0u) << quiet << ": " << run.err;
        EXPECT_EQ(run.err, "") << quiet;
        EXPECT_EQ(run.out, "") << quiet;
        EXPECT_EQ(readFileBytes(file).rfind("HKEY_CURRENT_CONFIG Registry:\r\n\r\n", 0), 0u) << quiet;
        DeleteFileA(file.c_str());
    }
}

// Every other kind, from the command line alone: a complete report that
// starts as the window's view starts for the same task.
struct Smoke {
    const char* kind;
    const char* start; // nullptr: the report has no fixed first line
    bool trailer;      // the window ends this report with the trailer
};

// Printed as its kind, which names the ctest case.
void PrintTo(const Smoke& c, std::ostream* out) {
    *out << c.kind;
}

class CommandLineSmoke : public ::testing::TestWithParam<Smoke> {
  protected:
    TempDir work;
};

TEST_P(CommandLineSmoke, KindRunsToACompleteFile) {
    const Smoke& c = GetParam();
    const std::string file = work.file(std::string(c.kind) + ".txt");
    const CommandRun run = runCommandLine("/report " + std::string(c.kind) + " \"" + file + "\"", work.path(),
                                          work.path(), 220000);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string text = readFileBytes(file);
    ASSERT_FALSE(text.empty());
    if (c.start != nullptr) {
        EXPECT_EQ(text.rfind(c.start, 0), 0u) << text.substr(0, 300);
    }
    // Never the command's header: that is what the view shows while the task runs.
    EXPECT_NE(text.rfind("Getting ", 0), 0u) << text.substr(0, 300);
    EXPECT_EQ(endsWithTrailer(text), c.trailer) << text.substr(text.size() > 300 ? text.size() - 300 : 0);
    EXPECT_EQ(leftBeside(file), "");
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CommandLineSmoke,
    ::testing::Values(Smoke{"services", " Services in CurrentControlSet:\r\n", false},
                      Smoke{"apppaths",
                            " Microsoft Windows Application Path - keys and values from Registry:", true},
                      Smoke{"ie", nullptr, true}, Smoke{"hkcr", "HKEY_CLASSES_ROOT Registry:\r\n\r\n", true},
                      Smoke{"hkcu", "HKEY_CURRENT_USER Registry:\r\n\r\n", true},
                      Smoke{"hklm", "HKEY_LOCAL_MACHINE Registry:\r\n\r\n", true},
                      Smoke{"hku", "HKEY_USERS Registry:\r\n\r\n", true}),
    [](const ::testing::TestParamInfo<Smoke>& info) { return std::string(info.param.kind); });

} // namespace
