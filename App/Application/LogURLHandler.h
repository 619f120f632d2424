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
// construction; when it cannot be opened, every link is dropped silently.
class TALVEX_EXPORT LogURLHandler : public QObject {
    Q_OBJECT
public:
    LogURLHandler(QObject* parent, const QString& path);
    ~LogURLHandler() override;

public slots:
    void logUrls(const QUrl& url);

private:
    // Null when the file could not be opened.
    QFile* file;
};

} // namespace Talvex::App
