#include "Platform/Core/SleepFor.h"

#include <chrono>
#include <thread>

namespace Talvex::Core {

void SleepFor(unsigned int milliseconds)
{
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace Talvex::Core
