#include "MediaList.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringListModel>

namespace {

QStringList MediaFiles(const QStringList& folders)
{
    static const QStringList patterns = {QStringLiteral("*.mp4"),  QStringLiteral("*.mkv"),  QStringLiteral("*.avi"),
                                         QStringLiteral("*.mov"),  QStringLiteral("*.webm"), QStringLiteral("*.mp3"),
                                         QStringLiteral("*.flac"), QStringLiteral("*.ogg"),  QStringLiteral("*.m4a")};
    QStringList files;
    for (const QString& folder : folders) {
        files << QDir(folder).entryList(patterns, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    }
    return files;
}

} // namespace

MediaList::MediaList(const QStringList& folders, QWidget* parent)
    : QListView(parent), files(new QStringListModel(MediaFiles(folders), this))
{
    setModel(files);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QStringList MediaList::DefaultFolders()
{
    return {QStandardPaths::writableLocation(QStandardPaths::MoviesLocation),
            QStandardPaths::writableLocation(QStandardPaths::MusicLocation)};
}

int MediaList::Count() const
{
    return files->rowCount();
}

void MediaList::SetFiles(const QStringList& names)
{
    files->setStringList(names);
}

void MediaList::Open(const QStringList& names)
{
    QStringList listed = files->stringList();
    for (const QString& name : names) {
        if (!listed.contains(name)) {
            listed.append(name);
        }
    }
    files->setStringList(listed);
    if (!names.isEmpty()) {
        const QModelIndex last = files->index(int(listed.indexOf(names.last())));
        setCurrentIndex(last);
        scrollTo(last);
    }
}

bool MediaList::Lists(const QString& name) const
{
    return files->stringList().contains(name);
}

void MediaList::Clear()
{
    files->setStringList({});
}
