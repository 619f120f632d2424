#pragma once

namespace Talvex::App {

// A product's splash screen. The application only ever raises it (BringToFront),
// when it starts and when it is activated before Start; showing and closing it are
// the product's business.
class ISplash {
public:
    virtual ~ISplash() = default;
    virtual void Show() = 0;
    virtual void BringToFront() = 0;
    virtual void Finish() = 0;
};

} // namespace Talvex::App
