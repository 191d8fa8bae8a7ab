// The URL history of one user, read from the browser's cache index file
// ("index.dat"): the location text of every URL, LEAK and REDR record the
// file's hash tables point at, one per line.
//
// The parsing core knows no window and no file system: the bytes come from a
// ByteSource, the text goes to a sink, and the progress step, the halt
// request and the Yes/No question are the caller's. The file is untrusted:
// loops, offsets past the end and absurd sizes end the walk, they never hang
// it or make it allocate more than the file holds.
#pragma once

#include "ie/byte_source.h"

#include <functional>
#include <string>
#include <string_view>

// One run of the IE report asks the newer-format question at most once; a No
// switches history (and cookies) off for the rest of the run.
struct HistoryQuestionState {
    bool versionAsked = false;
    bool historyDisabled = false;
};

struct HistoryIndexIo {
    // Literal report text (never a format).
    std::function<void(std::string_view)> write;
    // Takes one progress step; false once a halt has been requested.
    std::function<bool()> step;
    // Shows the newer-format question; true for Yes.
    std::function<bool(const std::string& question)> ask;
};

enum class HistoryIndexResult {
    Listed,    // the walk ended (normally, or at a damaged part of the file)
    NotOpened, // no file: the apology was written
    Declined,  // the user answered No: nothing written, history off
    Halted,    // a halt was requested: the walk stopped at once
};

namespace historyindex {
// Offsets of the header fields.
inline constexpr uint32_t kVersionOffset = 24;
inline constexpr uint32_t kFileSizeOffset = 28;
inline constexpr uint32_t kFirstTableOffset = 32;
inline constexpr uint32_t kBlockSize = 128;
// Hash entries that point at nothing.
inline constexpr uint32_t kUnusedHashLowByte = 3;
inline constexpr uint32_t kBadRecord = 0x0BADF00D;
// Text bytes between two progress steps inside one long location: a step per
// byte would cost more than the byte, and a halt is still noticed at the next
// hash entry or within this many bytes of a location.
inline constexpr size_t kTextBytesPerStep = 256;
// The format version (in thousandths) above which the question is asked, and
// from which the text offset of URL and LEAK records is the byte at +52.
inline constexpr uint32_t kNewestKnownVersion = 5200;
inline constexpr uint32_t kNewLayoutVersion = 5000;
inline constexpr const char* kMakerWebAddress = "http://www.korvexer.invalid/";
} // namespace historyindex

// The four version bytes as a decimal number (leading digits, a point and
// digits) in thousandths: "5.2" gives 5200, "4.7" 4700, "001" 1000.
uint32_t historyVersionThousandths(const unsigned char (&bytes)[4]);

// The text of the newer-format question for `userName`.
std::string newerFormatQuestion(const std::string& userName);

// Lists the history of `userName` from `index`; a null `index` stands for a
// file that could not be opened. A No to the question clears `readHistory`.
HistoryIndexResult readHistoryIndex(ByteSource* index, const std::string& userName, HistoryQuestionState& run,
                                    bool& readHistory, const HistoryIndexIo& io);
