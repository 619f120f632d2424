#pragma once

#include "App/Application/Settings/EventHandlerList.h"
#include "App/Application/Settings/ISettingsManager.h"
#include "App/Application/Settings/ISettingsManagerObserver.h"

#include <TalvexExport.h>

#include <QSettings>
#include <QString>
#include <QVariant>

namespace Talvex::App {

// The settings service over a QSettings store. Writes reach the store when QSettings
// flushes them on its own, at the latest on destruction; the manager never syncs.
// The store is not locked: use one manager from one thread at a time. Only the
// observer list guards itself, so passes started on different threads never interleave.
// A store that cannot be read, or cannot be written (a file of another user, a
// read-only folder), is named in an ERROR at construction; its values still work within
// the process, but changes are not kept after it.
class TALVEX_EXPORT SettingsManager : public ISettingsManager {
public:
    // The current user's store of that organization and application, in QSettings'
    // default format. Note the order: application first.
    SettingsManager(const QString& application, const QString& organization);
    SettingsManager(const QString& fileName, QSettings::Format format);
    ~SettingsManager() override;

    SettingsManager(const SettingsManager&) = delete;
    SettingsManager& operator=(const SettingsManager&) = delete;

    void RegisterObserver(ISettingsManagerObserver* observer) override;
    void UnregisterObserver(ISettingsManagerObserver* observer) override;

    void SetBool(const std::string& key, bool value) override;
    void SetInt(const std::string& key, int value) override;
    void SetString(const std::string& key, const std::string& value) override;
    void SetByteArray(const std::string& key, const std::vector<unsigned char>& value) override;
    void SetInt64(const std::string& key, long long value) override;
    void SetDouble(const std::string& key, double value) override;

    bool GetBool(const std::string& key, bool defaultValue) const override;
    int GetInt(const std::string& key, int defaultValue) const override;
    std::string GetString(const std::string& key, const std::string& defaultValue) const override;
    std::vector<unsigned char> GetByteArray(const std::string& key,
                                            const std::vector<unsigned char>& defaultValue) const override;
    long long GetInt64(const std::string& key, long long defaultValue) const override;
    double GetDouble(const std::string& key, double defaultValue) const override;

    bool Contains(const std::string& key) const override;
    void Remove(const std::string& key) override;
    bool ContainsGroup(const std::string& group) const override;
    std::vector<std::string> GetGroupKeys(const std::string& group) override;

private:
    QVariant GetValue(const std::string& key, const QVariant& defaultValue) const;
    // Writes `newValue` unless the stored value equals it (by QVariant's converting
    // comparison); returns whether it wrote. `oldValue` receives the stored value,
    // invalid when the key was absent.
    bool UpdateValue(const std::string& key, const QVariant& newValue, QVariant& oldValue);
    // The setter steps shared by every type: compare and write, then tell the observers
    // (through `call`, given an observer and the old value converted with `convert`).
    template <class T, class Convert, class Call>
    void Write(const std::string& key, const QVariant& newValue, Convert convert, Call call);
    void ReportStatus() const;

    QSettings settings;
    Core::EventHandlerList<ISettingsManagerObserver, Core::SyncExecutePolicy> observers;
};

} // namespace Talvex::App
