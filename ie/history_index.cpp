#include "history_index.h"

#include "resources/version.h"

#include <algorithm>
#include <array>
#include <memory>
#include <unordered_set>
#include <vector>

namespace {

using namespace historyindex;

// The index is read at scattered offsets (a hash entry, then its record
// somewhere else), so the reader keeps a few pages of the file rather than
// one window; each miss is one bounded read of the source.
class PagedReader {
  public:
    explicit PagedReader(ByteSource& source) : source_(source), size_(source.size()), pages_(kSlots) {}

    uint64_t size() const { return size_; }

    bool byte(uint64_t offset, unsigned char& out) {
        const Page* p = page(offset / kPageSize);
        const size_t at = static_cast<size_t>(offset % kPageSize);
        if (p == nullptr || at >= p->length) return false;
        out = p->data[at];
        return true;
    }

    // False unless all `count` bytes exist.
    bool bytes(uint64_t offset, unsigned char* out, size_t count) {
        for (size_t i = 0; i < count; ++i)
            if (!byte(offset + i, out[i])) return false;
        return true;
    }

    bool u32(uint64_t offset, uint32_t& out) {
        unsigned char b[4];
        if (!bytes(offset, b, 4)) return false;
        out = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
        return true;
    }

  private:
    static constexpr size_t kPageSize = 8192;
    static constexpr size_t kSlots = 32;
    static constexpr uint64_t kNoPage = ~uint64_t{0};

    struct Page {
        uint64_t number = kNoPage;
        size_t length = 0;
        std::unique_ptr<unsigned char[]> data;
    };

    const Page* page(uint64_t number) {
        if (number >= (size_ + kPageSize - 1) / kPageSize) return nullptr;
        Page& slot = pages_[static_cast<size_t>(number % kSlots)];
        if (slot.number != number) {
            if (!slot.data) slot.data = std::make_unique<unsigned char[]>(kPageSize);
            const uint64_t start = number * kPageSize;
            const size_t want = static_cast<size_t>(std::min<uint64_t>(kPageSize, size_ - start));
            slot.length = source_.readAt(start, slot.data.get(), want);
            slot.number = number;
        }
        return &slot;
    }

    ByteSource& source_;
    uint64_t size_;
    std::vector<Page> pages_;
};

enum class RecordOutcome { Done, Halted, OutOfText };

class HistoryWalk {
  public:
    HistoryWalk(PagedReader& file, const HistoryIndexIo& io, uint32_t version)
        : file_(file), io_(io), textLengthField_(version >= kNewLayoutVersion ? 52 : 56),
          tableBudget_(file.size()), textBudget_(file.size()) {}

    HistoryIndexResult run() {
        uint32_t first = 0;
        file_.u32(kFileSizeOffset, textLimit_);
        file_.u32(kFirstTableOffset, first);
        // Tables of a sound file lie apart from each other: a chain that comes
        // back to a table it has visited, or tables that together cover more
        // bytes than the file holds, are damage, and the walk ends there.
        std::unordered_set<uint32_t> visited;
        for (uint32_t table = first; table != 0;) {
            if (!io_.step()) return HistoryIndexResult::Halted;
            if (!visited.insert(table).second || tableBudget_ == 0) break;
            uint32_t next = 0;
            uint32_t blocks = 0;
            if (!file_.u32(uint64_t{table} + 8, next) || !file_.u32(uint64_t{table} + 4, blocks)) break;
            const uint64_t declared = uint64_t{blocks} * kBlockSize;
            const uint64_t covered = std::max<uint64_t>(std::min(declared, file_.size() - table), 16);
            const uint64_t allowed = std::min(covered, tableBudget_);
            tableBudget_ -= allowed;
            const uint64_t end = table + std::min(declared, allowed);
            for (uint64_t entry = uint64_t{table} + 16; entry < end; entry += 8) {
                uint32_t hash = 0;
                uint32_t record = 0;
                if (!file_.u32(entry, hash)) break;
                if (!io_.step()) return HistoryIndexResult::Halted;
                if (!file_.u32(entry + 4, record)) break;
                if ((hash & 0xFF) == kUnusedHashLowByte || record == 0 || record == kBadRecord) continue;
                const RecordOutcome outcome = listRecord(record);
                if (outcome == RecordOutcome::Halted) return HistoryIndexResult::Halted;
                if (outcome == RecordOutcome::OutOfText) return HistoryIndexResult::Listed;
            }
            table = next;
        }
        return HistoryIndexResult::Listed;
    }

  private:
    bool textStart(uint32_t record, uint64_t& start) {
        unsigned char signature[4];
        if (!file_.bytes(record, signature, 4)) return false;
        const std::string_view sig(reinterpret_cast<const char*>(signature), 4);
        if (sig == "REDR") {
            start = uint64_t{record} + 16;
            return true;
        }
        if (sig.substr(0, 3) == "URL" || sig == "LEAK") {
            unsigned char offset = 0;
            if (!file_.byte(uint64_t{record} + textLengthField_, offset)) return false;
            start = uint64_t{record} + offset;
            return true;
        }
        return false;
    }

    RecordOutcome listRecord(uint32_t record) {
        uint64_t start = 0;
        uint32_t blocks = 0;
        if (!textStart(record, start) || !file_.u32(uint64_t{record} + 4, blocks)) return RecordOutcome::Done;
        const uint64_t capacity = uint64_t{blocks} * kBlockSize + 100;
        text_.clear();
        for (uint64_t at = start; text_.size() < capacity && at < textLimit_; ++at) {
            unsigned char c = 0;
            if (!file_.byte(at, c) || c == 0) break;
            // The locations of a sound file lie apart from each other and
            // hold fewer bytes than the file: more means hash entries that
            // keep pointing into the same text.
            if (textBudget_ == 0) return RecordOutcome::OutOfText;
            --textBudget_;
            text_.push_back(c < 32 || c > 127 ? ' ' : static_cast<char>(c));
            if (text_.size() % kTextBytesPerStep == 0 && !io_.step()) return RecordOutcome::Halted;
        }
        text_.insert(0, "    ");
        text_.push_back('\n');
        io_.write(text_);
        return RecordOutcome::Done;
    }

    PagedReader& file_;
    const HistoryIndexIo& io_;
    const uint32_t textLengthField_;
    uint32_t textLimit_ = 0;
    uint64_t tableBudget_;
    uint64_t textBudget_;
    std::string text_;
};

} // namespace

uint32_t historyVersionThousandths(const unsigned char (&bytes)[4]) {
    uint32_t whole = 0;
    size_t i = 0;
    for (; i < 4 && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
        whole = whole * 10 + (bytes[i] - '0');
    uint32_t fraction = 0;
    uint32_t scale = 100;
    if (i < 4 && bytes[i] == '.') {
        for (++i; i < 4 && bytes[i] >= '0' && bytes[i] <= '9'; ++i, scale /= 10)
            fraction += (bytes[i] - '0') * scale;
    }
    return whole * 1000 + fraction;
}

std::string newerFormatQuestion(const std::string& userName) {
    std::string text = "Korvexer Version: " KORVEXER_VERSION_REPORT_TEXT
                       " has been tested to collect Internet Explorer History and "
                       "Cookie Files History for "
                       "IE version 7.0.5700.6 and below.\n\n\nKorvexer has detected a never version of "
                       "Internet Explorer data file "
                       "(for current user \"";
    text += userName;
    text += "\") .\n\nDo you wish to collect History data for the current version of Internet Explorer? If "
            "yes is "
            "choose -> the program can have unexpected behaviours and perhaps shutdown "
            "unwanted!\n\nRecommendation - "
            "please download a new version of Korvexer from ";
    text += kMakerWebAddress;
    text += " to collect Internet Explorer History for your current version of Internet Explorer.\n\nDo you "
            "wish to "
            "collect History data for the current version of Internet Explorer using Korvexer "
            "Version: " KORVEXER_VERSION_REPORT_TEXT "?\n\n";
    return text;
}

HistoryIndexResult readHistoryIndex(ByteSource* index, const std::string& userName, HistoryQuestionState& run,
                                    bool& readHistory, const HistoryIndexIo& io) {
    if (index == nullptr) {
        io.write("\nInternet Explorer History for user: " + userName +
                 ":\nSorry - Read file privilege is not enablet for curret user or History file for user not "
                 "exist!\n\n");
        return HistoryIndexResult::NotOpened;
    }
    PagedReader file(*index);
    // A file too short for the field reads as version 0 (the old layout).
    unsigned char versionBytes[4] = {};
    for (size_t i = 0; i < 4; ++i)
        if (!file.byte(kVersionOffset + i, versionBytes[i])) break;
    const uint32_t version = historyVersionThousandths(versionBytes);
    if (version > kNewestKnownVersion && !run.versionAsked) {
        run.versionAsked = true;
        if (!io.ask(newerFormatQuestion(userName))) {
            run.historyDisabled = true;
            readHistory = false;
            return HistoryIndexResult::Declined;
        }
    }
    io.write("\nInternet Explorer History for user: " + userName + "\n");
    return HistoryWalk(file, io, version).run();
}
