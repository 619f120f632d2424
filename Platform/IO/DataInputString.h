#pragma once

#include "Platform/Core/RefCountImpl.h"
#include "Platform/IO/IDataInput.h"

#include <TalvexExport.h>

#include <boost/intrusive_ptr.hpp>

#include <string>

namespace Talvex::Core {

// Reads a string that the caller owns and keeps alive while the input is in use.
// `name` says where the text came from (a file path, for instance); readers quote it
// in their messages.
class TALVEX_EXPORT DataInputString : public RefCounted<IDataInput> {
public:
    static boost::intrusive_ptr<IDataInput> Create(const std::string* text, std::string name = std::string());

    std::size_t Read(void* buffer, std::size_t size) override;
    std::size_t Available() const override;
    std::string Name() const override;

private:
    DataInputString(const std::string* text, std::string name);

    const std::string* text;
    const std::string name;
    std::size_t position = 0;
};

} // namespace Talvex::Core
