#include "report/work_directory.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>

namespace {

WorkDirectoryInputs inputs(std::map<std::string, std::string> env, std::string cwd, bool canEnter,
                           std::string* entered = nullptr) {
    WorkDirectoryInputs in;
    in.environment = [env](const char* name) -> std::optional<std::string> {
        auto it = env.find(name);
        if (it == env.end()) return std::nullopt;
        return it->second;
    };
    in.currentDirectory = std::move(cwd);
    in.changeDirectory = [canEnter, entered](const std::string& p) {
        if (entered) *entered = p;
        return canEnter;
    };
    return in;
}

TEST(WorkDirectory, Rules) {
    struct Case {
        std::map<std::string, std::string> env;
        bool canEnter;
        const char* expected;
    } cases[] = {
        {{{"TEMP", "C:\\T"}, {"TMP", "C:\\X"}}, true, "C:\\T\\"},
        {{{"TEMP", "C:\\T\\"}}, true, "C:\\T\\"},
        {{{"TMP", "D:\\tmp dir"}}, true, "D:\\tmp dir\\"},
        {{{"TMP", "D:\\tmp\\"}}, true, "D:\\tmp\\"},
        {{{"SystemRoot", "C:\\WINDOWS"}}, true, "C:\\WINDOWS\\temp\\"},
        {{{"SystemRoot", "C:\\WINDOWS"}}, false, "C:\\work\\"},
        {{}, true, "C:\\work\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chooseWorkDirectory(inputs(c.env, "C:\\work", c.canEnter)), c.expected) << c.expected;
    }
}

TEST(WorkDirectory, CurrentDirectoryKeepsItsOwnBackslash) {
    EXPECT_EQ(chooseWorkDirectory(inputs({}, "C:\\", true)), "C:\\");
}

TEST(WorkDirectory, SystemRootCandidateIsTriedAsTheCurrentDirectory) {
    std::string entered;
    chooseWorkDirectory(inputs({{"SystemRoot", "E:\\win"}}, "C:\\", true, &entered));
    EXPECT_EQ(entered, "E:\\win\\temp\\");
}

TEST(WorkDirectory, ReadsTheRealEnvironmentEveryCall) {
    TempDir dir;
    char saved[32768] = {};
    const DWORD had = GetEnvironmentVariableA("TEMP", saved, sizeof saved);
    std::string noSlash = dir.path().substr(0, dir.path().size() - 1);
    SetEnvironmentVariableA("TEMP", noSlash.c_str());
    EXPECT_EQ(workDirectory(), dir.path());
    SetEnvironmentVariableA("TEMP", dir.path().c_str());
    EXPECT_EQ(workDirectory(), dir.path());
    SetEnvironmentVariableA("TEMP", had ? saved : nullptr);
}

}  // namespace
