#include "App/Application/SingleInstance.h"

#include "App/Application/LaunchActivation.h"
#include "App/Application/SingleInstance_p.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Native/HandOverSender.h"
#include "Platform/Native/LaunchEnvironment.h"

#include <QCoreApplication>
#include <QFile>

namespace Talvex::App {
namespace {

// The switches a slave of IPCManager carries: such a process belongs to its master.
bool IsSlaveLaunch(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument.contains("/MasterPipeId=") || argument.contains("/ProcessId=")) {
            return true;
        }
    }
    return false;
}

QStringList Decoded(const QList<QByteArray>& arguments)
{
    QStringList decoded;
    for (const QByteArray& argument : arguments) {
        decoded.append(QFile::decodeName(argument));
    }
    return decoded;
}

} // namespace

SingleInstancePrivate* SingleInstancePrivate::current = nullptr;

SingleInstancePrivate::SingleInstancePrivate(SingleInstance* owner, int argc, char** argv, const std::string& codeName)
    : owner(owner)
{
    role = Decide(argc, argv, codeName);
    if (role == Role::Running) {
        BecomeRunning();
    }
}

SingleInstancePrivate::~SingleInstancePrivate()
{
    Release();
}

SingleInstancePrivate::Role SingleInstancePrivate::Decide(int argc, char** argv, const std::string& codeName)
{
    if (IsSlaveLaunch(argc, argv)) {
        return Role::Alone;
    }
    QString problem;
    const QString socketPath = Native::InstanceClaim::SocketPath(codeName, &problem);
    if (socketPath.isEmpty()) {
        TALVEX_LOG(ERROR) << "Starting without the one-instance check: " << problem.toStdString();
        return Role::Alone;
    }
    Native::LaunchEnvironment environment;
    Native::HandOverMessage message = environment.Message(argc, argv);
    const Role decided = HandOver(socketPath, message);
    if (decided != Role::HandedOver) {
        environment.Restore();
    }
    return decided;
}

SingleInstancePrivate::Role SingleInstancePrivate::HandOver(const QString& socketPath,
                                                            const Native::HandOverMessage& message)
{
    const QByteArray encoded = message.Encode();
    if (encoded.isEmpty()) {
        const Role claimed = ClaimOnly(socketPath);
        TALVEX_LOG_IF(WARNING, claimed != Role::Running)
            << "The command line is larger than a hand-over may hold (" << Native::HandOverMessage::MAX_PAYLOAD
            << " bytes); starting on our own beside the running instance";
        return claimed;
    }
    Native::HandOverSender sender(socketPath, encoded);
    switch (sender.Run()) {
    case Native::HandOverSender::Result::Claimed:
        claim = sender.TakeClaim();
        return Role::Running;
    case Native::HandOverSender::Result::HandedOver:
        return Role::HandedOver;
    case Native::HandOverSender::Result::NoAnswer:
        TALVEX_LOG(WARNING) << "The running instance did not take this launch within "
                            << Native::HandOverSender::DEFAULT_BOUND_MS << " ms (" << sender.Problem().toStdString()
                            << "); starting on our own";
        return Role::Alone;
    case Native::HandOverSender::Result::Refused:
        TALVEX_LOG(WARNING) << "The running instance did not take this launch (" << sender.Problem().toStdString()
                            << "); starting on our own";
        return Role::Alone;
    case Native::HandOverSender::Result::Foreign:
    case Native::HandOverSender::Result::Impossible:
        break;
    }
    TALVEX_LOG(ERROR) << "Starting without the one-instance check: " << sender.Problem().toStdString() << " ("
                      << socketPath.toStdString() << ")";
    return Role::Alone;
}

SingleInstancePrivate::Role SingleInstancePrivate::ClaimOnly(const QString& socketPath)
{
    Native::InstanceClaim::Outcome outcome = Native::InstanceClaim::Outcome::Impossible;
    QString problem;
    claim = Native::InstanceClaim::TryTake(socketPath, &outcome, &problem);
    TALVEX_LOG_IF(ERROR, outcome == Native::InstanceClaim::Outcome::Impossible)
        << "Starting without the one-instance check: " << problem.toStdString() << " (" << socketPath.toStdString()
        << ")";
    return claim ? Role::Running : Role::Alone;
}

void SingleInstancePrivate::BecomeRunning()
{
    current = this;
    static bool registered = false;
    if (!registered) {
        registered = true;
        // Called at once when the application exists already, else at its construction.
        qAddPreRoutine(&SingleInstancePrivate::StartReceivingInCurrent);
    } else if (QCoreApplication::instance()) {
        StartReceivingInCurrent();
    }
}

void SingleInstancePrivate::StartReceivingInCurrent()
{
    if (current) {
        // The application is still being built: its event dispatcher comes later.
        QMetaObject::invokeMethod(
            current->owner,
            [] {
                if (current)
                    current->StartReceiving();
            },
            Qt::QueuedConnection);
    }
}

void SingleInstancePrivate::StartReceiving()
{
    if (!claim || receiver) {
        return;
    }
    receiver = std::make_unique<HandOverReceiver>(claim->ListeningDescriptor());
    // The token is used at once, before the product's handler runs: a handler may open a
    // modal box (which should come up in front) or give up the claim, which frees the
    // connection that holds the message, so what the handler gets is a copy.
    QObject::connect(receiver.get(), &HandOverReceiver::Received, owner, [this](const Native::HandOverMessage& m) {
        const QStringList arguments = Decoded(m.arguments);
        const QString workingFolder = QFile::decodeName(m.workingFolder);
        BringForward(m.startupId, m.activationToken);
        owner->Deliver(arguments, workingFolder);
    });
    // Once the event loop has ended nobody answers launches any more: a launch during a
    // long shut-down becomes the running instance rather than wait for us in vain.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, owner, [this] { Release(); });
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, owner, [this] { Release(); });
}

void SingleInstancePrivate::Release()
{
    receiver.reset();
    claim.reset();
    if (current == this) {
        current = nullptr;
    }
}

SingleInstance::SingleInstance(int argc, char** argv, const std::string& codeName)
    : d(std::make_unique<SingleInstancePrivate>(this, argc, argv, codeName))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::HandedOver() const
{
    return d->role == SingleInstancePrivate::Role::HandedOver;
}

bool SingleInstance::IsRunningInstance() const
{
    return d->claim != nullptr;
}

void SingleInstance::ReleaseClaim()
{
    if (SingleInstancePrivate::current) {
        SingleInstancePrivate::current->Release();
    }
}

void SingleInstance::Deliver(const QStringList& arguments, const QString& workingFolder)
{
    emit LaunchedAgain(arguments, workingFolder);
}

} // namespace Talvex::App
