#include "file_version_reader.h"

#include "version_block.h"

#include <windows.h>

#include <new>

namespace {

std::string toAnsi(const std::u16string& wide) {
    if (wide.empty()) return {};
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int count = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string text(static_cast<size_t>(bytes), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, units, count, text.data(), bytes, nullptr, nullptr);
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return text;
}

} // namespace

bool FileVersionReader::load(const std::string& path) {
    release();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0 || size > kLargestBlock) return false;
    std::string block;
    try {
        block.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;
    return loadBlock(std::move(block));
}

bool FileVersionReader::loadBlock(std::string block) {
    release();
    const std::optional<uint32_t> translation = versionblock::firstTranslation(block);
    if (!translation) return false;
    block_ = std::move(block);
    translation_ = *translation;
    return true;
}

std::string FileVersionReader::queryString(std::string_view name, uint32_t translation) const {
    if (block_.empty()) return {};
    const auto value = versionblock::findString(block_, translation != 0 ? translation : translation_, name);
    if (!value) return {};
    return value->isWide ? toAnsi(value->wide) : value->narrow;
}

void FileVersionReader::release() {
    block_.clear();
    block_.shrink_to_fit();
    translation_ = 0;
}
