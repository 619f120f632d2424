#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include <memory>
#include <vector>

namespace Talvex::App {

// A translator for a catalogue file from a language folder, which anyone may have
// edited. The file is read once, checked, and loaded from those very bytes, so it
// cannot change between the check and the load. The catalogues it depends on are
// loaded the same way, from its folder, and searched after it, as Qt would search
// them; a dependency that fails, or that leads back to a catalogue being loaded,
// fails the whole catalogue. GUI thread only.
class CatalogueTranslator : public QTranslator {
public:
    // False when the file or one of its dependencies cannot be read or is not a
    // well-formed catalogue, with the reason in `problem` (when given); nothing is logged.
    bool LoadChecked(const QString& path, QString* problem = nullptr);

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override;

private:
    // Empty once loaded, otherwise why not.
    QString Load(const QString& path, QStringList& loading, int& budget);
    QString LoadDependencies(const QStringList& names, const QString& folder, QStringList& loading, int& budget);

    // Qt keeps pointing into these bytes for as long as it translates.
    QByteArray catalogue;
    std::vector<std::unique_ptr<CatalogueTranslator>> dependencies;
};

} // namespace Talvex::App
