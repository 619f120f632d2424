// The entry point of the zlib inflater module; see ZlibInflate_p.h.
#include "App/Application/LookAndFeel/ZlibInflate_p.h"

#include <libdeflate.h>

#include <memory>

namespace {

// One decompressor per thread serves every entry a theme reads: setting one up costs
// about as much as inflating a small style sheet.
libdeflate_decompressor* Decompressor()
{
    thread_local const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    return decompressor.get();
}

} // namespace

// libdeflate inflates a whole buffer at a time, at about twice zlib's pace, and checks
// the stream's checksum as zlib does.
extern "C" __attribute__((visibility("default"))) Talvex::App::InflateResult
talvex_inflate_zlib(const unsigned char* in, std::size_t size, char* out, std::size_t capacity, std::size_t* written)
{
    using Talvex::App::InflateResult;
    libdeflate_decompressor* const decompressor = Decompressor();
    if (!decompressor) {
        return InflateResult::BadStream;
    }
    switch (libdeflate_zlib_decompress(decompressor, in, size, out, capacity, written)) {
    case LIBDEFLATE_SUCCESS:
        return InflateResult::Done;
    case LIBDEFLATE_INSUFFICIENT_SPACE:
        return InflateResult::NoRoom;
    default:
        return InflateResult::BadStream;
    }
}
