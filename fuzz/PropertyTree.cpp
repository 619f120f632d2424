// Theme descriptions are JSON text read into property trees. Malformed text may throw
// the library's exception and nothing else; a tree that was read must write out and
// read back to the very same text.
#include "FuzzSupport.h"
#include "Platform/Core/Exception.h"
#include "Platform/Core/Property.h"
#include "Platform/Core/PropertySerializer.h"
#include "Platform/IO/DataInputString.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace Talvex::Core;

using Talvex::Fuzz::Require;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Property root;
    try {
        PropertySerializer::Deserialize(root, DataInputString::Create(&text, "input"), true);
    } catch (const Talvex::Exception&) {
        return 0;
    }

    // Reading without exceptions must agree with reading with them.
    Property quiet;
    Require(PropertySerializer::Deserialize(quiet, DataInputString::Create(&text), false),
            "the quiet read refused what the throwing one accepted");

    std::string written;
    try {
        written = PropertySerializer::Serialize(root);
    } catch (const Talvex::Exception&) {
        // Text that is not valid UTF-8 reads but does not write.
        return 0;
    }
    Require(PropertySerializer::Serialize(quiet) == written, "two reads of one text differ");

    Property reread;
    try {
        PropertySerializer::Deserialize(reread, DataInputString::Create(&written, "written"), true);
    } catch (const Talvex::Exception& error) {
        std::fprintf(stderr, "written text does not read back: %s\n%s\n", error.what(), written.c_str());
        std::abort();
    }
    Require(PropertySerializer::Serialize(reread) == written, "the text changed on its way back");
    return 0;
}
