#include "registry/registry_access.h"
#include "registry/value_format.h"
#include "report/text_format.h"
#include "support/test_context.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string render(DWORD type, std::vector<BYTE> bytes) {
    return renderValue(bytes.data(), type, static_cast<DWORD>(bytes.size()));
}

std::vector<BYTE> text(const std::string& s, bool terminator = true) {
    std::vector<BYTE> out(s.begin(), s.end());
    if (terminator) out.push_back(0);
    return out;
}

std::string dumpLine(int bytes, int from = 0) {
    std::string out = "\n\t ";
    for (int i = 0; i < bytes; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x ", (from + i) & 0xff);
        out += b;
    }
    return out;
}

std::vector<BYTE> counting(int n) {
    std::vector<BYTE> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        out[static_cast<size_t>(i)] = static_cast<BYTE>(i);
    return out;
}

TEST(PrintVal, RendersEveryType) {
    struct Case {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
        std::string expected;
    } cases[] = {
        {"dword 1", REG_DWORD, {1, 0, 0, 0}, "00000001"},
        {"dword max", REG_DWORD, {0xff, 0xff, 0xff, 0xff}, "ffffffff"},
        {"dword 31", REG_DWORD, {0x1f, 0, 0, 0}, "0000001f"},
        {"short dword", REG_DWORD, {0x1f}, "0000001f"},
        {"big endian", REG_DWORD_BIG_ENDIAN, {0x12, 0x34, 0x56, 0x78}, "12345678"},
        {"string", REG_SZ, text("C:\\Path"), "C:\\Path"},
        {"empty string", REG_SZ, text(""), ""},
        {"unterminated string", REG_SZ, text("abc", false), "abc"},
        {"expand", REG_EXPAND_SZ, text("%SystemRoot%"), "%SystemRoot%"},
        {"multi of two", REG_MULTI_SZ, {'a', 'b', 0, 'c', 0, 0}, "\n\tab\n\tc\n"},
        {"unterminated multi", REG_MULTI_SZ, {'a', 0, 'b'}, "\n\ta\n\tb\n"},
        {"binary 1", REG_BINARY, {0xab}, "ab "},
        {"binary 0", REG_BINARY, {}, ""},
        {"binary 20", REG_BINARY, counting(20), dumpLine(16) + dumpLine(4, 16)},
        {"none", REG_NONE, {1, 2}, "Undefined value type"},
        {"link", REG_LINK, {1, 2}, "Unicode link\n"},
        {"resource list", REG_RESOURCE_LIST, {1, 2}, "Resource list"},
        {"qword", 11, {1, 0, 0, 0, 0, 0, 0, 0}, "Invalid type code"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(render(c.type, c.data), c.expected) << c.name;
}

TEST(PrintVal, ValueWithoutDataNeedsNoBuffer) {
    // An empty value may come without any buffer (an empty vector's data()).
    const struct {
        DWORD type;
        const char* expected;
    } cases[] = {
        {REG_SZ, ""},
        {REG_EXPAND_SZ, ""},
        {REG_BINARY, ""},
        {REG_DWORD, "00000000"},
        {REG_DWORD_BIG_ENDIAN, "00000000"},
        {REG_MULTI_SZ, "\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(renderValue(nullptr, c.type, 0), c.expected) << c.type;
}

TEST(PrintVal, BinaryDumpStopsGrowingAt18383Characters) {
    const std::string dump = render(REG_BINARY, counting(6000));
    std::string expected;
    for (int line = 0; line < 360; ++line)
        expected += dumpLine(16, line * 16);
    expected += dumpLine(7, 360 * 16);
    EXPECT_EQ(dump, expected) << "5,767 bytes shown: 360 full lines and 7 more";
}

TEST(PrintVal, HugeRenderedTextIsReplacedByItsSize) {
    const std::string big(19383, 'x');
    EXPECT_EQ(render(REG_SZ, text(big)), " : Huge KEY data -> data size: 19383 Bytes\n");
    const std::string fits(19382, 'x');
    EXPECT_EQ(render(REG_SZ, text(fits)), fits);
}

TEST(PrintVal, DataIsNeverUsedAsFormat) {
    TestContext context;
    const std::vector<BYTE> data = text("%s%n%d");
    printval(context, data.data(), REG_SZ, static_cast<DWORD>(data.size()));
    EXPECT_EQ(context.report, "%s%n%d\n");
}

struct RegistryValue : ::testing::Test {
    TestKey key;
    TestContext state;
    // The report as the view shows it: every "\n" as "\r\n".
    std::string read(const char* name) {
        state.report.clear();
        EXPECT_EQ(get_value_string_or_dword_from_reg(state, HKEY_CURRENT_USER, key.path().c_str(), name), 1);
        return expandLineFeeds(state.report);
    }
};

TEST_F(RegistryValue, ReaderCleansStringsAndAppliesTheSizeLimit) {
    key.setString("", "crlf", "a\r\nb");
    EXPECT_EQ(read("crlf"), "ab\r\n");
    key.setString("", "empty", "");
    EXPECT_EQ(read("empty"), "\r\n");
    std::vector<BYTE> limit(16383, 0x11);
    key.setBytes("", "at limit", REG_BINARY, limit.data(), 16383);
    EXPECT_EQ(read("at limit"), " : Huge KEY Data -> Data Size: 16383 Bytes\r\n\r\n");
    key.setBytes("", "below", REG_BINARY, limit.data(), 16382);
    EXPECT_EQ(read("below").rfind("\r\n\t 11 11 ", 0), 0u);
    DWORD one = 1;
    key.setBytes("", "one", REG_DWORD, &one, 4);
    EXPECT_EQ(read("one"), "00000001\r\n");
    const char multi[] = "first\0second\0";
    key.setBytes("", "multi", REG_MULTI_SZ, multi, sizeof multi);
    EXPECT_EQ(read("multi"), "\r\n\tfirst\r\n\tsecond\r\n\r\n");
}

// The registry hands texts over in the ANSI code page, through either
// family of calls: they are printed as they are, only without line breaks.
TEST_F(RegistryValue, TextsOutsideAsciiPrintAsTheSystemHoldsThem) {
    ASSERT_EQ(fromAnsi("Caf\xe9"), L"Caf\u00e9") << "the test needs a Latin-1 ANSI code page";
    key.setString("", "caf\xe9", "Caf\xe9\r\n\xfc");
    key.setString("", "expand", "%TEMP%\\\xc4rger", REG_EXPAND_SZ);
    key.setString("", "", "cr\xe8me");
    for (const bool ansi : {false, true}) {
        reg::forceAnsi(ansi);
        EXPECT_EQ(read(""), "cr\xe8me\r\n") << "the default value, " << ansi;
        EXPECT_EQ(read("caf\xe9"), "Caf\xe9\xfc\r\n") << ansi;
        EXPECT_EQ(read("expand"), "%TEMP%\\\xc4rger\r\n") << ansi;
        reg::forceAnsi(false);
    }
}

TEST(FetchedValue, TextsKeepTheirLettersAndLoseTheirLineBreaks) {
    const std::vector<BYTE> text = {'C', 'a', 'f', 0xe9, '\r', '\n', 0xfc, 0};
    EXPECT_EQ(renderFetchedValue(REG_SZ, text), "Caf\xe9\xfc");
    EXPECT_EQ(renderFetchedValue(REG_EXPAND_SZ, text), "Caf\xe9\xfc");
    EXPECT_EQ(renderFetchedValue(REG_MULTI_SZ, text), "\n\tCaf\xe9\r\n\xfc\n");
}

TEST_F(RegistryValue, MissingKeyGivesZeroMissingValueNothing) {
    EXPECT_EQ(
        get_value_string_or_dword_from_reg(state, HKEY_CURRENT_USER, "Software\\NoSuchKorvexerKey", "x"), 0);
    EXPECT_EQ(read("no such value"), "");
}

} // namespace
