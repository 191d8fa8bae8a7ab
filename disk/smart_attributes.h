// The SMART attribute table of one drive: names, raw-value decoding and the
// columns, aligned in pixels of the view's font through a measuring function
// the caller supplies. No window or device calls of its own: bytes and a
// measure in, text out.
#pragma once

#include "identify_block.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

// The rendered width of a text in pixels.
using TextWidth = std::function<int(std::string_view)>;

// Both sectors hold 30 entries of 12 bytes from byte 2.
constexpr std::size_t kAttributeEntries = 30;
constexpr std::size_t kAttributeEntrySize = 12;
using AttributeEntry = std::span<const std::uint8_t, kAttributeEntrySize>;

// The fixed name of an attribute id; "unknown attribute" for ids without one.
const char* attributeName(std::uint8_t id);

// The raw value of an attribute entry: the temperature and its lifetime range
// for id 194, the spin-up time and its average for id 3, the 48-bit count
// otherwise.
std::string formatRawValue(AttributeEntry entry);

// The header line and one line per non-empty attribute entry: name, current
// value, threshold and raw value, each column starting past a stop measured
// on the header line with `width`. Threshold entry k belongs to attribute
// entry k by position.
std::string formatAttributeTable(std::span<const std::uint8_t, kSectorSize> attributes,
                                 std::span<const std::uint8_t, kSectorSize> thresholds,
                                 const TextWidth& width);
