#include "inventory/zlib_codec.h"

#include <gtest/gtest.h>

namespace {

// Python's zlib.compress(b"<REPLY><RESPONSE>SEND</RESPONSE></REPLY>").
const std::string kPythonStream("\x78\x9c\xb3\x09\x72\x0d\xf0\x89\xb4\xb3\x09\x72\x0d\x0e\xf0\xf7\x0b\x76\xb5"
                                "\x0b\x76\xf5\x73\xb1\xd1\x87\x73\x41\x4c\x90\x02\x00\xeb\x5d\x0b\x67",
                                36);
const std::string kPythonText = "<REPLY><RESPONSE>SEND</RESPONSE></REPLY>";

TEST(ZlibCodec, RoundTrip) {
    std::string large;
    for (int i = 0; i < 20000; ++i)
        large += "<SOFTWARES><NAME>Program " + std::to_string(i) + "</NAME></SOFTWARES>\n";
    for (const std::string& data : {std::string(), std::string("x"), std::string("\0\xff", 2), large}) {
        const std::string packed = zlibCompress(data);
        ASSERT_GE(packed.size(), 2u);
        EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78u);
        std::string back;
        ASSERT_TRUE(zlibInflate(packed, back, data.size()));
        EXPECT_EQ(back, data);
    }
}

TEST(ZlibCodec, InflatesAnotherMakersStream) {
    std::string out;
    ASSERT_TRUE(zlibInflate(kPythonStream, out, 1024));
    EXPECT_EQ(out, kPythonText);
}

TEST(ZlibCodec, RefusesDamagedTruncatedTrailingAndOversized) {
    std::string damaged = kPythonStream;
    damaged[damaged.size() - 1] ^= 1; // the checksum
    const struct {
        std::string in;
        size_t maxOut;
    } cases[] = {
        {damaged, 1024},
        {kPythonStream.substr(0, kPythonStream.size() - 5), 1024},
        {kPythonStream.substr(0, 2), 1024},
        {kPythonStream + "x", 1024},
        {kPythonStream, kPythonText.size() - 1},
        {"", 1024},
        {kPythonText, 1024},
    };
    for (const auto& c : cases) {
        std::string out = "before";
        EXPECT_FALSE(zlibInflate(c.in, out, c.maxOut)) << c.in.size() << " " << c.maxOut;
    }
}

} // namespace
