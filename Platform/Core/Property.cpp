#include "Platform/Core/Property.h"

#include <algorithm>
#include <utility>

namespace Talvex::Core {

Property::Property(std::string name) : name(std::move(name)) {}

bool Property::ChildExists(const std::string& childName) const
{
    return std::any_of(children.begin(), children.end(),
                       [&](const Property& child) { return child.name == childName; });
}

const Property& Property::operator[](const std::string& childName) const
{
    static const Property empty;
    for (const Property& child : children) {
        if (child.name == childName) {
            return child;
        }
    }
    return empty;
}

Property& Property::Child(const std::string& childName)
{
    for (Property& child : children) {
        if (child.name == childName) {
            return child;
        }
    }
    return AddChild(Property(childName));
}

Property& Property::AddChild(Property child)
{
    children.push_back(std::move(child));
    return children.back();
}

void Property::Clear()
{
    text.clear();
    children.clear();
}

} // namespace Talvex::Core
