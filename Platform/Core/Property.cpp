#include "Platform/Core/Property.h"

#include <algorithm>
#include <utility>

namespace Talvex::Core {

Property::Property(std::string name) : name(std::move(name))
{
}

// Copies level by level from a work list instead of recursing, so depth costs heap,
// not stack.
Property::Property(const Property& other) : name(other.name), text(other.text), kind(other.kind)
{
    if (other.children.empty()) {
        return;
    }
    std::vector<std::pair<Property*, const Property*>> pending{{this, &other}};
    while (!pending.empty()) {
        const auto [target, source] = pending.back();
        pending.pop_back();
        // Reserved up front so the addresses queued below stay valid.
        target->children.reserve(source->children.size());
        for (const Property& child : source->children) {
            Property& copy = target->children.emplace_back(child.name);
            copy.text = child.text;
            copy.kind = child.kind;
            pending.emplace_back(&copy, &child);
        }
    }
}

Property& Property::operator=(const Property& other)
{
    if (this != &other) {
        *this = Property(other);
    }
    return *this;
}

Property& Property::operator=(Property&& other) noexcept
{
    if (this != &other) {
        // Taken out first: `other` may live inside the children released below.
        Property taken(std::move(other));
        ReleaseChildren();
        name = std::move(taken.name);
        text = std::move(taken.text);
        kind = taken.kind;
        children = std::move(taken.children);
    }
    return *this;
}

Property::~Property()
{
    ReleaseChildren();
}

// Frees the subtree from a work list: each node leaves it with its children already
// moved out, so no destructor ever recurses.
void Property::ReleaseChildren() noexcept
{
    std::vector<Property> pending = std::move(children);
    children.clear();
    while (!pending.empty()) {
        Property node = std::move(pending.back());
        pending.pop_back();
        for (Property& child : node.children) {
            pending.push_back(std::move(child));
        }
        node.children.clear();
    }
}

void Property::SetValue(std::string value, Kind valueKind)
{
    text = std::move(value);
    kind = valueKind;
}

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
    kind = Kind::Text;
    ReleaseChildren();
}

} // namespace Talvex::Core
