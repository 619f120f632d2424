#include "Platform/Util/RemoveDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <glog/logging.h>

#include <limits>

#include <sys/stat.h>

namespace Talvex::Util {

namespace {

// The entry's own modification time in seconds since the epoch; links are not followed.
bool ModifiedBefore(const QString& path, qint64 cutoff)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return false;
    }
    return static_cast<qint64>(status.st_mtime) < cutoff;
}

bool IsEmptyFolder(const QString& path)
{
    return QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

bool RemoveExpiredFile(const QString& path)
{
    if (QFile::remove(path)) {
        return true;
    }
    LOG(ERROR) << "Failed to remove expired file " << path.toStdString();
    return false;
}

bool RemoveEmptyFolder(const QString& path)
{
    if (QDir().rmdir(path)) {
        return true;
    }
    LOG(ERROR) << "Failed to remove folder " << path.toStdString();
    return false;
}

bool ClearFolder(const QString& path, qint64 cutoff)
{
    bool cleared = true;
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        const QString entryPath = entry.filePath();
        if (entry.isDir() && !entry.isSymLink()) {
            // Judge the folder's age before clearing it: removing entries renews it.
            const bool folderExpired = ModifiedBefore(entryPath, cutoff);
            cleared = ClearFolder(entryPath, cutoff) && cleared;
            if (folderExpired && IsEmptyFolder(entryPath)) {
                cleared = RemoveEmptyFolder(entryPath) && cleared;
            }
        } else if (ModifiedBefore(entryPath, cutoff)) {
            cleared = RemoveExpiredFile(entryPath) && cleared;
        }
    }
    return cleared;
}

} // namespace

bool RemoveDir(const QString& path, int days, bool removeSelf)
{
    const QFileInfo folder(path);
    if (!folder.exists()) {
        return true;
    }
    if (!folder.isDir()) {
        LOG(ERROR) << "Cannot clear " << path.toStdString() << ": not a folder";
        return false;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    // With no age limit, "older than now" would spare files written this very second.
    const qint64 cutoff = days <= 0 ? std::numeric_limits<qint64>::max() : now - qint64(days) * 24 * 60 * 60;
    bool cleared = ClearFolder(path, cutoff);
    if (removeSelf && IsEmptyFolder(path)) {
        cleared = RemoveEmptyFolder(path) && cleared;
    }
    return cleared;
}

} // namespace Talvex::Util
