// Positioned reads of a file's bytes. The index reader sees its file only
// through this, so the same parsing runs over a file on disk and over a
// buffer in memory (tests, fuzzing, benchmarks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Copies up to `count` bytes from `offset` into `out`; returns how many it
    // copied: fewer at the end of the data, 0 beyond it or when a read fails.
    virtual size_t readAt(uint64_t offset, unsigned char* out, size_t count) = 0;
    // How many bytes the data holds.
    virtual uint64_t size() const = 0;
};

// Bytes the caller keeps alive for as long as the source is used.
class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}

    size_t readAt(uint64_t offset, unsigned char* out, size_t count) override {
        if (offset >= bytes_.size()) return 0;
        const size_t available = bytes_.size() - static_cast<size_t>(offset);
        const size_t n = count < available ? count : available;
        std::memcpy(out, bytes_.data() + offset, n);
        return n;
    }
    uint64_t size() const override { return bytes_.size(); }

  private:
    std::string_view bytes_;
};
