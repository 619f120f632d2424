#pragma once

#include <TalvexExport.h>

#include <string>
#include <vector>

namespace Talvex::Core {

// A named tree node with a text value. Children keep their insertion order; a name
// may be looked up, and the first child of that name is the one found.
class TALVEX_EXPORT Property {
public:
    explicit Property(std::string name = std::string());

    const std::string& GetName() const { return name; }
    const std::string& GetString() const { return text; }
    void SetString(std::string value) { text = std::move(value); }

    bool ChildExists(const std::string& childName) const;
    // The child of that name, or a shared empty node when there is none.
    const Property& operator[](const std::string& childName) const;
    // The child of that name, appended when there is none.
    Property& Child(const std::string& childName);
    Property& AddChild(Property child);
    const std::vector<Property>& Children() const { return children; }
    void Clear();

private:
    std::string name;
    std::string text;
    std::vector<Property> children;
};

} // namespace Talvex::Core
