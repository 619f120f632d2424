// Writes a copy of a TrueType/OpenType font whose names spell another family:
//   RenameFontFamily <input> <output> <old family> <new family>
// Every name record has the old family replaced by the new one, and the old family
// without spaces (as PostScript names spell it) by the new one without spaces. The
// tables are written out afresh with their checksums and the whole-file adjustment
// recomputed, so font loaders accept the copy as they accepted the original.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint16_t>;

std::uint32_t Read(const Bytes& bytes, std::size_t at, int size)
{
    if (at + static_cast<std::size_t>(size) > bytes.size()) {
        throw std::runtime_error("truncated font");
    }
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

void Put(Bytes& bytes, std::uint32_t value, int size)
{
    for (int i = size - 1; i >= 0; --i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void Overwrite(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * (3 - i)));
    }
}

std::uint32_t Checksum(const Bytes& bytes, std::size_t from, std::size_t length)
{
    std::uint32_t sum = 0;
    for (std::size_t at = from; at < from + length; at += 4) {
        for (int i = 0; i < 4; ++i) {
            const std::size_t index = at + static_cast<std::size_t>(i);
            sum += static_cast<std::uint32_t>(index < from + length ? bytes[index] : 0) << (8 * (3 - i));
        }
    }
    return sum;
}

Units ToUnits(const std::string& ascii)
{
    return Units(ascii.begin(), ascii.end());
}

void ReplaceAll(Units& text, const Units& from, const Units& to)
{
    for (auto at = std::search(text.begin(), text.end(), from.begin(), from.end()); at != text.end();
         at = std::search(at, text.end(), from.begin(), from.end())) {
        const auto offset = (at - text.begin()) + static_cast<std::ptrdiff_t>(to.size());
        text.insert(text.erase(at, at + static_cast<std::ptrdiff_t>(from.size())), to.begin(), to.end());
        at = text.begin() + offset;
    }
}

// Platforms 0 (Unicode) and 3 (Windows) store UTF-16BE; the others one byte per character.
bool IsWide(std::uint32_t platform)
{
    return platform == 0 || platform == 3;
}

Bytes RenamedNameTable(const Bytes& table, const std::map<Units, Units>& replacements)
{
    if (Read(table, 0, 2) != 0) {
        throw std::runtime_error("only name tables of format 0 are supported");
    }
    const std::uint32_t count = Read(table, 2, 2);
    const std::uint32_t storage = Read(table, 4, 2);
    Bytes records;
    Bytes strings;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t record = 6 + 12 * i;
        const bool wide = IsWide(Read(table, record, 2));
        const std::size_t length = Read(table, record + 8, 2);
        const std::size_t offset = storage + Read(table, record + 10, 2);
        Units text;
        for (std::size_t at = offset; at < offset + length; at += wide ? 2 : 1) {
            text.push_back(static_cast<std::uint16_t>(Read(table, at, wide ? 2 : 1)));
        }
        for (const auto& [from, to] : replacements) {
            ReplaceAll(text, from, to);
        }
        records.insert(records.end(), table.begin() + static_cast<std::ptrdiff_t>(record),
                       table.begin() + static_cast<std::ptrdiff_t>(record + 8));
        Put(records, static_cast<std::uint32_t>(text.size() * (wide ? 2 : 1)), 2);
        Put(records, static_cast<std::uint32_t>(strings.size()), 2);
        for (const std::uint16_t unit : text) {
            Put(strings, unit, wide ? 2 : 1);
        }
    }
    Bytes renamed;
    Put(renamed, 0, 2);
    Put(renamed, count, 2);
    Put(renamed, 6 + 12 * count, 2);
    renamed.insert(renamed.end(), records.begin(), records.end());
    renamed.insert(renamed.end(), strings.begin(), strings.end());
    return renamed;
}

Bytes Rename(const Bytes& font, const std::string& oldFamily, const std::string& newFamily)
{
    const auto squeezed = [](std::string name) {
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
        return name;
    };
    const std::map<Units, Units> replacements{{ToUnits(oldFamily), ToUnits(newFamily)},
                                              {ToUnits(squeezed(oldFamily)), ToUnits(squeezed(newFamily))}};
    const std::uint32_t tableCount = Read(font, 4, 2);
    Bytes out(font.begin(), font.begin() + 12);
    Bytes data;
    std::size_t headAt = 0;
    const std::size_t dataStart = 12 + 16 * tableCount;
    for (std::uint32_t i = 0; i < tableCount; ++i) {
        const std::size_t entry = 12 + 16 * i;
        const std::uint32_t tag = Read(font, entry, 4);
        const std::size_t offset = Read(font, entry + 8, 4);
        Bytes table(font.begin() + static_cast<std::ptrdiff_t>(offset),
                    font.begin() + static_cast<std::ptrdiff_t>(offset + Read(font, entry + 12, 4)));
        if (tag == 0x6E616D65) { // 'name'
            table = RenamedNameTable(table, replacements);
        } else if (tag == 0x68656164) { // 'head': the adjustment is summed as zero
            Overwrite(table, 8, 0);
            headAt = dataStart + data.size() + 8;
        }
        Put(out, tag, 4);
        Put(out, Checksum(table, 0, table.size()), 4);
        Put(out, static_cast<std::uint32_t>(dataStart + data.size()), 4);
        Put(out, static_cast<std::uint32_t>(table.size()), 4);
        data.insert(data.end(), table.begin(), table.end());
        data.resize((data.size() + 3) / 4 * 4, 0);
    }
    out.insert(out.end(), data.begin(), data.end());
    if (headAt == 0) {
        throw std::runtime_error("no head table");
    }
    Overwrite(out, headAt, 0xB1B0AFBA - Checksum(out, 0, out.size()));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <input> <output> <old family> <new family>\n", argv[0]);
        return 2;
    }
    try {
        std::ifstream input(argv[1], std::ios::binary);
        const Bytes font{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
        const Bytes renamed = Rename(font, argv[3], argv[4]);
        std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
        output.write(reinterpret_cast<const char*>(renamed.data()), static_cast<std::streamsize>(renamed.size()));
        if (!output) {
            throw std::runtime_error("cannot write the output");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.what());
        return 1;
    }
    return 0;
}
