// Builds cache index files ("index.dat") for the history reader's tests and
// benchmark: the header fields, hash tables of 128-byte blocks and URL, LEAK
// and REDR records, laid out like the browser's files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

class IndexFileBuilder {
  public:
    static constexpr uint32_t kHeaderBytes = 0x4000;
    static constexpr uint32_t kBlock = 128;
    // Where a record's location text starts.
    static constexpr uint32_t kTextOffset = 0x68;
    // Where the other rule's offset byte points: text that shows the wrong rule was used.
    static constexpr uint32_t kDecoyOffset = 0x40;
    static constexpr std::string_view kDecoy = "WRONG-OFFSET";

    // `version` is the text at offset 24 ("5.2", "4.7", ...).
    explicit IndexFileBuilder(std::string_view version = "5.2") : bytes_(kHeaderBytes, '\0') {
        const std::string signature = "Client UrlCache MMF Ver " + std::string(version);
        bytes_.replace(0, std::min<size_t>(signature.size(), 28), signature.substr(0, 28));
        newLayout_ = !version.empty() && version[0] >= '5';
    }

    // Appends a hash table of `blocks` blocks with every entry empty and links
    // it after the last table; returns its offset.
    uint32_t addTable(uint32_t blocks = 32) {
        const uint32_t at = append(blocks);
        bytes_.replace(at, 4, "HASH");
        put32(at + 4, blocks);
        if (lastTable_ == 0)
            put32(32, at);
        else
            put32(lastTable_ + 8, at);
        lastTable_ = at;
        return at;
    }
    void setEntry(uint32_t table, uint32_t index, uint32_t hash, uint32_t record) {
        put32(table + 16 + index * 8, hash);
        put32(table + 20 + index * 8, record);
    }
    void link(uint32_t table, uint32_t next) { put32(table + 8, next); }

    // A URL or LEAK record (its text offset in the byte this file's version
    // reads), or a REDR record (text at +16). Returns its offset.
    uint32_t addRecord(std::string_view signature, std::string_view text) {
        const bool redirect = signature == "REDR";
        const uint32_t start = redirect ? 16 : kTextOffset;
        const uint32_t blocks = static_cast<uint32_t>((start + text.size() + 1 + kBlock - 1) / kBlock);
        const uint32_t at = append(blocks);
        bytes_.replace(at, 4, std::string(signature).substr(0, 4));
        put32(at + 4, blocks);
        if (!redirect) {
            bytes_[at + (newLayout_ ? 52 : 56)] = static_cast<char>(kTextOffset);
            bytes_[at + (newLayout_ ? 56 : 52)] = static_cast<char>(kDecoyOffset);
            bytes_.replace(at + kDecoyOffset, kDecoy.size(), kDecoy);
        }
        bytes_.replace(at + start, text.size(), text);
        return at;
    }
    // addRecord and an entry for it in `table`.
    uint32_t addListed(uint32_t table, uint32_t index, std::string_view signature, std::string_view text) {
        const uint32_t at = addRecord(signature, text);
        setEntry(table, index, 0x1000 + index * 0x100, at);
        return at;
    }

    void put32(uint32_t offset, uint32_t value) { put32To(bytes_, offset, value); }
    static void put32To(std::string& bytes, uint32_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
    std::string& bytes() { return bytes_; }

    // The file, with its size field set to its length.
    std::string build() {
        put32(28, static_cast<uint32_t>(bytes_.size()));
        return bytes_;
    }

  private:
    uint32_t append(uint32_t blocks) {
        const uint32_t at = static_cast<uint32_t>(bytes_.size());
        bytes_.append(static_cast<size_t>(blocks) * kBlock, '\0');
        return at;
    }

    std::string bytes_;
    uint32_t lastTable_ = 0;
    bool newLayout_ = true;
};
