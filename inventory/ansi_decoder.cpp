#include "ansi_decoder.h"

#include <windows.h>

#include <climits>

std::wstring systemAnsiDecoder(std::string_view ansi) {
    if (ansi.empty() || ansi.size() > static_cast<size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(ansi.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), needed);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}
