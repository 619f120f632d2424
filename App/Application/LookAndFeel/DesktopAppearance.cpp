#include "App/Application/LookAndFeel/DesktopAppearance.h"

#include "App/Application/LookAndFeel/DesktopAppearance_p.h"

#include "Platform/Logging/LogLine.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

namespace Talvex::App {

namespace {

const QString PORTAL_SERVICE = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PORTAL_PATH = QStringLiteral("/org/freedesktop/portal/desktop");
const QString SETTINGS_INTERFACE = QStringLiteral("org.freedesktop.portal.Settings");
const QString APPEARANCE = QStringLiteral("org.freedesktop.appearance");
const QString COLOR_SCHEME = QStringLiteral("color-scheme");
const QString CONTRAST = QStringLiteral("contrast");
const QString ACCENT_COLOR = QStringLiteral("accent-color");
// Version 2 of the interface answers ReadOne with the value itself; version 1 has
// only Read, whose answer carries one more variant around it.
const QString READ_ONE = QStringLiteral("ReadOne");
const QString READ = QStringLiteral("Read");
const QString KEY_NOT_FOUND = QStringLiteral("org.freedesktop.portal.Error.NotFound");
// QDBusError has no code of its own for this one.
const QString NAME_HAS_NO_OWNER = QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");

std::string Utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

// Both Read's extra wrapping and a portal that wraps once too often end here.
QVariant Unwrapped(QVariant value)
{
    for (int layer = 0; layer < 4 && value.userType() == qMetaTypeId<QDBusVariant>(); ++layer) {
        value = qvariant_cast<QDBusVariant>(value).variant();
    }
    return value;
}

bool IsUnsigned(const QVariant& value)
{
    return value.userType() == QMetaType::UInt;
}

bool IsColorTriple(const QVariant& value)
{
    return value.userType() == qMetaTypeId<QDBusArgument>() &&
           qvariant_cast<QDBusArgument>(value).currentSignature() == QLatin1String("(ddd)");
}

// Components outside 0..1 (and NaN) are how a desktop says "no accent colour".
QColor ColorFromTriple(const QVariant& value)
{
    const QDBusArgument argument = qvariant_cast<QDBusArgument>(value);
    double rgb[3] = {0, 0, 0};
    argument.beginStructure();
    argument >> rgb[0] >> rgb[1] >> rgb[2];
    argument.endStructure();
    for (double component : rgb) {
        if (!(component >= 0.0 && component <= 1.0)) {
            return QColor();
        }
    }
    return QColor::fromRgbF(rgb[0], rgb[1], rgb[2]);
}

DesktopAppearance::ColorScheme SchemeFromCode(uint code)
{
    switch (code) {
    case 1:
        return DesktopAppearance::ColorScheme::Dark;
    case 2:
        return DesktopAppearance::ColorScheme::Light;
    default:
        return DesktopAppearance::ColorScheme::NoPreference;
    }
}

QDBusConnection Connect(const QString& busAddress, const QString& connectionName)
{
    return busAddress.isEmpty() ? QDBusConnection::sessionBus()
                                : QDBusConnection::connectToBus(busAddress, connectionName);
}

QString ConnectionNameFor(const QString& busAddress, const void* owner)
{
    if (busAddress.isEmpty()) {
        return QString();
    }
    return QStringLiteral("talvex-desktop-appearance-%1").arg(reinterpret_cast<quintptr>(owner), 0, 16);
}

} // namespace

DesktopAppearancePrivate::DesktopAppearancePrivate(DesktopAppearance* owner, const QString& busAddress)
    : owner(owner), connectionName(ConnectionNameFor(busAddress, this)), connection(Connect(busAddress, connectionName))
{
}

DesktopAppearancePrivate::~DesktopAppearancePrivate()
{
    if (!connectionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(connectionName);
    }
}

void DesktopAppearancePrivate::Start(std::chrono::milliseconds bound)
{
    if (started) {
        return;
    }
    started = true;
    if (!connection.isConnected()) {
        ReportUnavailable(QStringLiteral("no session bus (") + connection.lastError().message() + QLatin1Char(')'));
        return;
    }
    // QtDBus names the receiving slot by its signature; there is no typed connect. Qt 6
    // finds the slot's argument types by name and refuses the connection while
    // QDBusVariant is not yet a registered type, as it is not before the first answer.
    qRegisterMetaType<QDBusVariant>();
    // QtDBus refuses without setting lastError(), so the line names what was refused.
    if (!connection.connect(PORTAL_SERVICE, PORTAL_PATH, SETTINGS_INTERFACE, QStringLiteral("SettingChanged"), this,
                            SLOT(OnSettingChanged(QString, QString, QDBusVariant)))) {
        TALVEX_LOG(ERROR) << "Desktop appearance: the bus refused to connect the portal's signal "
                          << Utf8(SETTINGS_INTERFACE) << ".SettingChanged to the slot "
                          << "OnSettingChanged(QString,QString,QDBusVariant); only the start's reading is followed";
    }
    for (const QString& key : {COLOR_SCHEME, CONTRAST, ACCENT_COLOR}) {
        Ask(key, READ_ONE);
    }
    if (bound.count() > 0) {
        Wait(bound);
    }
}

void DesktopAppearancePrivate::Wait(std::chrono::milliseconds bound)
{
    QEventLoop wait;
    startWait = &wait;
    QTimer::singleShot(static_cast<int>(bound.count()), &wait, &QEventLoop::quit);
    if (!pending.empty()) {
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    startWait = nullptr;
}

void DesktopAppearancePrivate::Ask(const QString& key, const QString& method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(PORTAL_SERVICE, PORTAL_PATH, SETTINGS_INTERFACE, method);
    call << APPEARANCE << key;
    auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(call), this);
    pending.insert(key);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key, method](QDBusPendingCallWatcher* finished) { OnAnswer(finished, key, method); });
}

void DesktopAppearancePrivate::OnAnswer(QDBusPendingCallWatcher* watcher, const QString& key, const QString& method)
{
    watcher->deleteLater();
    pending.erase(key);
    const QDBusMessage reply = watcher->reply();
    if (reply.type() == QDBusMessage::ErrorMessage) {
        OnFailure(key, method, reply.errorName(), reply.errorMessage());
    } else {
        keyRead = true;
        if (!reply.arguments().isEmpty()) {
            Apply(key, Unwrapped(reply.arguments().constFirst()));
        }
    }
    if (startWait && pending.empty()) {
        startWait->quit();
    }
}

void DesktopAppearancePrivate::OnFailure(const QString& key, const QString& method, const QString& errorName,
                                         const QString& message)
{
    if (errorName == KEY_NOT_FOUND) {
        // Older portals and backends serve only some keys; the others mean "no preference".
        keyRead = true;
        return;
    }
    if (method == READ_ONE && QDBusError::errorString(QDBusError::UnknownMethod) == errorName) {
        Ask(key, READ);
        return;
    }
    const QString error = QStringLiteral(" (") + errorName + QStringLiteral(": ") + message + QLatin1Char(')');
    if (keyRead) {
        TALVEX_LOG(INFO) << "The desktop settings portal could not give " << Utf8(key) << Utf8(error)
                         << "; no preference for that key";
    } else {
        ReportUnavailable(WhatFailed(errorName) + error);
    }
}

QString DesktopAppearancePrivate::WhatFailed(const QString& errorName)
{
    if (errorName == QDBusError::errorString(QDBusError::ServiceUnknown) || errorName == NAME_HAS_NO_OWNER) {
        return QStringLiteral("the desktop settings portal is not there");
    }
    if (errorName == QDBusError::errorString(QDBusError::NoReply) ||
        errorName == QDBusError::errorString(QDBusError::Timeout) ||
        errorName == QDBusError::errorString(QDBusError::Disconnected)) {
        return QStringLiteral("the desktop settings portal did not answer");
    }
    return QStringLiteral("the desktop settings portal could not be read");
}

void DesktopAppearancePrivate::ReportUnavailable(const QString& reason)
{
    if (unavailableReported) {
        return;
    }
    unavailableReported = true;
    TALVEX_LOG(INFO) << "No desktop appearance preference: " << Utf8(reason);
}

void DesktopAppearancePrivate::OnSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value)
{
    if (nameSpace == APPEARANCE) {
        Apply(key, Unwrapped(value.variant()));
    }
}

void DesktopAppearancePrivate::Apply(const QString& key, const QVariant& value)
{
    DesktopAppearance::Preference next = preference;
    const bool isScheme = key == COLOR_SCHEME;
    const bool isContrast = key == CONTRAST;
    const bool isAccent = key == ACCENT_COLOR;
    if (!isScheme && !isContrast && !isAccent) {
        return;
    }
    const bool fits = isAccent ? IsColorTriple(value) : IsUnsigned(value);
    if (!fits) {
        TALVEX_LOG(ERROR) << "The desktop settings portal gave " << Utf8(key) << " as a value of type "
                          << (value.isValid() ? value.typeName() : "none") << "; treating it as no preference";
    }
    if (isScheme) {
        next.colorScheme = fits ? SchemeFromCode(value.toUInt()) : DesktopAppearance::ColorScheme::NoPreference;
    } else if (isContrast) {
        next.highContrast = fits && value.toUInt() == 1;
    } else {
        next.accentColor = fits ? ColorFromTriple(value) : QColor();
    }
    if (next != preference) {
        preference = next;
        emit owner->PreferenceChanged();
    }
}

} // namespace Talvex::App
