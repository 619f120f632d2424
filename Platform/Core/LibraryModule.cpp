#include "Platform/Core/LibraryModule.h"

#include "Platform/Logging/LogLine.h"

#include <dlfcn.h>

namespace Talvex::Core {

LibraryModule::LibraryModule(std::string fileName, void (*report)(const std::string&))
    : fileName(std::move(fileName)), report(report)
{
}

std::string LibraryModule::LibraryFolder()
{
    Dl_info info{};
    // Any function of ours names the file that holds the library.
    if (dladdr(reinterpret_cast<void*>(&LibraryModule::LibraryFolder), &info) == 0 || !info.dli_fname) {
        return std::string();
    }
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    // A bare file name would be resolved against the current folder or the search path.
    return slash == std::string::npos || path[0] != '/' ? std::string() : path.substr(0, slash + 1);
}

void* LibraryModule::Entry(const char* name)
{
    std::unique_lock<std::mutex> guard(lock);
    if (!tried) {
        tried = true;
        Load();
        if (!handle) {
            // Reported outside the lock: the log itself may be a module.
            const std::string why = failure;
            guard.unlock();
            Report(why);
            return nullptr;
        }
    }
    return handle ? dlsym(handle, name) : nullptr;
}

bool LibraryModule::IsLoaded() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return handle != nullptr;
}

void LibraryModule::Report(const std::string& why) const
{
    if (report) {
        report(why);
    } else {
        TALVEX_LOG(ERROR) << "A part of the library could not be loaded: " << why;
    }
}

std::string LibraryModule::Failure() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return failure;
}

void LibraryModule::Load()
{
    const std::string folder = LibraryFolder();
    if (folder.empty()) {
        failure = "the folder of the library is not known, so " + fileName + " was not looked for";
    } else if (!(handle = dlopen((folder + fileName).c_str(), RTLD_LAZY | RTLD_LOCAL))) {
        const char* why = dlerror();
        failure = why ? why : folder + fileName + " could not be loaded";
    }
}

} // namespace Talvex::Core
