#pragma once

#include <TalvexExport.h>

#include <string>
#include <vector>

namespace Talvex::Core {

// A named tree node with a text value. Children keep their insertion order; a name
// may be looked up, and the first child of that name is the one found.
//
// The kind records what the text stood for when it was read, so that writing the
// tree back gives the same values: a number keeps its own spelling, an array stays an
// array (its children are named "0", "1", ...) and an empty object stays an object.
// Copying and destroying work without recursion, so a tree of any depth built in
// code can be held.
class TALVEX_EXPORT Property {
public:
    enum class Kind { Text, Number, Boolean, Null, Object, Array };

    explicit Property(std::string name = std::string());
    Property(const Property& other);
    Property(Property&& other) noexcept = default;
    Property& operator=(const Property& other);
    Property& operator=(Property&& other) noexcept;
    ~Property();

    const std::string& GetName() const { return name; }
    const std::string& GetString() const { return text; }
    Kind GetKind() const { return kind; }
    // Makes the node a text value.
    void SetString(std::string value) { SetValue(std::move(value), Kind::Text); }
    // `value` is the JSON spelling for numbers and booleans ("0.1", "true"), empty for
    // null and for containers.
    void SetValue(std::string value, Kind valueKind);

    bool ChildExists(const std::string& childName) const;
    // The child of that name, or a shared empty node when there is none.
    const Property& operator[](const std::string& childName) const;
    // The child of that name, appended when there is none.
    Property& Child(const std::string& childName);
    Property& AddChild(Property child);
    const std::vector<Property>& Children() const { return children; }
    void Clear();

private:
    void ReleaseChildren() noexcept;

    std::string name;
    std::string text;
    Kind kind = Kind::Text;
    std::vector<Property> children;
};

} // namespace Talvex::Core
