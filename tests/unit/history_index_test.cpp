#include "ie/history_index.h"
#include "ie/index_file.h"
#include "support/index_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kHeader = "\nInternet Explorer History for user: alice\n";
constexpr uint32_t kBadRecordOffset = 0x0BADF00D;

// A file of `base` followed, far away, by `distant` at `distantOffset`, zeros between.
class SparseSource final : public ByteSource {
  public:
    SparseSource(std::string base, uint64_t distantOffset, std::string distant)
        : base_(std::move(base)), distantOffset_(distantOffset), distant_(std::move(distant)) {}
    size_t readAt(uint64_t offset, unsigned char* out, size_t count) override {
        size_t n = 0;
        for (; n < count && offset + n < size(); ++n) {
            const uint64_t at = offset + n;
            out[n] = at < base_.size()      ? static_cast<unsigned char>(base_[at])
                     : at >= distantOffset_ ? static_cast<unsigned char>(distant_[at - distantOffset_])
                                            : 0;
        }
        return n;
    }
    uint64_t size() const override { return distantOffset_ + distant_.size(); }

  private:
    std::string base_;
    uint64_t distantOffset_;
    std::string distant_;
};

// One call of the reader over bytes in memory, with everything it did.
struct Listing {
    HistoryIndexResult result = HistoryIndexResult::Listed;
    std::string text;
    std::vector<std::string> questions;
    int steps = 0;
    bool readHistory = true;
    HistoryQuestionState run;
};

struct Options {
    bool answerYes = true;
    int haltAtStep = -1; // the step that finds a halt requested (1-based); -1 never
    HistoryQuestionState run;
};

Listing list(const std::string& file, Options options = {}) {
    Listing out;
    out.run = options.run;
    HistoryIndexIo io;
    io.write = [&](std::string_view text) { out.text += text; };
    io.step = [&] { return ++out.steps != options.haltAtStep; };
    io.ask = [&](const std::string& question) {
        out.questions.push_back(question);
        return options.answerYes;
    };
    MemoryByteSource source(file);
    out.result = readHistoryIndex(&source, "alice", out.run, out.readHistory, io);
    return out;
}

TEST(HistoryIndex, Version52ListsUrlLeakAndRedrRecordsInTableOrder) {
    IndexFileBuilder b("5.2");
    const uint32_t t = b.addTable();
    b.addListed(t, 0, "URL ", "Visited: alice@http://example.com/");
    b.addListed(t, 1, "LEAK", "http://leak.example/");
    b.addListed(t, 2, "REDR", "http://redirect.example/");
    b.addListed(t, 3, "URLx", "http://fourth-byte-not-tested.example/");
    b.addListed(t, 4, "HASH", "not a record anyone lists");
    b.addListed(t, 5, "URL", "http://three-letters.example/"); // "URL\0"
    const Listing l = list(b.build());
    EXPECT_EQ(l.result, HistoryIndexResult::Listed);
    EXPECT_TRUE(l.questions.empty());
    EXPECT_EQ(l.text, std::string(kHeader) + "    Visited: alice@http://example.com/\n"
                                             "    http://leak.example/\n"
                                             "    http://redirect.example/\n"
                                             "    http://fourth-byte-not-tested.example/\n"
                                             "    http://three-letters.example/\n");
}

TEST(HistoryIndex, OlderVersionsTakeTheTextOffsetFromByte56) {
    for (const char* version : {"4.7", "4.9", "001"}) {
        IndexFileBuilder b(version);
        const uint32_t t = b.addTable();
        b.addListed(t, 0, "URL ", "http://old.example/");
        b.addListed(t, 1, "LEAK", "http://old-leak.example/");
        b.addListed(t, 2, "REDR", "http://old-redirect.example/");
        const std::string file = b.build();
        // Under the other rule the decoy text would show instead.
        EXPECT_EQ(list(file).text, std::string(kHeader) +
                                       "    http://old.example/\n    http://old-leak.example/\n"
                                       "    http://old-redirect.example/\n")
            << version;
    }
}

TEST(HistoryIndex, EntriesThatPointAtNothingAreSkipped) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable();
    const uint32_t listed = b.addRecord("URL ", "http://listed.example/");
    struct Entry {
        uint32_t hash;
        uint32_t record;
    };
    const Entry entries[] = {
        {0x12345603, listed},     // low byte 3: free entry
        {0x00000303, listed},     // low byte 3 again, whatever the rest
        {0x12345600, 0},          // no record
        {0x12345600, 0x0BADF00D}, // the marker of a removed record
        {0x00000030, listed},     // low byte 0x30: listed
        {0x00000013, listed},     // low byte 0x13: listed
    };
    for (uint32_t i = 0; i < std::size(entries); ++i)
        b.setEntry(t, i, entries[i].hash, entries[i].record);
    // A file large enough to hold a record at the removed-record marker's
    // offset, without making one: a sound record sits there too.
    const std::string file = b.build();
    IndexFileBuilder placed;
    const std::string badRecord = placed.bytes().substr(placed.addRecord("URL ", "http://marker.example/"));
    SparseSource source(file, kBadRecordOffset, badRecord);
    Listing l;
    HistoryIndexIo io;
    io.write = [&](std::string_view text) { l.text += text; };
    io.step = [] { return true; };
    io.ask = [](const std::string&) { return true; };
    readHistoryIndex(&source, "alice", l.run, l.readHistory, io);
    EXPECT_EQ(l.text, std::string(kHeader) + "    http://listed.example/\n    http://listed.example/\n");
}

TEST(HistoryIndex, ControlBytesAndBytesAbove127BecomeBlanks) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable();
    b.addListed(t, 0, "URL ",
                std::string("a\x01"
                            "b\x1f"
                            "c\x7f"
                            "d\x80"
                            "e\xff"
                            "f\t\r\n",
                            15));
    EXPECT_EQ(list(b.build()).text, std::string(kHeader) + "    a b c\x7f"
                                                           "d e f   \n");
}

TEST(HistoryIndex, TextEndsAtTheFileSizeOfTheHeaderOrTheData) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable();
    const uint32_t r = b.addListed(t, 0, "URL ", "http://runs-to-the-end.example/");
    std::string file = b.build();
    // The record's text runs to the end of the data: no terminator.
    const uint32_t textAt = r + IndexFileBuilder::kTextOffset;
    file.resize(textAt + 10);

    // Header larger than the data: cut at the data's end.
    EXPECT_EQ(list(file).text, std::string(kHeader) + "    http://run\n");
    // Header smaller: cut there.
    IndexFileBuilder::put32To(file, 28, textAt + 4);
    EXPECT_EQ(list(file).text, std::string(kHeader) + "    http\n");
    // Header at the text's start: an empty location.
    IndexFileBuilder::put32To(file, 28, textAt);
    EXPECT_EQ(list(file).text, std::string(kHeader) + "    \n");
}

TEST(HistoryIndex, TextHoldsAtMostTheRecordBlocksTimes128Plus100) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable();
    const std::string longText(600, 'x');
    const uint32_t r = b.addListed(t, 0, "REDR", longText);
    for (const uint32_t blocks : {0u, 1u, 3u, 9u}) {
        b.put32(r + 4, blocks);
        const size_t expected = std::min<size_t>(blocks * 128 + 100, longText.size());
        EXPECT_EQ(list(b.build()).text, std::string(kHeader) + "    " + std::string(expected, 'x') + "\n")
            << blocks;
    }
}

TEST(HistoryIndex, FollowsTheTableChainAndEndsAtALoop) {
    IndexFileBuilder b;
    const uint32_t first = b.addTable();
    const uint32_t second = b.addTable(2);
    b.addListed(first, 0, "URL ", "http://first.example/");
    b.addListed(second, 0, "URL ", "http://second.example/");
    const std::string both = std::string(kHeader) + "    http://first.example/\n    http://second.example/\n";
    EXPECT_EQ(list(b.build()).text, both);

    b.link(second, first); // second -> first -> second ...
    EXPECT_EQ(list(b.build()).text, both);
    b.link(second, second); // a table that names itself
    EXPECT_EQ(list(b.build()).text, both);
}

TEST(HistoryIndex, OffsetsBeyondTheFileEndTheWalkOrSkipTheEntry) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable();
    b.setEntry(t, 0, 0x100, 0xFFFFFF00); // record beyond the file
    b.addListed(t, 1, "URL ", "http://still-listed.example/");
    const std::string file = b.build();
    EXPECT_EQ(list(file).text, std::string(kHeader) + "    http://still-listed.example/\n");

    std::string away = file;
    IndexFileBuilder::put32To(away, 32, 0xFFFFFF00); // first table beyond the file
    EXPECT_EQ(list(away).text, kHeader);
    IndexFileBuilder::put32To(away, 32, 0); // no table
    EXPECT_EQ(list(away).text, kHeader);
}

TEST(HistoryIndex, AbsurdBlockCountsStayWithinTheFile) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable(1);
    b.addListed(t, 0, "URL ", "http://one.example/");
    const uint32_t r = b.addListed(t, 1, "URL ", "http://huge-record.example/");
    b.put32(t + 4, 0xFFFFFFFF); // a table of 512 GiB
    b.put32(r + 4, 0xFFFFFFFF); // and a record as large
    const Listing l = list(b.build());
    EXPECT_EQ(l.result, HistoryIndexResult::Listed);
    // The table's entries run on over the records (whose bytes read as entries
    // with small record offsets): the walk may list odd text but no more
    // entries than the file has room for.
    EXPECT_EQ(
        l.text.rfind(std::string(kHeader) + "    http://one.example/\n    http://huge-record.example/\n", 0),
        0u);
    EXPECT_LE(l.steps, static_cast<int>(b.bytes().size() / 8) + 2);
}

TEST(HistoryIndex, EntriesThatAllPointAtOneLongTextEndWithinTheFileSize) {
    // 3,990 entries naming the same record whose text fills the file: a sound
    // file never holds more location text than bytes.
    IndexFileBuilder b;
    const uint32_t t = b.addTable(250);
    const uint32_t r = b.addRecord("URL ", std::string(30000, 'y'));
    b.put32(r + 4, 0xFFFFFFFF);
    for (uint32_t i = 0; i < 3990; ++i)
        b.setEntry(t, i, 0x100, r);
    const std::string file = b.build();
    const Listing l = list(file);
    EXPECT_EQ(l.result, HistoryIndexResult::Listed);
    EXPECT_LE(l.text.size(), file.size() + 2 * 4000);
    EXPECT_GE(l.text.size(), 30000u);
}

TEST(HistoryIndex, OverlappingTablesCoverNoMoreThanTheFile) {
    // Tables chained at every 16 bytes over one large region, each claiming
    // to run to the end: without a bound this is quadratic in the file size.
    IndexFileBuilder b;
    const uint32_t region = b.addTable(4096);
    for (uint32_t at = region; at + 16 < region + 4096 * 128; at += 16) {
        b.put32(at + 4, 4096);
        b.put32(at + 8, at + 16);
    }
    const std::string file = b.build();
    const Listing l = list(file);
    EXPECT_EQ(l.result, HistoryIndexResult::Listed);
    EXPECT_LE(l.steps, static_cast<int>(file.size() / 8 + file.size() / 16) + 2);
}

TEST(HistoryIndex, TruncatedFilesListWhatIsThereAndEnd) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable(1);
    b.addListed(t, 0, "URL ", "http://one.example/");
    b.addListed(t, 1, "REDR", "http://two.example/");
    const std::string whole = b.build();
    const std::string full = list(whole).text;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        const Listing l = list(whole.substr(0, cut));
        ASSERT_EQ(l.result, HistoryIndexResult::Listed) << cut;
        // Each line is a header, or four blanks and printable text.
        ASSERT_EQ(l.text.rfind(kHeader, 0), 0u) << cut;
        ASSERT_LE(l.text.size(), full.size()) << cut;
    }
}

TEST(HistoryIndex, VersionTextAsADecimalNumber) {
    struct Case {
        const char bytes[5];
        uint32_t thousandths;
    };
    const Case cases[] = {
        {"5.2", 5200}, {"4.7", 4700}, {"001", 1000}, {"5.10", 5100}, {"5.25", 5250}, {"12.5", 12500},
        {".5", 500},   {"5", 5000},   {"abc", 0},    {"", 0},        {"7.x", 7000},  {"9999", 9999000},
    };
    for (const Case& c : cases) {
        unsigned char bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<unsigned char>(c.bytes[i]);
        EXPECT_EQ(historyVersionThousandths(bytes), c.thousandths) << c.bytes;
    }
}

TEST(HistoryIndex, NewerFormatQuestionIsAskedOnceAndNoSwitchesHistoryOff) {
    IndexFileBuilder b("5.3");
    const uint32_t t = b.addTable();
    b.addListed(t, 0, "URL ", "http://newer.example/");
    const std::string file = b.build();

    Options no;
    no.answerYes = false;
    const Listing declined = list(file, no);
    EXPECT_EQ(declined.result, HistoryIndexResult::Declined);
    ASSERT_EQ(declined.questions.size(), 1u);
    EXPECT_EQ(declined.questions[0], newerFormatQuestion("alice"));
    EXPECT_NE(declined.questions[0].find("(for current user \"alice\") ."), std::string::npos);
    EXPECT_EQ(declined.text, "");
    EXPECT_FALSE(declined.readHistory);
    EXPECT_TRUE(declined.run.versionAsked);
    EXPECT_TRUE(declined.run.historyDisabled);

    const Listing accepted = list(file);
    EXPECT_EQ(accepted.questions.size(), 1u);
    EXPECT_EQ(accepted.result, HistoryIndexResult::Listed);
    EXPECT_EQ(accepted.text, std::string(kHeader) + "    http://newer.example/\n");
    EXPECT_TRUE(accepted.readHistory);
    EXPECT_TRUE(accepted.run.versionAsked);
    EXPECT_FALSE(accepted.run.historyDisabled);

    // The second profile of the same run, after the Yes: no question.
    Options later;
    later.run = accepted.run;
    const Listing second = list(file, later);
    EXPECT_TRUE(second.questions.empty());
    EXPECT_EQ(second.text, accepted.text);

    for (const char* version : {"5.2", "5.20", "4.7", "001"}) {
        IndexFileBuilder known(version);
        known.addTable();
        EXPECT_TRUE(list(known.build(), no).questions.empty()) << version;
    }
    for (const char* version : {"5.21", "6.0", "10.0"}) {
        IndexFileBuilder newer(version);
        newer.addTable();
        EXPECT_EQ(list(newer.build(), no).questions.size(), 1u) << version;
    }
}

TEST(HistoryIndex, QuestionTextNamesTheUserAndTheWebAddress) {
    const std::string q = newerFormatQuestion("Bob %s %n");
    EXPECT_EQ(
        q.rfind(
            "Korvexer Version: 1.1.00 has been tested to collect Internet Explorer History and Cookie Files "
            "History for IE version 7.0.5700.6 and below.\n\n\nKorvexer has detected a never version of "
            "Internet Explorer data file (for current user \"Bob %s %n\") .\n\n",
            0),
        0u);
    EXPECT_NE(q.find("download a new version of Korvexer from " +
                     std::string(historyindex::kMakerWebAddress) + " to collect"),
              std::string::npos);
    const std::string ending = "using Korvexer Version: 1.1.00?\n\n";
    EXPECT_EQ(q.substr(q.size() - ending.size()), ending);
}

TEST(HistoryIndex, MissingFileWritesTheApology) {
    Listing out;
    HistoryIndexIo io;
    io.write = [&](std::string_view text) { out.text += text; };
    io.step = [] { return true; };
    io.ask = [](const std::string&) { return true; };
    const HistoryIndexResult r = readHistoryIndex(nullptr, "alice", out.run, out.readHistory, io);
    EXPECT_EQ(r, HistoryIndexResult::NotOpened);
    EXPECT_EQ(out.text,
              "\nInternet Explorer History for user: alice:\nSorry - Read file privilege is not enablet for "
              "curret user or History file for user not exist!\n\n");
    EXPECT_TRUE(out.readHistory);

    TempDir dir;
    out.text.clear();
    EXPECT_EQ(readHistoryIndexFile(dir.file("index.dat"), "alice", out.run, out.readHistory, io),
              HistoryIndexResult::NotOpened);
    EXPECT_NE(out.text.find("Sorry"), std::string::npos);
}

TEST(HistoryIndex, HaltStopsAtTheStepItIsNoticedAndAbandonsTheRecord) {
    IndexFileBuilder b;
    const uint32_t t = b.addTable();
    b.addListed(t, 0, "URL ", "http://short.example/");
    b.addListed(t, 1, "URL ", std::string(1000, 'L')); // a few steps inside the text
    b.addListed(t, 2, "REDR", "http://after.example/");
    const std::string file = b.build();
    const Listing whole = list(file);
    ASSERT_GT(whole.steps, 5);
    bool sawPartial = false;
    for (int k = 1; k <= whole.steps; ++k) {
        Options o;
        o.haltAtStep = k;
        const Listing l = list(file, o);
        ASSERT_EQ(l.result, HistoryIndexResult::Halted) << k;
        ASSERT_EQ(l.steps, k);
        // Whole lines only: what was written is a line-wise prefix of the full listing.
        ASSERT_EQ(whole.text.rfind(l.text, 0), 0u) << k;
        ASSERT_EQ(l.text.back(), '\n') << k;
        sawPartial = sawPartial ||
                     (l.text.find("short") != std::string::npos && l.text.find("LLL") == std::string::npos);
    }
    EXPECT_TRUE(sawPartial);
}

TEST(HistoryIndex, TextAcrossReadPagesAndFromAFileOnDisk) {
    // Records spread over 300 KB: more than the reader keeps in memory at once.
    IndexFileBuilder b;
    const uint32_t t = b.addTable(64);
    std::string expected = kHeader;
    for (uint32_t i = 0; i < 600; ++i) {
        const std::string url = "http://page" + std::to_string(i) + ".example/" + std::string(i % 900, 'p');
        b.addListed(t, i, "URL ", url);
        expected += "    " + url + "\n";
    }
    const std::string file = b.build();
    ASSERT_GT(file.size(), 300000u);
    EXPECT_EQ(list(file).text, expected);

    TempDir dir;
    writeFileBytes(dir.file("index.dat"), file);
    std::string fromDisk;
    HistoryQuestionState run;
    bool readHistory = true;
    HistoryIndexIo io;
    io.write = [&](std::string_view text) { fromDisk += text; };
    io.step = [] { return true; };
    io.ask = [](const std::string&) { return true; };
    EXPECT_EQ(readHistoryIndexFile(dir.file("index.dat"), "alice", run, readHistory, io),
              HistoryIndexResult::Listed);
    EXPECT_EQ(fromDisk, expected);
}

TEST(FileByteSource, ReadsAnyRangeInBoundedChunks) {
    TempDir dir;
    std::string bytes(3 * FileByteSource::kLongestRead + 77, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    writeFileBytes(dir.file("data.bin"), bytes);
    auto source = FileByteSource::open(dir.file("data.bin"));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->size(), bytes.size());
    struct Range {
        uint64_t offset;
        size_t count;
        size_t expected;
    };
    const Range ranges[] = {
        {0, 16, 16},
        {5, bytes.size(), bytes.size() - 5},
        {FileByteSource::kLongestRead - 3, 10, 10},
        {bytes.size() - 4, 100, 4},
        {bytes.size(), 1, 0},
        {uint64_t{1} << 33, 8, 0},
    };
    for (const Range& r : ranges) {
        std::string out(r.count, '\0');
        const size_t got = source->readAt(r.offset, reinterpret_cast<unsigned char*>(out.data()), r.count);
        ASSERT_EQ(got, r.expected) << r.offset;
        EXPECT_EQ(out.substr(0, got),
                  bytes.substr(static_cast<size_t>(std::min<uint64_t>(r.offset, bytes.size())), got));
    }
}

} // namespace
