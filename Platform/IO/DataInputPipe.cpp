#include "Platform/IO/DataInputPipe.h"

#include "Platform/Native/PipeSocket.h"

#include <utility>

namespace Talvex::Core {

boost::intrusive_ptr<IByteDataInputEx> DataInputPipe::Create(const std::string& name, bool create)
{
    auto socket = create ? Native::PipeSocket::Listen(name) : Native::PipeSocket::Connect(name);
    return boost::intrusive_ptr<IByteDataInputEx>(new DataInputPipe(std::move(socket)));
}

DataInputPipe::DataInputPipe(std::unique_ptr<Native::PipeSocket> socket) : socket(std::move(socket))
{
}

DataInputPipe::~DataInputPipe() = default;

std::size_t DataInputPipe::Read(void* buffer, std::size_t size)
{
    return socket->Receive(buffer, size);
}

std::size_t DataInputPipe::Available()
{
    return socket->Available();
}

bool DataInputPipe::WaitForInput(int timeoutMs)
{
    return socket->WaitForInput(timeoutMs);
}

void DataInputPipe::SetTimeout(int timeoutMs)
{
    socket->SetTimeout(timeoutMs);
}

} // namespace Talvex::Core
