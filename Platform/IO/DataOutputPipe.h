#pragma once

#include "Platform/Core/RefCountImpl.h"
#include "Platform/IO/IByteDataOutput.h"

#include <TalvexExport.h>

#include <boost/intrusive_ptr.hpp>

#include <memory>
#include <string>

namespace Talvex::Native {
class PipeSocket;
}

namespace Talvex::Core {

// The writing end of a named pipe.
class TALVEX_EXPORT DataOutputPipe : public RefCounted<IByteDataOutputEx> {
public:
    // As DataInputPipe::Create: the master (`create`) makes the pipe and returns at
    // once, the slave opens it. Throws Talvex::Core::IOException.
    static boost::intrusive_ptr<IByteDataOutputEx> Create(const std::string& name, bool create);

    void Write(const void* data, std::size_t size) override;
    void SetTimeout(int timeoutMs) override;

private:
    explicit DataOutputPipe(std::unique_ptr<Native::PipeSocket> socket);
    ~DataOutputPipe() override;

    const std::unique_ptr<Native::PipeSocket> socket;
};

} // namespace Talvex::Core
