#include "Platform/IO/DataInputString.h"

#include <algorithm>
#include <cstring>

namespace Talvex::Core {

boost::intrusive_ptr<IDataInput> DataInputString::Create(const std::string* text)
{
    return boost::intrusive_ptr<IDataInput>(new DataInputString(text));
}

DataInputString::DataInputString(const std::string* text) : text(text) {}

std::size_t DataInputString::Read(void* buffer, std::size_t size)
{
    const std::size_t count = std::min(size, Available());
    if (count > 0) {
        std::memcpy(buffer, text->data() + position, count);
        position += count;
    }
    return count;
}

std::size_t DataInputString::Available() const
{
    return text ? text->size() - position : 0;
}

} // namespace Talvex::Core
