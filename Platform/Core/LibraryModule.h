#pragma once

#include <mutex>
#include <string>

namespace Talvex::Core {

// A part of the library that serves a rare path and is kept in a file of its own, so
// that a product pays for it (and for what it links) only once the path is taken.
//
// The file is looked for in the folder the library itself was loaded from, never in
// the current folder or a folder named by the environment, and is opened by its
// absolute path. The first Entry() loads it; a file that is missing or cannot be
// loaded gets one ERROR line saying why (given to `report` when one is set), and every
// Entry() is null from then on. Thread-safe; the module stays loaded for the life of
// the process.
class LibraryModule {
public:
    // `fileName`: the module's file name, without a folder. `report`: where the reason
    // goes instead of the log, for the module that writes the log itself.
    explicit LibraryModule(std::string fileName, void (*report)(const std::string& why) = nullptr);
    LibraryModule(const LibraryModule&) = delete;
    LibraryModule& operator=(const LibraryModule&) = delete;

    // The address of the module's function `name`, or null when the module or the
    // function is not there.
    void* Entry(const char* name);
    // Whether the module is loaded by now; never loads it.
    bool IsLoaded() const;
    // Why the module is not available; empty while it is (or before the first Entry).
    std::string Failure() const;

    // The folder this library was loaded from, with a trailing '/'; empty when the
    // loader cannot say.
    static std::string LibraryFolder();

private:
    void Load();
    void Report(const std::string& why) const;

    const std::string fileName;
    void (*const report)(const std::string&);
    mutable std::mutex lock;
    bool tried = false;
    void* handle = nullptr;
    std::string failure;
};

} // namespace Talvex::Core
