#pragma once

#include <TalvexExport.h>

#include <QColor>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

namespace Talvex::App {

struct DesktopAppearancePrivate;

// What the desktop asks of programs' looks, read from the desktop settings portal on
// the session bus (org.freedesktop.appearance: color-scheme, contrast, accent-color)
// and kept current through the portal's change signal.
//
// GUI thread only. Nothing here throws or retries: without a bus or a portal the
// preference stays "none" (one INFO line), a key the portal lacks is "none" for that
// key alone, a key that fails once another has been read is "none" for that key with
// an INFO line, and an answer of the wrong type is "none" for that key with an ERROR.
// Answers that come after Start() has stopped waiting are applied when they arrive
// and announced through PreferenceChanged, as later changes on the desktop are.
class TALVEX_EXPORT DesktopAppearance : public QObject {
    Q_OBJECT
public:
    enum class ColorScheme { NoPreference, Dark, Light };

    struct Preference {
        ColorScheme colorScheme = ColorScheme::NoPreference;
        bool highContrast = false;
        QColor accentColor; // invalid when the desktop gives none
        bool operator==(const Preference& other) const;
        bool operator!=(const Preference& other) const { return !(*this == other); }
    };

    static constexpr std::chrono::milliseconds START_BOUND{250};

    // Uses the session bus; with a non-empty address, the bus at that address instead.
    explicit DesktopAppearance(const QString& busAddress = QString(), QObject* parent = nullptr);
    ~DesktopAppearance() override;

    // Asks for the three keys and waits for the answers at most `bound`, handling no
    // user input meanwhile; with a zero bound it only asks. Only the first call asks.
    void Start(std::chrono::milliseconds bound = START_BOUND);
    const Preference& GetPreference() const;

signals:
    void PreferenceChanged();

private:
    friend struct DesktopAppearancePrivate;
    const std::unique_ptr<DesktopAppearancePrivate> d;
};

} // namespace Talvex::App
