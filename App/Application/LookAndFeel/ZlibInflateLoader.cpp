// ZlibInflater as the library finds it: in the module beside the library.
#include "App/Application/LookAndFeel/ZlibInflate_p.h"

#include "Platform/Core/LibraryModule.h"

namespace Talvex::App {

ZlibInflateFunction ZlibInflater()
{
    static Core::LibraryModule module(TALVEX_ZLIB_INFLATE_MODULE);
    static const auto inflate = reinterpret_cast<ZlibInflateFunction>(module.Entry("talvex_inflate_zlib"));
    return inflate;
}

} // namespace Talvex::App
