// The version resource parser on arbitrary blocks. Besides the sanitizers'
// findings, a run fails when a value found is not a piece of the block as it
// stands (read from outside it, or put together from pieces), or when bytes
// after a block whose length field says it is complete change any answer.
#include "sysinfo/version_block.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr std::string_view kNames[] = {
    "FileDescription", "FileVersion", "ProductName", "ProductVersion", "Comments", "", "VS_VERSION_INFO"};

struct Answers {
    std::optional<uint32_t> translation;
    std::vector<std::optional<versionblock::StringValue>> values;
};

bool operator==(const versionblock::StringValue& a, const versionblock::StringValue& b) {
    return a.isWide == b.isWide && a.wide == b.wide && a.narrow == b.narrow;
}

// The text as the block stores it, without its terminator.
std::string encoded(const versionblock::StringValue& value) {
    if (!value.isWide) return value.narrow;
    std::string bytes;
    for (const char16_t c : value.wide) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

Answers ask(std::string_view block, const std::vector<uint32_t>& translations) {
    Answers answers;
    answers.translation = versionblock::firstTranslation(block);
    for (const uint32_t translation : translations)
        for (const std::string_view name : kNames)
            answers.values.push_back(versionblock::findString(block, translation, name));
    return answers;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view block(reinterpret_cast<const char*>(data), size);
    std::vector<uint32_t> translations = {0x040904B0, 0x040904E4, 0};
    if (const auto first = versionblock::firstTranslation(block)) translations.push_back(*first);

    const Answers answers = ask(block, translations);
    for (const auto& value : answers.values) {
        if (!value) continue;
        const std::string bytes = encoded(*value);
        require(bytes.empty() || block.find(bytes) != std::string_view::npos);
    }

    // A block whose length field fits the data is read within that length:
    // what follows it (the spare room GetFileVersionInfoA leaves) changes nothing.
    if (size >= 2 && static_cast<size_t>(data[0] | data[1] << 8) <= size) {
        std::string longer(block);
        longer.append(64, '\0');
        longer.append(block.substr(0, size < 64 ? size : 64));
        const Answers again = ask(longer, translations);
        require(again.translation == answers.translation);
        require(again.values.size() == answers.values.size());
        for (size_t i = 0; i < answers.values.size(); ++i) {
            require(again.values[i].has_value() == answers.values[i].has_value());
            if (answers.values[i]) require(*again.values[i] == *answers.values[i]);
        }
    }
    return 0;
}
