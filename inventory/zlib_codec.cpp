#include "zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

std::string zlibCompress(std::string_view data) {
    // zlib counts in uLong, which is 32 bits on Windows even for 64-bit builds.
    if (data.size() > ULONG_MAX / 2) return {};
    const uLong size = static_cast<uLong>(data.size());
    uLongf packed = compressBound(size);
    std::string out(packed, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &packed, reinterpret_cast<const Bytef*>(data.data()),
                  size, Z_BEST_COMPRESSION) != Z_OK)
        return {};
    out.resize(packed);
    return out;
}

namespace {

class Inflater {
  public:
    Inflater() { ready_ = inflateInit(&stream_) == Z_OK; }
    ~Inflater() {
        if (ready_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    bool ready() const { return ready_; }
    z_stream& stream() { return stream_; }

  private:
    z_stream stream_{};
    bool ready_ = false;
};

} // namespace

bool zlibInflate(std::string_view in, std::string& out, size_t maxOut) {
    out.clear();
    if (in.size() > UINT_MAX) return false;
    Inflater inflater;
    if (!inflater.ready()) return false;
    z_stream& z = inflater.stream();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());

    constexpr size_t kPiece = 64 * 1024;
    std::string piece(kPiece, '\0');
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(piece.data());
        z.avail_out = static_cast<uInt>(kPiece);
        const int rc = inflate(&z, Z_NO_FLUSH);
        const size_t got = kPiece - z.avail_out;
        if (got > maxOut - out.size()) return false;
        out.append(piece.data(), got);
        if (rc == Z_STREAM_END) return z.avail_in == 0;
        if (rc == Z_BUF_ERROR && z.avail_in == 0) return false; // the stream stops short
        if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
        if (got == 0 && z.avail_in == 0) return false;
    }
}
