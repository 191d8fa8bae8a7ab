#include "report/system_api.h"
#include "report/report_file.h"
#include "report/work_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

// Runs a scope as on a system whose kernel has none of the later functions.
struct OldKernel {
    OldKernel() { sys::hideKernel32Extras(true); }
    ~OldKernel() { sys::hideKernel32Extras(false); }
};

TEST(Kernel32Extras, FoundWhereTheSystemHasThemAndHiddenOnRequest) {
    // Wine exports all of them: a name spelt wrong would silently leave a
    // feature out on every system.
    const sys::Kernel32Extras& found = sys::kernel32Extras();
    EXPECT_NE(found.getFileSizeEx, nullptr);
    EXPECT_NE(found.createJobObjectA, nullptr);
    EXPECT_NE(found.assignProcessToJobObject, nullptr);
    EXPECT_NE(found.terminateJobObject, nullptr);
    OldKernel old;
    const sys::Kernel32Extras& hidden = sys::kernel32Extras();
    EXPECT_EQ(hidden.getFileSizeEx, nullptr);
    EXPECT_EQ(hidden.createJobObjectA, nullptr);
    EXPECT_EQ(hidden.assignProcessToJobObject, nullptr);
    EXPECT_EQ(hidden.terminateJobObject, nullptr);
}

TEST(FileSize, SameWithAndWithoutGetFileSizeEx) {
    TempDir dir;
    for (size_t bytes : {size_t{0}, size_t{1}, size_t{70000}}) {
        const std::string path = dir.file("size" + std::to_string(bytes));
        writeFileBytes(path, std::string(bytes, 'x'));
        HANDLE h = openWorkFileToRead(path);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ULONGLONG withEx = 99, without = 99;
        EXPECT_TRUE(sys::fileSize(h, withEx));
        {
            OldKernel old;
            EXPECT_TRUE(sys::fileSize(h, without));
        }
        CloseHandle(h);
        EXPECT_EQ(withEx, bytes);
        EXPECT_EQ(without, bytes);
    }
    ULONGLONG size = 0;
    OldKernel old;
    EXPECT_FALSE(sys::fileSize(INVALID_HANDLE_VALUE, size));
}

// Work files are appended to without append-only access (Windows 95 to ME
// lack it): every write must still land at the end another writer left.
// Windows 95 to ME fail every CreateFile that asks for FILE_SHARE_DELETE:
// not one work file would open there.
TEST(WorkFileSharing, DeleteSharingOnlyOnTheNtFamily) {
    EXPECT_EQ(workFileSharingFor(false), static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(workFileSharingFor(true), static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
    EXPECT_EQ(workFileSharing(), workFileSharingFor(true)) << "Wine is of the NT family";
}

TEST(WorkFileAppend, EachWriteLandsAtTheCurrentEnd) {
    TempDir dir;
    const std::string path = dir.file("shared.txt");
    ReportFile report;
    // The report file writes through its buffer: flushed here after each
    // append, so the writes interleave with the other handle's.
    ASSERT_TRUE(report.append(path, "one "));
    report.flush();
    ASSERT_TRUE(appendWorkFile(path, "other "));
    ASSERT_TRUE(report.append(path, "two "));
    report.flush();
    ASSERT_TRUE(appendWorkFile(path, "more"));
    // A reader sees everything while the report handle is still open.
    EXPECT_EQ(readFileBytes(path), "one other two more");
    std::string whole;
    EXPECT_TRUE(readWholeFile(path, whole));
    EXPECT_EQ(whole, "one other two more");
    // Held by the report writer, the file can still be deleted (Clear does).
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    report.close();
    EXPECT_FALSE(fileExists(path));
}

} // namespace
