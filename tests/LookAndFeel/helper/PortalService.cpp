// A desktop settings portal for the tests, on the bus whose address it is given.
//
//   LookAndFeelHelper <bus address> <role> [key=value ...]
//
// Roles: "v1" serves only Read (its answer wrapped in one more variant), "v2" serves
// ReadOne as well, "silent" takes every call and answers only when told to.
// Values: "u:N" (uint), "s:text" (a string, the wrong type for every key) and
// "c:R,G,B" (a triple of doubles). Keys not given are missing.
// Commands on standard input, one a line: "set key=value" (emits SettingChanged),
// "flip N" (N color-scheme changes, alternating dark and light), "answer [key]"
// (answers the calls held so far, or those for that key). Prints "ready" once the
// portal's name is owned.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMap>
#include <QSocketNotifier>

#include <unistd.h>

#include <cstdio>

namespace {

const QString SERVICE = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PATH = QStringLiteral("/org/freedesktop/portal/desktop");
const QString INTERFACE = QStringLiteral("org.freedesktop.portal.Settings");
const QString APPEARANCE = QStringLiteral("org.freedesktop.appearance");

QVariant ParseValue(const QString& text)
{
    const QString body = text.mid(2);
    if (text.startsWith(QLatin1String("u:"))) {
        return QVariant::fromValue(body.toUInt());
    }
    if (text.startsWith(QLatin1String("c:"))) {
        const QStringList parts = body.split(QLatin1Char(','));
        QDBusArgument triple;
        triple.beginStructure();
        for (const QString& part : parts) {
            triple << part.toDouble();
        }
        triple.endStructure();
        return QVariant::fromValue(triple);
    }
    return body;
}

QVariant Wrapped(const QVariant& value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

class Portal : public QDBusVirtualObject {
public:
    Portal(QDBusConnection connection, QString role) : connection(std::move(connection)), role(std::move(role)) {}

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        if (message.interface() != INTERFACE) {
            return false;
        }
        if (role == QLatin1String("silent")) {
            held.append(message);
            return true;
        }
        connection.send(Answer(message));
        return true;
    }

    QDBusMessage Answer(const QDBusMessage& call) const
    {
        const bool readOne = call.member() == QLatin1String("ReadOne");
        if (role == QLatin1String("v1") && readOne) {
            return call.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method"));
        }
        const QList<QVariant> arguments = call.arguments();
        const QString key = arguments.value(1).toString();
        if (arguments.value(0).toString() != APPEARANCE || !values.contains(key)) {
            return call.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                                         QStringLiteral("Requested setting not found"));
        }
        const QVariant value = Wrapped(values.value(key));
        return call.createReply(readOne ? value : Wrapped(value));
    }

    void Set(const QString& key, const QVariant& value)
    {
        values[key] = value;
        QDBusMessage changed = QDBusMessage::createSignal(PATH, INTERFACE, QStringLiteral("SettingChanged"));
        changed << APPEARANCE << key << Wrapped(value);
        connection.send(changed);
    }

    // Every held call, or only those for `key` when one is given.
    void AnswerHeld(const QString& key)
    {
        QList<QDBusMessage> kept;
        for (const QDBusMessage& call : held) {
            if (key.isEmpty() || call.arguments().value(1).toString() == key) {
                connection.send(Answer(call));
            } else {
                kept.append(call);
            }
        }
        held = kept;
    }

    QDBusConnection connection;
    QString role;
    QMap<QString, QVariant> values;
    QList<QDBusMessage> held;
};

void Perform(Portal& portal, const QString& line)
{
    const QString command = line.section(QLatin1Char(' '), 0, 0);
    const QString argument = line.section(QLatin1Char(' '), 1);
    if (command == QLatin1String("set")) {
        portal.Set(argument.section(QLatin1Char('='), 0, 0), ParseValue(argument.section(QLatin1Char('='), 1)));
    } else if (command == QLatin1String("flip")) {
        for (int flip = 0; flip < argument.toInt(); ++flip) {
            const bool dark = portal.values.value(QStringLiteral("color-scheme")).toUInt() == 1;
            portal.Set(QStringLiteral("color-scheme"), QVariant::fromValue(dark ? 2u : 1u));
        }
    } else if (command == QLatin1String("answer")) {
        portal.AnswerHeld(argument);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: %s <bus address> <v1|v2|silent> [key=value ...]\n", argv[0]);
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(arguments.at(1), QStringLiteral("portal"));
    Portal portal(bus, arguments.at(2));
    for (const QString& setting : arguments.mid(3)) {
        portal.values[setting.section(QLatin1Char('='), 0, 0)] = ParseValue(setting.section(QLatin1Char('='), 1));
    }
    if (!bus.registerVirtualObject(PATH, &portal) || !bus.registerService(SERVICE)) {
        std::fprintf(stderr, "cannot serve the portal: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    QByteArray input;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &application, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            application.quit();
            return;
        }
        input.append(buffer, static_cast<int>(got));
        for (int end = input.indexOf('\n'); end >= 0; end = input.indexOf('\n')) {
            Perform(portal, QString::fromUtf8(input.left(end)));
            input.remove(0, end + 1);
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    const int status = application.exec();
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    return status;
}
