#include "compare_command.h"

#include "compare/report_compare.h"
#include "console_streams.h"
#include "report/win_handles.h"
#include "report_target.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

bool readReportFile(const std::string& path, unsigned long limit, std::string& bytes, std::string& reason) {
    bytes.clear();
    // Shared for writing too: a report still open in an editor can be read.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        reason = withError("cannot read " + path, GetLastError());
        return false;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        reason = withError("cannot read " + path, GetLastError());
        return false;
    }
    if (high != 0 || low > limit) {
        reason = path + " is larger than a report can be (" + std::to_string(limit >> 20) + " MB)";
        return false;
    }
    bool ok = true;
    try {
        bytes.resize(low);
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            if (!ReadFile(file.get(), &bytes[done], chunk, &got, nullptr)) {
                reason = withError("cannot read " + path, GetLastError());
                ok = false;
                break;
            }
            if (got == 0) {
                // The file shrank while read: what was read is all there is.
                bytes.resize(done);
                break;
            }
            done += got;
        }
    } catch (const std::bad_alloc&) {
        reason = "not enough memory to read " + path;
        ok = false;
    }
    if (!ok) bytes.clear();
    return ok;
}

int runCompareFromCommandLine(const CommandLine& line, ConsoleStreams& console) {
    try {
        // OUT put in the place of OLD or NEW would destroy a report for its own
        // comparison: refused before anything is read or written.
        if (!line.file.empty()) {
            for (const std::string* input : {&line.oldFile, &line.newFile}) {
                if (sameFileName(*input, line.file)) {
                    console.errorLine("the comparison would be written over the report it reads: " + *input);
                    return exitcode::kTrouble;
                }
            }
        }
        std::string before, after, reason;
        if (!readReportFile(line.oldFile, kLargestComparedReport, before, reason) ||
            !readReportFile(line.newFile, kLargestComparedReport, after, reason)) {
            console.errorLine(reason);
            return exitcode::kTrouble;
        }
        // The output's place is checked before the work, as /report does.
        std::unique_ptr<ReportTarget> target;
        if (!line.file.empty()) {
            target = std::make_unique<ReportTarget>(line.file);
            if (!target->ready()) {
                console.errorLine(target->reason());
                return exitcode::kTrouble;
            }
        }
        const Comparison comparison = compareReports(before, after, line.oldFile, line.newFile);
        if (comparison.outcome == Comparison::Outcome::Trouble) {
            console.errorLine(comparison.trouble);
            return exitcode::kTrouble;
        }
        if (target) {
            if (!target->commit(comparison.text)) {
                console.errorLine(target->reason());
                return exitcode::kTrouble;
            }
        } else {
            console.out(comparison.text);
        }
        return comparison.outcome == Comparison::Outcome::Same ? exitcode::kSame : exitcode::kDiffer;
    } catch (const std::bad_alloc&) {
        console.errorLine("not enough memory to compare " + line.oldFile + " and " + line.newFile);
        return exitcode::kTrouble;
    }
}
