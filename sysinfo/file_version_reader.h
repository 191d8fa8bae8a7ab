// The named string values of a file's version resource ("FileVersion",
// "ProductName", ...), read under the translation the file lists first.
// Load, ask, release; a reader can be loaded again after its release.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class FileVersionReader {
  public:
    // True when the file has a version resource with a translation table; on
    // false nothing stays loaded.
    bool load(const std::string& path);
    // The same for a block already in memory (as the system would hand it back).
    bool loadBlock(std::string block);
    // The value's text in the ANSI code page; empty when nothing is loaded or
    // the value is absent. `translation` 0 means the loaded one.
    std::string queryString(std::string_view name, uint32_t translation = 0) const;
    void release();

    bool loaded() const { return !block_.empty(); }
    // Language in the high 16 bits, code page in the low 16; 0 when nothing is loaded.
    uint32_t translation() const { return translation_; }

    std::string fileDescription() const { return queryString("FileDescription"); }
    std::string fileVersion() const { return queryString("FileVersion"); }
    std::string productName() const { return queryString("ProductName"); }
    std::string productVersion() const { return queryString("ProductVersion"); }

    // No version resource is anywhere near this large (its length field is
    // 16 bits); a file that claims more is not read.
    static constexpr uint32_t kLargestBlock = 1u << 20;

  private:
    std::string block_;
    uint32_t translation_ = 0;
};
