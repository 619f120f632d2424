#pragma once

#include <TalvexExport.h>

#include <string>
#include <vector>

namespace Talvex::App {

class ISettingsManagerObserver;

// A persistent store of typed values under UTF-8 keys; "/" in a key names a value
// inside groups. Getters return the default for an absent key and the type's zero
// value for a stored value that does not convert. A setter that changes the stored
// value notifies every registered observer; writing an equal value notifies nobody.
// Nothing is reported to the caller: an unreadable store behaves as an empty one.
// One manager is used from one thread at a time.
class TALVEX_EXPORT ISettingsManager {
public:
    // Observers are not owned; null and repeated registrations are ignored.
    virtual void RegisterObserver(ISettingsManagerObserver* observer) = 0;
    virtual void UnregisterObserver(ISettingsManagerObserver* observer) = 0;

    virtual void SetBool(const std::string& key, bool value) = 0;
    virtual void SetInt(const std::string& key, int value) = 0;
    // The stored text ends at the first NUL character of `value`.
    virtual void SetString(const std::string& key, const std::string& value) = 0;
    virtual void SetByteArray(const std::string& key, const std::vector<unsigned char>& value) = 0;
    virtual void SetInt64(const std::string& key, long long value) = 0;
    virtual void SetDouble(const std::string& key, double value) = 0;

    virtual bool GetBool(const std::string& key, bool defaultValue) const = 0;
    virtual int GetInt(const std::string& key, int defaultValue) const = 0;
    virtual std::string GetString(const std::string& key, const std::string& defaultValue) const = 0;
    virtual std::vector<unsigned char> GetByteArray(const std::string& key,
                                                    const std::vector<unsigned char>& defaultValue) const = 0;
    virtual long long GetInt64(const std::string& key, long long defaultValue) const = 0;
    virtual double GetDouble(const std::string& key, double defaultValue) const = 0;

    virtual bool Contains(const std::string& key) const = 0;
    // Removes the key, or a whole group with every key under it. Observers are not told.
    virtual void Remove(const std::string& key) = 0;
    // Only top-level groups are found: a name containing "/" never is.
    virtual bool ContainsGroup(const std::string& group) const = 0;
    // The keys directly in the group, without its subgroups.
    virtual std::vector<std::string> GetGroupKeys(const std::string& group) = 0;

    virtual ~ISettingsManager() = default;
};

} // namespace Talvex::App
