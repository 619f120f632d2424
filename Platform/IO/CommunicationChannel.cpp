#include "Platform/IO/CommunicationChannel.h"

#include "Platform/IO/IOException.h"

#include <atomic>
#include <utility>

namespace Talvex::Core {

namespace {

std::atomic<int> defaultTimeoutMs{5000};

} // namespace

boost::intrusive_ptr<IDataChannel> CommunicationChannel::Create(boost::intrusive_ptr<IByteDataInputEx> input,
                                                                boost::intrusive_ptr<IByteDataOutputEx> output,
                                                                bool nonWaiting)
{
    if (!input || !output) {
        throw IOException("A channel needs both an input and an output stream");
    }
    return boost::intrusive_ptr<IDataChannel>(
        new CommunicationChannel(std::move(input), std::move(output), nonWaiting));
}

int CommunicationChannel::DefaultTimeout()
{
    return defaultTimeoutMs.load();
}

void CommunicationChannel::SetDefaultTimeout(int timeoutMs)
{
    defaultTimeoutMs = timeoutMs;
}

CommunicationChannel::CommunicationChannel(boost::intrusive_ptr<IByteDataInputEx> input,
                                           boost::intrusive_ptr<IByteDataOutputEx> output, bool nonWaiting)
    : input(std::move(input)), output(std::move(output)), nonWaiting(nonWaiting), timeoutMs(0)
{
    SetTimeout(DefaultTimeout());
}

CommunicationChannel::~CommunicationChannel() = default;

void CommunicationChannel::SetTimeout(int milliseconds)
{
    timeoutMs = milliseconds;
    input->SetTimeout(milliseconds);
    output->SetTimeout(milliseconds);
}

void CommunicationChannel::Write(const void* data, std::size_t size)
{
    output->Write(data, size);
}

std::size_t CommunicationChannel::GetWaitingInputSize()
{
    if (!nonWaiting) {
        input->WaitForInput(timeoutMs);
    }
    return input->Available();
}

std::size_t CommunicationChannel::Read(void* buffer, std::size_t size)
{
    char* next = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        if (nonWaiting && input->Available() == 0) {
            break;
        }
        const std::size_t count = input->Read(next + done, size - done);
        if (count == 0) {
            break;
        }
        done += count;
    }
    return done;
}

} // namespace Talvex::Core
