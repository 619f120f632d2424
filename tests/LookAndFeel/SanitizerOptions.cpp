// Qt's JSON parser loses a few small blocks on objects with repeated keys, which the
// substitution-file tests feed it on purpose. The leak report names it only when the
// allocation's stack is unwound without frame pointers, which Qt is built without.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
#endif
