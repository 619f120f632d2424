// A library the helper opens before its crash handler is installed and closes again
// before it crashes in another library that the loader then puts at the same address:
// the report must name the library loaded there at the crash.
extern "C" __attribute__((visibility("default"))) int GoneLibraryAnswer()
{
    return 42;
}
