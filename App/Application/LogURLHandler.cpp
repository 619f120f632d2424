#include "App/Application/LogURLHandler.h"

#include "Platform/Native/OwnedFile.h"

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
    stream.setCodec("UTF-8");
    stream << url.url() << Qt::endl;
}

} // namespace Talvex::App
