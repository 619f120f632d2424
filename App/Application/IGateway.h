#pragma once

#include <functional>
#include <string>

namespace Talvex::ExternalStimulus {

// Something that happened outside the program (another instance started, a file
// dropped on the icon) and the work to run for it. `action` owns copies of what it
// needs, so it may run after the poster has gone.
struct Stimulus {
    std::string name;
    std::function<void()> action;
};

// Implemented by the product: decides when and on which thread a stimulus runs.
class IGateway {
public:
    virtual ~IGateway() = default;
    // The gateway copies what it keeps; the caller's record may die right after.
    virtual void Post(Stimulus& stimulus) = 0;
};

} // namespace Talvex::ExternalStimulus
