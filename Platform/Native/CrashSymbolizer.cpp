#include "Platform/Native/CrashSymbolizer.h"

#include "Platform/Core/Demangle.h"
#include "Platform/Native/CrashHandler.h"
#include "Platform/Native/LocalDebugInfo_p.h"
#include "Platform/Native/TrustedFile_p.h"
#include "Platform/Util/EndsWith.h"
#include "Platform/Util/Utf8Cut.h"

#include <elfutils/libdwfl.h>


#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

namespace Talvex::Native {
namespace {

const char THREAD_LINE[] = "\nThread: ";
const char STACK_HEADER[] = "Stack:\n";
const char RESOLVED_HEADER[] = "Stack (names from the debug information found at the next start):\n";
// A name line longer than this is cut: a template's name can run to many kilobytes.
const size_t NAME_LINE_SIZE = 512;
// Room is left for the note that a reader adds to a report cut short.
const size_t RESOLVED_LIMIT = CrashHandler::MAX_REPORT_SIZE - 128;

struct DwflClose {
    void operator()(Dwfl* dwfl) const { dwfl_end(dwfl); }
};
using DwflPtr = std::unique_ptr<Dwfl, DwflClose>;

// "#<n> 0x<address> +0x<offset> build-id <hex|none> <path>"
struct Frame {
    int index = 0;
    unsigned long long offset = 0;
    std::string buildId;
    std::string path;
};

bool ParseFrame(const std::string& line, Frame& frame)
{
    std::istringstream in(line);
    std::string hash, address, offset, label;
    if (!(in >> hash >> address >> offset >> label >> frame.buildId) || hash.size() < 2 || hash[0] != '#' ||
        offset.size() < 4 || offset.compare(0, 3, "+0x") != 0 || label != "build-id") {
        return false;
    }
    frame.index = std::atoi(hash.c_str() + 1);
    frame.offset = std::strtoull(offset.c_str() + 3, nullptr, 16);
    std::getline(in >> std::ws, frame.path);
    return !frame.path.empty();
}

// One module opened at the addresses of its file, so that a frame's offset is its
// address; without names when the file is gone, is not one we may trust, or is not the
// module that crashed.
class Module {
public:
    Module(const std::string& path, const std::string& buildId)
    {
        dwfl.reset(dwfl_begin(&LocalDebugInfoCallbacks()));
        const int descriptor = OpenTrustedFileForReading(path);
        refused = descriptor < 0 && errno == EPERM;
        if (!dwfl || descriptor < 0) {
            if (descriptor >= 0) {
                ::close(descriptor);
            }
            return;
        }
        // Base 0 plus the first segment's address keeps file addresses as they are, also
        // for a library linked to start elsewhere than 0.
        module = dwfl_report_elf(dwfl.get(), path.c_str(), path.c_str(), descriptor, 0, true);
        if (!module) {
            ::close(descriptor);
        }
        dwfl_report_end(dwfl.get(), nullptr, nullptr);
        const std::string onDisk = module ? BuildIdOf(module) : std::string();
        matches = module && (onDisk.empty() ? buildId == "none" : onDisk == buildId);
    }

    // "in <function> at <file>:<line>", as far as known.
    std::string Describe(unsigned long long offset) const
    {
        if (refused) {
            return "(the module's file is not a regular file of root's or ours that only its owner may write: "
                   "no names)";
        }
        if (!module) {
            return "(the module's file was not found: no names)";
        }
        if (!matches) {
            return "(the module changed since the crash: no names)";
        }
        const char* name = dwfl_module_addrname(module, offset);
        std::string text = std::string("in ") + Core::Demangled(name);
        if (Dwfl_Line* line = dwfl_module_getsrc(module, offset)) {
            int number = 0;
            if (const char* file = dwfl_lineinfo(line, nullptr, &number, nullptr, nullptr, nullptr)) {
                text += std::string(" at ") + file + ":" + std::to_string(number);
            }
        }
        return text;
    }

private:
    DwflPtr dwfl;
    Dwfl_Module* module = nullptr;
    bool matches = false;
    // Something other than a file we may trust sits at the module's path.
    bool refused = false;
};

// Where the stack starts: the line after the thread's, the one place the handler puts it.
// Text quoted in the report before it (an exception's message) is a single line.
size_t StackStart(const std::string& report)
{
    const size_t thread = report.find(THREAD_LINE);
    const size_t end = thread == std::string::npos ? thread : report.find('\n', thread + 1);
    if (end == std::string::npos || report.compare(end + 1, sizeof STACK_HEADER - 1, STACK_HEADER) != 0) {
        return std::string::npos;
    }
    return end + 1;
}

std::string NameLine(const std::string& description)
{
    std::string line = "    " + description;
    if (line.size() >= NAME_LINE_SIZE) {
        line.resize(Util::Utf8CutLength(line.data(), NAME_LINE_SIZE - 1));
    }
    return line + '\n';
}

// Cuts a text over the limit, keeping its end marker, so that what is saved is read back
// whole.
void Cap(std::string& text)
{
    if (text.size() <= RESOLVED_LIMIT) {
        return;
    }
    const std::string marker = Util::EndsWith(text, CrashHandler::END_MARKER) ? CrashHandler::END_MARKER : "";
    text.resize(Util::Utf8CutLength(text.data(), RESOLVED_LIMIT - marker.size()));
    text.resize(text.rfind('\n') + 1);
    text += marker;
}

Module& ModuleOf(std::map<std::string, std::unique_ptr<Module>>& modules, const Frame& frame)
{
    auto& module = modules[frame.path + ' ' + frame.buildId];
    if (!module) {
        module = std::make_unique<Module>(frame.path, frame.buildId);
    }
    return *module;
}

} // namespace

std::string ResolveCrashReport(const std::string& report)
{
    const size_t stack = StackStart(report);
    if (stack == std::string::npos) {
        return report;
    }
    std::map<std::string, std::unique_ptr<Module>> modules;
    std::string resolved = report.substr(0, stack) + RESOLVED_HEADER;
    size_t next = stack + sizeof STACK_HEADER - 1;
    bool inStack = true;
    while (next < report.size()) {
        const size_t end = std::min(report.find('\n', next), report.size());
        const std::string line = report.substr(next, end - next);
        next = end + 1;
        resolved += line + '\n';
        Frame frame;
        inStack = inStack && !line.empty() && line[0] == '#';
        if (!inStack || !ParseFrame(line, frame)) {
            continue;
        }
        // A return address points after its call, possibly into the next function.
        const std::string name =
            NameLine(ModuleOf(modules, frame).Describe(frame.index == 0 ? frame.offset : frame.offset - 1));
        // Names give way to the rest of the report where both would not fit.
        if (resolved.size() + name.size() + (report.size() - std::min(next, report.size())) <= RESOLVED_LIMIT) {
            resolved += name;
        }
    }
    Cap(resolved);
    return resolved;
}

} // namespace Talvex::Native
