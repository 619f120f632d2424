#pragma once

#include <TalvexExport.h>

#include <QObject>
#include <QString>
#include <QUrl>

class QFile;

namespace Talvex::App {

// Writes every link it is asked to open into a file, one per line, instead of
// opening it: register it with QDesktopServices::setUrlHandler under the slot name
// "logUrls" to see which links a program run would open. The file is truncated at
// construction. Since a test run may point it into a folder that others can reach, it
// follows no symbolic link and writes only into a regular file of our own
// (Native::OpenOwnedFileForWriting); when the file cannot be opened, every link is
// dropped without a word, and IsOpen and ErrorString tell the owner why.
class TALVEX_EXPORT LogURLHandler : public QObject {
    Q_OBJECT
public:
    LogURLHandler(QObject* parent, const QString& path);
    ~LogURLHandler() override;

    bool IsOpen() const;
    // Why the file could not be opened; empty when it is open.
    QString ErrorString() const;

public slots:
    void logUrls(const QUrl& url);

private:
    // Null when the file could not be opened.
    QFile* file;
    QString problem;
};

} // namespace Talvex::App
