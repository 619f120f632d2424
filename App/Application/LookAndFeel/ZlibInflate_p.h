#pragma once

#include <cstddef>

namespace Talvex::App {

// Inflating a zlib stream is done by a module of its own that links libdeflate, so a
// product that never reads a compressed theme entry does not load libdeflate at start.
// The module is loaded when the first compressed entry is read.
enum class InflateResult { Done, NoRoom, BadStream };

// Inflates the zlib stream `in` into `out` (room for `capacity` bytes), setting
// `*written`. NoRoom: the stream is longer than `capacity`; BadStream: it is not a
// whole zlib stream with a matching checksum.
using ZlibInflateFunction = InflateResult (*)(const unsigned char* in, std::size_t size, char* out,
                                              std::size_t capacity, std::size_t* written);

// The module's entry point, by this name.
extern "C" InflateResult talvex_inflate_zlib(const unsigned char* in, std::size_t size, char* out, std::size_t capacity,
                                             std::size_t* written);

// The module's entry, or null (after one ERROR line) when the module cannot be loaded;
// the caller then inflates through Qt.
ZlibInflateFunction ZlibInflater();

} // namespace Talvex::App
