#pragma once

#include "Platform/Core/Property.h"
#include "Platform/IO/IDataInput.h"

#include <TalvexExport.h>

#include <boost/intrusive_ptr.hpp>

#include <string>

namespace Talvex::Core {

// Property trees as JSON text. The top level is an object; members become children in
// text order (a repeated name gives two children), strings become the node's text,
// numbers, booleans and null keep their JSON spelling and kind, arrays become children
// named "0", "1", ... of a node of kind Array. Writing a tree back gives the same
// values, numbers spelled as they were read.
class TALVEX_EXPORT PropertySerializer {
public:
    // Objects and arrays nest at most this deep, the root object being the first level;
    // deeper text is malformed and deeper trees cannot be written.
    static constexpr int MAX_DEPTH = 1024;

    // Replaces the children and text of `root` with the tree read from `input`.
    // Malformed text throws Talvex::Exception naming the input (when it has a name), the
    // offset and line where reading stopped, when `throwOnError` is true; otherwise it
    // leaves `root` empty and returns false.
    static bool Deserialize(Property& root, boost::intrusive_ptr<IDataInput> input, bool throwOnError);
    // Compact JSON text of the tree under `root`, which is written as an object. Throws
    // Talvex::Exception for a tree deeper than MAX_DEPTH, a Number or Boolean node whose
    // text is not such a JSON value, or text that is not valid UTF-8.
    static std::string Serialize(const Property& root);
};

} // namespace Talvex::Core
