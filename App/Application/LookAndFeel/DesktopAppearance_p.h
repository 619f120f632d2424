#pragma once

#include "App/Application/LookAndFeel/DesktopAppearance.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>

#include <set>

class QDBusPendingCallWatcher;
class QEventLoop;

namespace Talvex::App {

// The bus side of DesktopAppearance. QtDBus delivers signals only to slots named by
// their signature, so this is a QObject of its own and keeps QtDBus out of the
// installed header.
struct DesktopAppearancePrivate : public QObject {
    Q_OBJECT
public:
    DesktopAppearancePrivate(DesktopAppearance* owner, const QString& busAddress);
    ~DesktopAppearancePrivate() override;

    void Start(std::chrono::milliseconds bound);
    void Wait(std::chrono::milliseconds bound);
    void Ask(const QString& key, const QString& method);
    void OnAnswer(QDBusPendingCallWatcher* watcher, const QString& key, const QString& method);
    void OnFailure(const QString& key, const QString& method, const QString& errorName, const QString& message);
    void Apply(const QString& key, const QVariant& value);
    void ReportUnavailable(const QString& reason);
    static QString WhatFailed(const QString& errorName);

    DesktopAppearance* const owner;
    QString connectionName; // empty for the shared session bus
    QDBusConnection connection;
    DesktopAppearance::Preference preference;
    bool started = false;
    bool unavailableReported = false;
    bool keyRead = false;      // the portal has answered for at least one key
    std::set<QString> pending; // keys asked for and not answered yet
    QEventLoop* startWait = nullptr;

public slots:
    void OnSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);
};

} // namespace Talvex::App
