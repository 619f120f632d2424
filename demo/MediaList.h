#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// The media files in a set of folders, by name. Touch scrolls it like any scroll area
// of the application: the finger drags the list, and a flick makes it glide on.
class MediaList : public QListView {
public:
    explicit MediaList(const QStringList& folders, QWidget* parent = nullptr);

    // The user's video and music folders.
    static QStringList DefaultFolders();

    int Count() const;
    void SetFiles(const QStringList& files);
    // Adds the names not listed yet and shows the last one of `names`, selected.
    void Open(const QStringList& names);
    bool Lists(const QString& name) const;
    void Clear();

private:
    QStringListModel* files;
};
