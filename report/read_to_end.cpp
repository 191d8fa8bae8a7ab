#include "read_to_end.h"

#include <new>

bool readToEnd(const ReadPiece& read, std::string& out) {
    out.clear();
    try {
        char buffer[65536];
        while (true) {
            std::size_t got = 0;
            if (!read(buffer, sizeof buffer, got)) break;
            if (got == 0) return true;
            out.append(buffer, got);
        }
    } catch (const std::bad_alloc&) {
    }
    std::string().swap(out);
    return false;
}
