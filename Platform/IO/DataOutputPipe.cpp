#include "Platform/IO/DataOutputPipe.h"

#include "Platform/Native/PipeSocket.h"

#include <utility>

namespace Talvex::Core {

boost::intrusive_ptr<IByteDataOutputEx> DataOutputPipe::Create(const std::string& name, bool create)
{
    auto socket = create ? Native::PipeSocket::Listen(name) : Native::PipeSocket::Connect(name);
    return boost::intrusive_ptr<IByteDataOutputEx>(new DataOutputPipe(std::move(socket)));
}

DataOutputPipe::DataOutputPipe(std::unique_ptr<Native::PipeSocket> socket) : socket(std::move(socket))
{
}

DataOutputPipe::~DataOutputPipe() = default;

void DataOutputPipe::Write(const void* data, std::size_t size)
{
    socket->Send(data, size);
}

void DataOutputPipe::SetTimeout(int timeoutMs)
{
    socket->SetTimeout(timeoutMs);
}

} // namespace Talvex::Core
