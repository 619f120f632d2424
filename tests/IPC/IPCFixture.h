#pragma once

#include "App/Application/IPC/IPCManager.h"
#include "common/WaitUntil.h"
#include "helper/Client.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Talvex::Test {

using MasterClient = Client;

class IPCTest : public ::testing::Test {
protected:
    void TearDown() override { App::IPCManager::SetPipeIdGenerator({}); }

    bool Launch(const QString& arguments, const QString& path = QStringLiteral("IPCHelper"))
    {
        return App::IPCManager::LaunchSlave(client, path, arguments, false);
    }

    // What a helper recorded in `name`, once it has (bounded wait).
    QByteArray Recorded(const QString& name)
    {
        const QString path = scratch.filePath(name);
        WaitUntil([&] { return QFileInfo::exists(path); }, 15000);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(nothing recorded)");
    }

    MasterClient client;
    QTemporaryDir scratch;
};

} // namespace Talvex::Test
