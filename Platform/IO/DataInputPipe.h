#pragma once

#include "Platform/Core/RefCountImpl.h"
#include "Platform/IO/IByteDataInput.h"

#include <TalvexExport.h>

#include <boost/intrusive_ptr.hpp>

#include <memory>
#include <string>

namespace Talvex::Native {
class PipeSocket;
}

namespace Talvex::Core {

// The reading end of a named pipe.
class TALVEX_EXPORT DataInputPipe : public RefCounted<IByteDataInputEx> {
public:
    // `name` is the pipe's full name. With `create` (the master) the pipe is made here
    // and the call returns without waiting for the writer; releasing the last
    // reference removes the name. Without it (the slave) the existing pipe is opened.
    // Throws Talvex::Core::IOException.
    static boost::intrusive_ptr<IByteDataInputEx> Create(const std::string& name, bool create);

    std::size_t Read(void* buffer, std::size_t size) override;
    std::size_t Available() override;
    bool WaitForInput(int timeoutMs) override;
    void SetTimeout(int timeoutMs) override;

private:
    explicit DataInputPipe(std::unique_ptr<Native::PipeSocket> socket);
    ~DataInputPipe() override;

    const std::unique_ptr<Native::PipeSocket> socket;
};

} // namespace Talvex::Core
