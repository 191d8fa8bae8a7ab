// The server takes the inventory as a zlib stream and answers in kind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The bytes as one zlib stream (RFC 1950); empty only when zlib could not
// get the memory it needs (a stream is never empty).
std::string zlibCompress(std::string_view data);

// Inflates one whole zlib stream into `out`. False for a damaged or
// truncated stream, bytes after its end, or output beyond `maxOut` (a
// small reply must not be able to unpack into all of memory).
bool zlibInflate(std::string_view in, std::string& out, size_t maxOut);
