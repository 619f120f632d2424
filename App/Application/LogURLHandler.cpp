#include "App/Application/LogURLHandler.h"

#include "Platform/Native/OwnedFile.h"
#include "Platform/Qt/TextStreamEncoding.h"

#include <QFile>
#include <QTextStream>

namespace Talvex::App {

LogURLHandler::LogURLHandler(QObject* parent, const QString& path) : QObject(parent), file(new QFile(path, this))
{
    if (!Native::OpenOwnedFileForWriting(*file, &problem)) {
        delete file;
        file = nullptr;
    }
}

LogURLHandler::~LogURLHandler() = default;

bool LogURLHandler::IsOpen() const
{
    return file != nullptr;
}

QString LogURLHandler::ErrorString() const
{
    return problem;
}

void LogURLHandler::logUrls(const QUrl& url)
{
    if (!file) {
        return;
    }
    QTextStream stream(file);
    QtCompat::SetUtf8(stream);
    stream << url.url() << Qt::endl;
}

} // namespace Talvex::App
