#pragma once

namespace Talvex::App {

// Something that can hand the foreground back to the process that started this one.
class IFocusTransferer {
public:
    virtual ~IFocusTransferer() = default;
    virtual void GiveFocusToParent() = 0;
};

} // namespace Talvex::App
