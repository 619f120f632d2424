// A library the helper opens only after its crash handler has taken the table of
// modules, as Qt opens a plugin when it is first needed: its frames must be named too.
namespace {

volatile int* volatile lateNowhere = nullptr;

} // namespace

extern "C" __attribute__((visibility("default"), noinline, no_sanitize("address", "undefined"))) void
CrashInALateLibrary()
{
    *lateNowhere = 4;
}
