// The text of one registry value's data as its report line shows it: bytes,
// type and size in, text out (no registry or window calls).
#pragma once

#include "report/win32_types.h"

#include <string>
#include <vector>

namespace regfmt {
inline constexpr DWORD kHugeValue = 16383; // data of this size or more is not read
inline constexpr size_t kHugeText = 19383; // rendered text of this length or more is replaced
inline constexpr size_t kDumpStop = 18383; // a binary dump stops growing here
} // namespace regfmt

// The text printval prints (before its closing "%s\n" line feed). Reads at
// most `size` bytes of `data`.
std::string renderValue(const BYTE* data, DWORD type, DWORD size);

// The same for a value as the registry handed it over (texts in their
// single-byte form, the ANSI code page the report is written in): data too
// large to read gives a notice of its size; texts lose their line breaks and
// keep every other character as it is.
std::string renderFetchedValue(DWORD type, const std::vector<BYTE>& bytes);
