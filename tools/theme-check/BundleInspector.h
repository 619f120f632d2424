#pragma once

#include <Platform/Util/MountedResourceBundle.h>

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

namespace Talvex::ThemeCheck {

// Mounts one compiled resource bundle at the resource root, as the look-and-feel
// manager does (checked first, and from the checked bytes), for as long as the
// inspector lives, and reads what the manager would look for in it: everything under
// ":/" + the bundle's base name.
class BundleInspector {
public:
    explicit BundleInspector(const QFileInfo& bundle);
    ~BundleInspector();
    BundleInspector(const BundleInspector&) = delete;
    BundleInspector& operator=(const BundleInspector&) = delete;

    // The name the manager gives the bundle: its file name up to the first dot.
    QString Name() const;
    bool Opens() const { return mounted != nullptr; }
    // Why the bundle does not open.
    const QString& Problem() const { return problem; }
    // Whether anything is stored under the prefix the manager reads.
    bool HasOwnPrefix() const;
    QString ResourcePath(const QString& file) const;
    bool Holds(const QString& file) const;

    // Text of the style sheet `file` (e.g. "style.qss") and whether it opened.
    bool ReadText(const QString& file, QString& text) const;
    // Every style sheet the bundle holds for any platform, by resource path.
    QMap<QString, QString> StyleSheets() const;
    // Placeholder names defined in fonts.json, for any platform and language. Sets
    // `error` when the file is there but is no JSON object.
    QSet<QString> Definitions(QString& error) const;
    // The font files fonts.manifest lists.
    QStringList ManifestFonts() const;

private:
    QFileInfo bundle;
    QString problem;
    std::unique_ptr<Util::MountedResourceBundle> mounted;
};

} // namespace Talvex::ThemeCheck
