#pragma once

#include "Platform/Core/Exception.h"

#include <TalvexExport.h>

#include <string>

namespace Talvex::Core {

// Thrown by the pipes and the channel for every failure: a name that cannot be
// created or opened, a peer that never came, a write to a closed pipe.
class TALVEX_EXPORT IOException : public Exception {
public:
    explicit IOException(std::string message);
    ~IOException() override;
};

} // namespace Talvex::Core
