#pragma once

#include "Platform/Core/RefCountImpl.h"
#include "Platform/IO/IDataInput.h"

#include <TalvexExport.h>

#include <boost/intrusive_ptr.hpp>

#include <string>

namespace Talvex::Core {

// Reads a string that the caller owns and keeps alive while the input is in use.
class TALVEX_EXPORT DataInputString : public RefCounted<IDataInput> {
public:
    static boost::intrusive_ptr<IDataInput> Create(const std::string* text);

    std::size_t Read(void* buffer, std::size_t size) override;
    std::size_t Available() const override;

private:
    explicit DataInputString(const std::string* text);

    const std::string* text;
    std::size_t position = 0;
};

} // namespace Talvex::Core
