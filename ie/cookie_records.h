// Decoding of the browser's cookie text files: records of nine lines (name,
// value, site, flags, expiry time low and high, creation time low and high,
// "*"), each written to the report as six indented lines. Pure: lines in,
// text out; the conversion to local time is the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Seconds since 1970-01-01 UTC to a calendar time; false when it cannot.
using LocalTimeConverter = std::function<bool(int64_t seconds, CivilTime& out)>;

// The calendar time in UTC itself (for tests and fuzzing; the product shows local time).
bool utcCivilTime(int64_t seconds, CivilTime& out);

// One 32-bit half of a file time as written in the file: unsigned decimal
// after optional blanks; text that is not a number is 0, a number too large
// for 32 bits is the largest 32-bit number.
uint32_t cookieTimeHalf(std::string_view text);

// Seconds since 1970-01-01 UTC of the file time made of the two halves
// (100-nanosecond intervals since 1601); nullopt when the time is missing:
// zero, before 1970-01-01 00:00:01, or beyond a signed 32-bit count.
std::optional<int64_t> cookieTimeSeconds(std::string_view low, std::string_view high);

class CookieRecordReader {
  public:
    using Sink = std::function<void(std::string_view)>;

    CookieRecordReader(Sink write, LocalTimeConverter localTime);

    // A new file begins: its first line is a record's first.
    void startFile() { position_ = 0; }
    // One line, without its line end.
    void line(std::string_view text);

  private:
    void writeRecord();
    std::string timeText(const char* label, const char* missingText, int lowAt);

    Sink write_;
    LocalTimeConverter localTime_;
    int position_ = 0;
    // What each line position last held; the first four with their labels.
    std::string texts_[8];
};

// Cuts a byte stream into lines the way a text stream reads them: lines end
// at a line feed, a carriage return right before it goes, the last line needs
// none, and a line's text ends at a zero byte. Lines longer than kLongestLine
// keep their first kLongestLine bytes, so no file makes a line grow unbounded.
class LineSplitter {
  public:
    static constexpr size_t kLongestLine = 65536;

    explicit LineSplitter(std::function<void(std::string_view)> line) : line_(std::move(line)) {}

    void feed(std::string_view bytes);
    // Delivers the last line when the stream did not end with a line feed.
    void finish();

  private:
    void endLine();

    std::function<void(std::string_view)> line_;
    std::string current_;
    bool pending_ = false;    // bytes since the last line feed
    bool ignoreRest_ = false; // past a zero byte
    bool storedCr_ = false;   // the last byte was a carriage return and is in current_
};

// A whole file's text through `reader`, from its first line.
void readCookieText(std::string_view text, CookieRecordReader& reader);
