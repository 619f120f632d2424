#pragma once

namespace Talvex {

// The e-mail subscription dialog as the application drives it.
class IEmailDialog {
public:
    virtual ~IEmailDialog() = default;
    // Runs the dialog and returns when the user is done with it.
    virtual void Show() = 0;
};

} // namespace Talvex
