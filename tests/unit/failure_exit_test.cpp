// The way out when the view refuses a finished hive dump: the report is
// handed to a viewer and left on disk for it.
#include "app/failure_exit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using childstart::Interpreter;

TEST(FailureExit, ViewerCommandLineKeepsThePathWhole) {
    const std::string report = "C:\\Documents and Settings\\A&B\\Temp\\Korvexer_work_file.0123450.txt";
    EXPECT_EQ(failureexit::viewerCommandLine({true, "C:\\WINDOWS\\system32\\cmd.exe", ""}, report),
              "\"C:\\WINDOWS\\system32\\cmd.exe\" /c \"\"" + report + "\"\"");
    EXPECT_EQ(failureexit::viewerCommandLine({false, "C:\\WINDOWS\\COMMAND.COM", ""},
                                             "C:\\WINDOWS\\TEMP\\Korvexer_work_file.0123450.txt"),
              "\"C:\\WINDOWS\\COMMAND.COM\" /c start \"C:\\WINDOWS\\TEMP\\Korvexer_work_file.0123450.txt\"");
}

// What the edges saw, in order, and whether the report was on disk whenever
// a viewer was asked to open it.
struct Recorder {
    std::vector<std::string> calls;
    bool reportThereForViewer = true;
    failureexit::Edges edges(bool shellOpens) {
        failureexit::Edges e;
        e.repaintDesktop = [this] { calls.push_back("repaint"); };
        e.tell = [this](const char* text, const char* title) {
            calls.push_back(std::string("tell ") + title + ": " + text);
        };
        e.openWithShell = [this, shellOpens](const std::string& path) {
            calls.push_back("shell " + path);
            reportThereForViewer = reportThereForViewer && fileExists(path);
            return shellOpens;
        };
        e.openWithInterpreter = [this](const std::string& path) {
            calls.push_back("interpreter " + path);
            reportThereForViewer = reportThereForViewer && fileExists(path);
            return true;
        };
        e.remove = [this](const std::string& path) {
            calls.push_back("remove " + path);
            DeleteFileA(path.c_str());
        };
        return e;
    }
};

TEST(FailureExit, ReportStaysForTheViewerAndTheKeysListGoes) {
    for (const bool shellOpens : {true, false}) {
        TempDir dir;
        const std::string report = dir.file("Korvexer_work_file.0123450.txt");
        const std::string keys = report + "keys";
        writeFileBytes(report, "HKEY_CURRENT_USER Registry:\r\n");
        writeFileBytes(keys, "Software\r\n");
        Recorder r;
        failureexit::handOverReport(report, keys, r.edges(shellOpens));

        const std::string told = std::string("tell ") + failureexit::kTitle + ": " + failureexit::kText;
        std::vector<std::string> expected = {"repaint", told, "shell " + report};
        if (!shellOpens) expected.push_back("interpreter " + report);
        expected.insert(expected.end(), {"remove " + keys, "repaint"});
        EXPECT_EQ(r.calls, expected) << shellOpens;
        EXPECT_TRUE(r.reportThereForViewer) << shellOpens;
        EXPECT_TRUE(fileExists(report)) << "the viewer may open it after the program has ended";
        EXPECT_FALSE(fileExists(keys));
        DeleteFileA(report.c_str());
    }
}

TEST(FailureExit, AViewerThatCannotStartEndsTheExitAllTheSame) {
    TempDir dir;
    const std::string report = dir.file("Korvexer_work_file.0123450.txt");
    writeFileBytes(report, "x");
    Recorder r;
    failureexit::Edges edges = r.edges(false);
    edges.openWithInterpreter = [](const std::string&) -> bool { throw std::bad_alloc(); };
    failureexit::handOverReport(report, report + "keys", edges);
    ASSERT_GE(r.calls.size(), 2u);
    EXPECT_EQ(r.calls[r.calls.size() - 2], "remove " + report + "keys");
    EXPECT_EQ(r.calls.back(), "repaint");
    EXPECT_TRUE(fileExists(report));
    DeleteFileA(report.c_str());
}

} // namespace
