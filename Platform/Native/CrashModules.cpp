#include "Platform/Native/CrashModules_p.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace Talvex::Native {
namespace {

void CopyPath(char* out, size_t size, const char* path)
{
    if (path && *path) {
        std::strncpy(out, path, size - 1);
        out[size - 1] = '\0';
        return;
    }
    // The executable has no name in the loader's list.
    const ssize_t length = readlink("/proc/self/exe", out, size - 1);
    out[length > 0 ? length : 0] = '\0';
}

void HexOf(const unsigned char* bytes, size_t count, char* out, size_t size)
{
    static const char digits[] = "0123456789abcdef";
    size_t used = 0;
    for (size_t i = 0; i < count && used + 2 < size; ++i) {
        out[used++] = digits[bytes[i] >> 4];
        out[used++] = digits[bytes[i] & 0xf];
    }
    out[used] = '\0';
}

void FindBuildId(std::uintptr_t bias, const ElfW(Phdr) & header, CrashModule& module)
{
    auto at = reinterpret_cast<const unsigned char*>(bias + header.p_vaddr);
    const unsigned char* end = at + header.p_memsz;
    while (at + sizeof(ElfW(Nhdr)) <= end) {
        const auto* note = reinterpret_cast<const ElfW(Nhdr)*>(at);
        const unsigned char* name = at + sizeof(ElfW(Nhdr));
        const unsigned char* desc = name + ((note->n_namesz + 3) & ~3u);
        if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 && std::memcmp(name, "GNU", 4) == 0) {
            HexOf(desc, note->n_descsz, module.buildId, sizeof module.buildId);
            return;
        }
        at = desc + ((note->n_descsz + 3) & ~3u);
    }
}

struct BuildIdSearch {
    std::uintptr_t address = 0;
    CrashModule module;
};

int FindModuleBuildId(dl_phdr_info* info, size_t, void* data)
{
    auto& search = *static_cast<BuildIdSearch*>(data);
    const auto contains = [&](const ElfW(Phdr) & header) {
        const std::uintptr_t start = info->dlpi_addr + header.p_vaddr;
        return header.p_type == PT_LOAD && search.address >= start && search.address - start < header.p_memsz;
    };
    if (std::none_of(info->dlpi_phdr, info->dlpi_phdr + info->dlpi_phnum, contains)) {
        return 0;
    }
    for (int i = 0; i < info->dlpi_phnum && search.module.buildId[0] == '\0'; ++i) {
        if (info->dlpi_phdr[i].p_type == PT_NOTE) {
            FindBuildId(info->dlpi_addr, info->dlpi_phdr[i], search.module);
        }
    }
    return 1;
}

#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 35)
// The build id of a module found by address alone: its ELF header and program headers
// are the start of its first mapping, in every module the loader maps.
void FindBuildIdInHeaders(CrashModule& module)
{
    const auto* elf = reinterpret_cast<const ElfW(Ehdr)*>(module.start);
    if (module.end - module.start < sizeof *elf || std::memcmp(elf->e_ident, ELFMAG, SELFMAG) != 0 ||
        elf->e_phentsize != sizeof(ElfW(Phdr)) || elf->e_phoff > module.end - module.start ||
        elf->e_phnum * sizeof(ElfW(Phdr)) > module.end - module.start - elf->e_phoff) {
        return;
    }
    const auto* headers = reinterpret_cast<const ElfW(Phdr)*>(module.start + elf->e_phoff);
    for (int i = 0; i < elf->e_phnum && module.buildId[0] == '\0'; ++i) {
        const ElfW(Phdr)& header = headers[i];
        const std::uintptr_t note = module.bias + header.p_vaddr;
        if (header.p_type == PT_NOTE && note >= module.start && note <= module.end &&
            header.p_memsz <= module.end - note) {
            FindBuildId(module.bias, header, module);
        }
    }
}

// The loader is asked at the crash itself, with its lookup for unwinders, which takes no
// lock and allocates nothing: a table noted earlier would still hold a library closed
// since, and name it for another opened at its addresses. One report is written at a
// time, so one entry serves.
CrashModule found;

const CrashModule* FindInLoader(std::uintptr_t address)
{
    dl_find_object object;
    if (_dl_find_object(reinterpret_cast<void*>(address), &object) != 0 || !object.dlfo_link_map) {
        return nullptr;
    }
    found = CrashModule();
    found.start = reinterpret_cast<std::uintptr_t>(object.dlfo_map_start);
    found.end = reinterpret_cast<std::uintptr_t>(object.dlfo_map_end);
    found.bias = object.dlfo_link_map->l_addr;
    FindBuildIdInHeaders(found);
    CopyPath(found.path, sizeof found.path, object.dlfo_link_map->l_name);
    return &found;
}

} // namespace

void CrashModules::Refresh()
{
}

const CrashModule* CrashModules::Find(std::uintptr_t address)
{
    return FindInLoader(address);
}

#else
// Without the loader's lock-free lookup the modules are noted outside the signal
// handler, when the handler is installed; a library opened or closed later is not seen.
const int MAX_MODULES = 384;

struct Table {
    int count = 0;
    CrashModule modules[MAX_MODULES];
};

// Two tables: a refresh fills the one not in use and then publishes it, so that a crash
// during a refresh still reads a whole table.
Table tables[2];
std::atomic<Table*> current{nullptr};

int NoteModule(dl_phdr_info* info, size_t, void* data)
{
    auto& table = *static_cast<Table*>(data);
    if (table.count == MAX_MODULES) {
        return 1;
    }
    CrashModule& module = table.modules[table.count];
    module = CrashModule();
    module.bias = info->dlpi_addr;
    module.start = UINTPTR_MAX;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type == PT_LOAD) {
            module.start = std::min<std::uintptr_t>(module.start, info->dlpi_addr + header.p_vaddr);
            module.end = std::max<std::uintptr_t>(module.end, info->dlpi_addr + header.p_vaddr + header.p_memsz);
        } else if (header.p_type == PT_NOTE && module.buildId[0] == '\0') {
            FindBuildId(info->dlpi_addr, header, module);
        }
    }
    // The kernel's vDSO has no file to resolve names from, but still counts.
    if (module.end > module.start) {
        CopyPath(module.path, sizeof module.path, info->dlpi_name);
        ++table.count;
    }
    return 0;
}

} // namespace

void CrashModules::Refresh()
{
    Table* next = current.load() == &tables[0] ? &tables[1] : &tables[0];
    next->count = 0;
    dl_iterate_phdr(NoteModule, next);
    current.store(next);
}

const CrashModule* CrashModules::Find(std::uintptr_t address)
{
    if (const Table* table = current.load()) {
        for (int i = 0; i < table->count; ++i) {
            if (address >= table->modules[i].start && address < table->modules[i].end) {
                return &table->modules[i];
            }
        }
    }
    return nullptr;
}
#endif

std::string CrashModules::BuildIdAt(std::uintptr_t address)
{
    BuildIdSearch search;
    search.address = address;
    dl_iterate_phdr(FindModuleBuildId, &search);
    return search.module.buildId;
}

} // namespace Talvex::Native
