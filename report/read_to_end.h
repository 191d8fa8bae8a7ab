// Reading a source whole, piece by piece (the read itself is the caller's:
// a file handle in the product, bytes in memory for the fuzz target).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Fills up to `capacity` bytes of `buffer` and sets `got` (0 at the end);
// false when the read fails.
using ReadPiece = std::function<bool(char* buffer, std::size_t capacity, std::size_t& got)>;

// Reads until `read` reports the end. False, with `out` empty, when a read
// fails before the end or memory is short: half a report must not be shown
// as the whole.
bool readToEnd(const ReadPiece& read, std::string& out);
