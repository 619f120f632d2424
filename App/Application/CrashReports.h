#pragma once

#include <TalvexExport.h>

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace Talvex::App {

// The crash reports of this executable's sessions: "<folder>/<session id>.txt", one per
// crashed session, written by the crash handler (Native::CrashHandler) of the run that
// crashed and read by a later run.
//
// The folder is made owner-only on construction (one of ours that others may read, as an
// older build left it, is closed to them), unless it or its parent is not ours or is a
// link: then it is refused with an ERROR, nothing is read or written there and no
// handler is installed. A report name taken by a link or by anything that is not a
// regular file of ours is never opened or removed: an ERROR names it, and it takes no
// report's place among the newest. A folder its owner may not write gets no handler
// either, with an ERROR, as the handler could write nothing there. Only the KEPT reports
// written last are kept (their names hold local times, which run backwards when the
// time zone moves back); construction removes older ones. GUI thread only.
class TALVEX_EXPORT CrashReports {
public:
    static const int KEPT = 20;

    // "<crash session folder>/crashes".
    static QString DefaultFolder();

    CrashReports(const QString& folder, const std::string& sessionId);
    // Uninstalls the handler if this object installed it.
    ~CrashReports();

    CrashReports(const CrashReports&) = delete;
    CrashReports& operator=(const CrashReports&) = delete;

    // The folder, or empty when it was refused.
    QString Folder() const;

    // Installs or removes the process's crash handler, reporting into this folder.
    void SetHandlerEnabled(bool enabled);
    bool IsHandlerEnabled() const;
    // Names the product in reports written from now on.
    void SetProduct(const std::string& name, const std::string& version);

    // The report of `sessionId`, names resolved as far as the debug information allows
    // (and saved so, for the next call), with a closing note when it was cut short; an
    // empty report (nothing could be written, as on a full disk) is that note alone.
    // Empty when there is none or it may not be read.
    std::string Get(const std::string& sessionId) const;
    // Removes every report of ours.
    void Clear() const;

private:
    QStringList ReportNames() const;
    bool IsOwnReport(const QString& name) const;
    void KeepNewest() const;
    // Removes every report of ours but the `newest` ones.
    void RemoveAllBut(int newest) const;
    // Nothing when there is no report of ours to read; an empty text when the file is empty.
    std::optional<std::string> Read(const QString& name) const;
    void Save(const QString& name, const std::string& text) const;

    QString folder;
    std::string sessionId;
    bool usable = false;
    bool installed = false;
};

} // namespace Talvex::App
