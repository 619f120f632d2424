// Preloaded into the test compositor, this hides its window-activation global from every
// client, as on a compositor without that protocol. The global itself stays in place,
// so the compositor's own code that holds it keeps working.
#include <wayland-server-core.h>

#include <cstring>

#include <dlfcn.h>

using CreateGlobal = wl_global* (*)(wl_display*, const wl_interface*, int, void*, wl_global_bind_func_t);

extern "C" __attribute__((visibility("default"))) wl_global* wl_global_create(wl_display* display,
                                                                              const wl_interface* interface,
                                                                              int version, void* data,
                                                                              wl_global_bind_func_t bind)
{
    static const auto create = reinterpret_cast<CreateGlobal>(dlsym(RTLD_NEXT, "wl_global_create"));
    wl_global* global = create(display, interface, version, data, bind);
    if (global && std::strcmp(interface->name, "xdg_activation_v1") == 0) {
        wl_global_remove(global);
    }
    return global;
}
