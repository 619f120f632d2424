#include "Platform/IO/DataInputString.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Talvex::Core {

boost::intrusive_ptr<IDataInput> DataInputString::Create(const std::string* text, std::string name)
{
    return boost::intrusive_ptr<IDataInput>(new DataInputString(text, std::move(name)));
}

DataInputString::DataInputString(const std::string* text, std::string name) : text(text), name(std::move(name))
{
}

std::size_t DataInputString::Read(void* buffer, std::size_t size)
{
    const std::size_t count = std::min(size, Available());
    if (count > 0) {
        std::memcpy(buffer, text->data() + position, count);
        position += count;
    }
    return count;
}

std::string DataInputString::Name() const
{
    return name;
}

std::size_t DataInputString::Available() const
{
    return text ? text->size() - position : 0;
}

} // namespace Talvex::Core
