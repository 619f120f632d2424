#pragma once

#include "Platform/Core/Property.h"
#include "Platform/IO/IDataInput.h"

#include <TalvexExport.h>

#include <boost/intrusive_ptr.hpp>

#include <string>

namespace Talvex::Core {

// Property trees as JSON text: an object's members become children in key order,
// strings become the node's text, numbers and booleans their JSON spelling, arrays
// children named "0", "1", ...
class TALVEX_EXPORT PropertySerializer {
public:
    // Replaces the children and text of `root` with the tree read from `input`.
    // Malformed text throws Talvex::Exception naming the offset and line where reading
    // stopped when `throwOnError` is true; otherwise it leaves `root` empty and
    // returns false.
    static bool Deserialize(Property& root, boost::intrusive_ptr<IDataInput> input, bool throwOnError);
    // Compact JSON text of the tree under `root`.
    static std::string Serialize(const Property& root);
};

} // namespace Talvex::Core
