#include "Platform/Native/LocalDebugInfo_p.h"

#include "Platform/Native/TrustedFile_p.h"

#include <elfutils/libdwelf.h>
#include <libelf.h>

#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace Talvex::Native {
namespace {

const std::string DEBUG_ROOT = "/usr/lib/debug";

std::string HexOf(const void* bytes, ssize_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (ssize_t i = 0; i < count; ++i) {
        const unsigned char byte = static_cast<const unsigned char*>(bytes)[i];
        hex += digits[byte >> 4];
        hex += digits[byte & 0xf];
    }
    return hex;
}

std::string BuildIdOfFile(int descriptor)
{
    Elf* elf = elf_begin(descriptor, ELF_C_READ_MMAP, nullptr);
    const void* bits = nullptr;
    const ssize_t length = elf ? dwelf_elf_gnu_build_id(elf, &bits) : -1;
    std::string hex = length > 0 ? HexOf(bits, length) : std::string();
    elf_end(elf);
    return hex;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The first of `paths` that opens as a trusted file and, when `buildId` is given,
// carries it.
int OpenFirst(const std::vector<std::string>& paths, const std::string& buildId, char** openedName)
{
    for (const std::string& path : paths) {
        const int descriptor = OpenTrustedFileForReading(path);
        if (descriptor >= 0 && (buildId.empty() || BuildIdOfFile(descriptor) == buildId)) {
            // libdwfl frees the name, and finds sources and further files beside it.
            *openedName = strdup(path.c_str());
            return descriptor;
        }
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
    return -1;
}

std::vector<std::string> Candidates(const std::string& buildId, const std::string& file, const char* debugLink)
{
    std::vector<std::string> paths;
    if (buildId.size() > 2) {
        paths.push_back(DEBUG_ROOT + "/.build-id/" + buildId.substr(0, 2) + '/' + buildId.substr(2) + ".debug");
    }
    const std::string folder = FolderOf(file);
    if (debugLink && *debugLink && !folder.empty() && file[0] == '/') {
        paths.push_back(folder + '/' + debugLink);
        paths.push_back(folder + "/.debug/" + debugLink);
        paths.push_back(DEBUG_ROOT + folder + '/' + debugLink);
    }
    return paths;
}

int FindNoElf(Dwfl_Module*, void**, const char*, Dwarf_Addr, char**, Elf**)
{
    return -1;
}

int FindLocalDebugInfo(Dwfl_Module* module, void**, const char*, Dwarf_Addr, const char* fileName,
                       const char* debugLink, GElf_Word, char** debugInfoFileName)
{
    const std::string file = fileName ? fileName : "";
    Dwarf_Addr dwarfBias = 0;
    dwfl_module_info(module, nullptr, nullptr, nullptr, &dwarfBias, nullptr, nullptr, nullptr);
    // Asked again once the module's debug information is open, for the file that it
    // shares with other modules: that one is named in full (or beside the module) by the
    // information itself, and carries a build id of its own.
    if (dwarfBias != static_cast<Dwarf_Addr>(-1)) {
        if (!debugLink || !*debugLink) {
            return -1;
        }
        const std::string shared = debugLink[0] == '/' ? debugLink : FolderOf(file) + '/' + debugLink;
        return OpenFirst({shared}, std::string(), debugInfoFileName);
    }
    // A module without a build id cannot tell its own debug file from another's.
    const std::string buildId = BuildIdOf(module);
    return buildId.empty() ? -1 : OpenFirst(Candidates(buildId, file, debugLink), buildId, debugInfoFileName);
}

} // namespace

const Dwfl_Callbacks& LocalDebugInfoCallbacks()
{
    static const Dwfl_Callbacks callbacks = {FindNoElf, FindLocalDebugInfo, dwfl_offline_section_address, nullptr};
    return callbacks;
}

std::string BuildIdOf(Dwfl_Module* module)
{
    const unsigned char* bits = nullptr;
    GElf_Addr where = 0;
    const int length = dwfl_module_build_id(module, &bits, &where);
    return length > 0 ? HexOf(bits, length) : std::string();
}

} // namespace Talvex::Native
