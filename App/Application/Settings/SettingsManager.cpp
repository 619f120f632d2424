#include "App/Application/Settings/SettingsManager.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Qt/VariantEquality.h"
#include "Platform/Util/TextConversion.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <string>

namespace Talvex::App {
namespace {

using Util::QByteArrayToVectorByte;
using Util::QStringToUtf8;
using Util::Utf8ToQString;
using Util::VectorByteToQByteArray;

// Keys are mostly short ASCII paths. Widening them into one buffer per thread spares a
// new QString on every call, whatever the number of distinct keys. QSettings copies the
// key when it keeps it (a write of a new key); the buffer is then shared, and resizing
// it for the next key detaches it first, so a key QSettings kept never changes.
QString QtKey(const std::string& key)
{
    thread_local QString buffer;
    Utf8ToQString(key, buffer);
    return buffer;
}

template <class T, class Convert> boost::optional<T> OldValue(const QVariant& stored, Convert convert)
{
    if (!stored.isValid()) {
        return boost::none;
    }
    return boost::optional<T>(convert(stored));
}

// A value written through this manager in this session is still a qlonglong and is
// taken as it is; one read back from a text store is converted, with 0 for text that
// is no number.
long long StoredInt64(const QVariant& stored)
{
    if (stored.userType() == QMetaType::LongLong) {
        return stored.value<qlonglong>();
    }
    bool ok = false;
    const qlonglong converted = stored.toLongLong(&ok);
    return ok ? converted : 0;
}

// Why QSettings could not save the store, empty when it can. It saves by writing a new
// file in the store's folder and renaming it over the old one, creating missing folders
// first, so the folder (or the nearest one that exists) must be writable as well as the
// file. Permissions of the native stores of Windows and macOS are not files of ours.
QString WriteProblem(const QSettings& settings)
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    if (settings.format() == QSettings::NativeFormat) {
        return QString();
    }
#endif
    const QFileInfo file(settings.fileName());
    if (file.exists() && !file.isWritable()) {
        return QStringLiteral("the file is read-only for this user");
    }
    QFileInfo folder(file.absolutePath());
    // An empty name has no parent to climb to.
    while (!folder.exists() && !folder.isRoot() && folder.absolutePath() != folder.absoluteFilePath()) {
        folder.setFile(folder.absolutePath());
    }
    if (!folder.isDir()) {
        return QStringLiteral("%1 is no folder").arg(QDir::toNativeSeparators(folder.filePath()));
    }
    if (!folder.isWritable()) {
        return QStringLiteral("its folder %1 is read-only for this user")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    }
    return QString();
}

// A stored invalid variant is still a present key: QSettings returns it, not the default.
bool IsAbsent(const QSettings& settings, const QString& key, const QVariant& value)
{
    return !value.isValid() && !settings.contains(key);
}

} // namespace

SettingsManager::SettingsManager(const QString& application, const QString& organization)
    : settings(QSettings::UserScope, organization, application)
{
    ReportStatus();
}

SettingsManager::SettingsManager(const QString& fileName, QSettings::Format format) : settings(fileName, format)
{
    ReportStatus();
}

SettingsManager::~SettingsManager() = default;

void SettingsManager::ReportStatus() const
{
    // The store still works (as an empty one), but a product author should learn why
    // the saved values are missing.
    if (settings.status() != QSettings::NoError) {
        TALVEX_LOG(ERROR) << "Settings store " << QStringToUtf8(settings.fileName()) << " could not be read ("
                          << (settings.status() == QSettings::FormatError ? "format error" : "access error")
                          << "); it reads as empty";
    }
    // Nothing else would tell: the manager never syncs, and QSettings gives up on a save
    // without a word, so every change of the run would be lost in silence.
    const QString problem = WriteProblem(settings);
    if (!problem.isEmpty()) {
        TALVEX_LOG(ERROR) << "Settings store " << QStringToUtf8(settings.fileName()) << " cannot be written ("
                          << QStringToUtf8(problem) << "): changes will not be kept after this run";
    }
}

void SettingsManager::RegisterObserver(ISettingsManagerObserver* observer)
{
    observers.Subscribe(observer);
}

void SettingsManager::UnregisterObserver(ISettingsManagerObserver* observer)
{
    observers.Unsubscribe(observer);
}

QVariant SettingsManager::GetValue(const std::string& key, const QVariant& defaultValue) const
{
    return settings.value(QtKey(key), defaultValue);
}

bool SettingsManager::UpdateValue(const std::string& key, const QVariant& newValue, QVariant& oldValue)
{
    const QString qtKey = QtKey(key);
    oldValue = settings.value(qtKey);
    // Qt 5's converting comparison on either Qt: the integer 5 matches a stored "5".
    if (QtCompat::ConvertingEquals(newValue, oldValue)) {
        return false;
    }
    settings.setValue(qtKey, newValue);
    return true;
}

template <class T, class Convert, class Call>
void SettingsManager::Write(const std::string& key, const QVariant& newValue, Convert convert, Call call)
{
    QVariant stored;
    if (!UpdateValue(key, newValue, stored)) {
        return;
    }
    const boost::optional<T> oldValue = OldValue<T>(stored, convert);
    observers.Notify([&](ISettingsManagerObserver* observer) { call(observer, oldValue); });
}

void SettingsManager::SetBool(const std::string& key, bool value)
{
    Write<bool>(
        key, QVariant(value), [](const QVariant& v) { return v.toBool(); },
        [&](ISettingsManagerObserver* observer, const boost::optional<bool>& old) {
            observer->OnBoolChanged(key, value, old);
        });
}

void SettingsManager::SetInt(const std::string& key, int value)
{
    Write<int>(
        key, QVariant(value), [](const QVariant& v) { return v.toInt(); },
        [&](ISettingsManagerObserver* observer, const boost::optional<int>& old) {
            observer->OnIntChanged(key, value, old);
        });
}

// The stored text ends at the first NUL, as a QVariant built from the C string does.
void SettingsManager::SetString(const std::string& key, const std::string& value)
{
    Write<std::string>(
        key, QVariant(value.c_str()), [](const QVariant& v) { return QStringToUtf8(v.toString()); },
        [&](ISettingsManagerObserver* observer, const boost::optional<std::string>& old) {
            observer->OnStringChanged(key, value, old);
        });
}

void SettingsManager::SetByteArray(const std::string& key, const std::vector<unsigned char>& value)
{
    Write<std::vector<unsigned char>>(
        key, QVariant(VectorByteToQByteArray(value)),
        [](const QVariant& v) { return QByteArrayToVectorByte(v.toByteArray()); },
        [&](ISettingsManagerObserver* observer, const boost::optional<std::vector<unsigned char>>& old) {
            observer->OnByteArrayChanged(key, value, old);
        });
}

void SettingsManager::SetInt64(const std::string& key, long long value)
{
    Write<long long>(key, QVariant(static_cast<qlonglong>(value)), StoredInt64,
                     [&](ISettingsManagerObserver* observer, const boost::optional<long long>& old) {
                         observer->OnInt64Changed(key, value, old);
                     });
}

void SettingsManager::SetDouble(const std::string& key, double value)
{
    Write<double>(
        key, QVariant(value), [](const QVariant& v) { return v.toDouble(); },
        [&](ISettingsManagerObserver* observer, const boost::optional<double>& old) {
            observer->OnDoubleChanged(key, value, old);
        });
}

bool SettingsManager::GetBool(const std::string& key, bool defaultValue) const
{
    return settings.value(QtKey(key), QVariant(defaultValue)).toBool();
}

int SettingsManager::GetInt(const std::string& key, int defaultValue) const
{
    return settings.value(QtKey(key), QVariant(defaultValue)).toInt();
}

// The text and byte getters build their default only when the key is absent: it costs
// an allocation, and the result is the same as passing it to QSettings::value.
std::string SettingsManager::GetString(const std::string& key, const std::string& defaultValue) const
{
    const QString qtKey = QtKey(key);
    const QVariant value = settings.value(qtKey);
    if (IsAbsent(settings, qtKey, value)) {
        return QStringToUtf8(QVariant(defaultValue.c_str()).toString());
    }
    return QStringToUtf8(value.toString());
}

std::vector<unsigned char> SettingsManager::GetByteArray(const std::string& key,
                                                         const std::vector<unsigned char>& defaultValue) const
{
    const QString qtKey = QtKey(key);
    const QVariant value = settings.value(qtKey);
    if (IsAbsent(settings, qtKey, value)) {
        return defaultValue;
    }
    return QByteArrayToVectorByte(value.toByteArray());
}

long long SettingsManager::GetInt64(const std::string& key, long long defaultValue) const
{
    return settings.value(QtKey(key), QVariant(static_cast<qlonglong>(defaultValue))).toLongLong();
}

double SettingsManager::GetDouble(const std::string& key, double defaultValue) const
{
    return settings.value(QtKey(key), QVariant(defaultValue)).toDouble();
}

bool SettingsManager::Contains(const std::string& key) const
{
    return settings.contains(QtKey(key));
}

void SettingsManager::Remove(const std::string& key)
{
    settings.remove(QtKey(key));
}

bool SettingsManager::ContainsGroup(const std::string& group) const
{
    return settings.childGroups().contains(QString::fromStdString(group), Qt::CaseSensitive);
}

std::vector<std::string> SettingsManager::GetGroupKeys(const std::string& group)
{
    settings.beginGroup(QString::fromStdString(group));
    const QStringList keys = settings.childKeys();
    settings.endGroup();
    std::vector<std::string> result;
    result.reserve(static_cast<std::size_t>(keys.size()));
    for (const QString& key : keys) {
        result.push_back(QStringToUtf8(key));
    }
    return result;
}

} // namespace Talvex::App
