// The version resource of the built Korvexer.exe, read back through the
// system's own lookup, as Explorer's properties page reads it: the fixed
// numbers, the translation, and the texts under that translation.
#include "automation.h"
#include "resources/version.h"
#include "support/system_version_block.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

// The version as the numbers in the header spell it, "1.1.0.0".
std::string dottedVersion() {
    return std::to_string(KORVEXER_VERSION_MAJOR) + "." + std::to_string(KORVEXER_VERSION_MINOR) + "." +
           std::to_string(KORVEXER_VERSION_PATCH) + "." + std::to_string(KORVEXER_VERSION_BUILD);
}

class VersionResource : public ::testing::Test {
  protected:
    void SetUp() override {
        block_ = systemVersionBlock(automation::korvexerPath());
        ASSERT_FALSE(block_.empty()) << automation::korvexerPath() << " has no version resource";
    }

    // The value at `subBlock`, or nothing when the lookup fails.
    const void* value(const std::string& subBlock, UINT& length) {
        void* data = nullptr;
        length = 0;
        if (!VerQueryValueA(block_.data(), subBlock.c_str(), &data, &length)) return nullptr;
        return data;
    }

    std::string block_;
};

TEST_F(VersionResource, FixedNumbersAreTheProgramsVersion) {
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value("\\", length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(KORVEXER_VERSION_MINOR, KORVEXER_VERSION_MAJOR);
    const DWORD low = MAKELONG(KORVEXER_VERSION_BUILD, KORVEXER_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u)
        << "a release is no debug, patched or private build";
}

TEST_F(VersionResource, TextsUnderUsEnglishAndWindowsLatin1) {
    UINT length = 0;
    const auto* translation = static_cast<const WORD*>(value("\\VarFileInfo\\Translation", length));
    ASSERT_NE(translation, nullptr);
    ASSERT_GE(length, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);

    const struct {
        const char* name;
        std::string expected; // empty: any text but none
    } values[] = {
        {"FileVersion", dottedVersion()}, {"ProductVersion", dottedVersion()},
        {"ProductName", "Korvexer"},      {"OriginalFilename", "Korvexer.exe"},
        {"InternalName", "Korvexer"},     {"FileDescription", ""},
        {"LegalCopyright", ""},
    };
    for (const auto& v : values) {
        SCOPED_TRACE(v.name);
        const auto* text =
            static_cast<const char*>(value(std::string("\\StringFileInfo\\040904E4\\") + v.name, length));
        ASSERT_NE(text, nullptr);
        const std::string got(text, strnlen(text, length));
        if (v.expected.empty())
            EXPECT_FALSE(got.empty());
        else
            EXPECT_EQ(got, v.expected);
    }
}

} // namespace
