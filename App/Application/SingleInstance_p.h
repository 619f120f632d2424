#pragma once

#include "App/Application/IPC/HandOverReceiver.h"
#include "Platform/Native/HandOverMessage.h"
#include "Platform/Native/InstanceClaim.h"

#include <QByteArray>

#include <memory>
#include <string>

namespace Talvex::App {

class SingleInstance;

// The claim and the door of the running instance, or how a launch ended.
class SingleInstancePrivate {
public:
    enum class Role { Running, HandedOver, Alone };

    SingleInstancePrivate(SingleInstance* owner, int argc, char** argv, const std::string& codeName);
    ~SingleInstancePrivate();

    // Opens the door once an application object exists; called from its start-up.
    static void StartReceivingInCurrent();
    void StartReceiving();
    void Release();

    SingleInstance* owner;
    Role role = Role::Alone;
    std::unique_ptr<Native::InstanceClaim> claim;
    std::unique_ptr<HandOverReceiver> receiver;
    // The one instance of the process whose claim a restart must give up.
    static SingleInstancePrivate* current;

private:
    Role Decide(int argc, char** argv, const std::string& codeName);
    Role HandOver(const QString& socketPath, const Native::HandOverMessage& message);
    Role ClaimOnly(const QString& socketPath);
    void BecomeRunning();
};

} // namespace Talvex::App
