// The history index reader over a file on disk. The newer-format question is
// the caller's (the task context asks it).
#pragma once

#include "ie/byte_source.h"
#include "ie/history_index.h"

#include <windows.h>

#include <memory>
#include <string>

// Reads a file with positioned reads of at most kLongestRead bytes each.
class FileByteSource final : public ByteSource {
  public:
    static constexpr size_t kLongestRead = 65536;

    // Null when the file cannot be opened for reading.
    static std::unique_ptr<FileByteSource> open(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    size_t readAt(uint64_t offset, unsigned char* out, size_t count) override;
    uint64_t size() const override { return size_; }

  private:
    FileByteSource(HANDLE handle, uint64_t size) : handle_(handle), size_(size) {}

    HANDLE handle_;
    uint64_t size_;
};

// readHistoryIndex over the file at `path` (the apology when it cannot be opened).
HistoryIndexResult readHistoryIndexFile(const std::string& path, const std::string& userName,
                                        HistoryQuestionState& run, bool& readHistory,
                                        const HistoryIndexIo& io);
