// DesktopAppearance's own members. Its bus side (DesktopAppearancePrivate, with QtDBus
// and the session-bus libraries) lives in a module of its own, loaded when the first
// DesktopAppearance is made, so that a product that never follows the desktop does not
// load them at start.
#include "App/Application/LookAndFeel/DesktopAppearance.h"
#include "Platform/Logging/LogLine.h"

#include "App/Application/LookAndFeel/DesktopAppearance_p.h"
#include "Platform/Core/LibraryModule.h"

namespace Talvex::App {
namespace {

Core::LibraryModule& BusReader()
{
    static Core::LibraryModule module(TALVEX_DESKTOP_BUS_MODULE);
    return module;
}

DesktopAppearancePrivate* NewBusSide(DesktopAppearance* owner, const QString& busAddress)
{
    using Create = DesktopAppearancePrivate* (*)(DesktopAppearance*, const QString*);
    const auto create = reinterpret_cast<Create>(BusReader().Entry("talvex_desktop_appearance_create"));
    return create ? create(owner, &busAddress) : nullptr;
}

} // namespace

bool DesktopAppearance::Preference::operator==(const Preference& other) const
{
    return colorScheme == other.colorScheme && highContrast == other.highContrast && accentColor == other.accentColor;
}

DesktopAppearance::DesktopAppearance(const QString& busAddress, QObject* parent)
    : QObject(parent), d(NewBusSide(this, busAddress))
{
}

DesktopAppearance::~DesktopAppearance() = default;

void DesktopAppearance::Start(std::chrono::milliseconds bound)
{
    using StartReading = void (*)(DesktopAppearancePrivate*, long long);
    const auto start = reinterpret_cast<StartReading>(BusReader().Entry("talvex_desktop_appearance_start"));
    if (!d || !start) {
        TALVEX_LOG(INFO) << "No desktop appearance preference: the session-bus reader is not available";
        return;
    }
    start(d.get(), static_cast<long long>(bound.count()));
}

const DesktopAppearance::Preference& DesktopAppearance::GetPreference() const
{
    static const Preference none;
    return d ? d->preference : none;
}

} // namespace Talvex::App
