#pragma once

#include <QFileInfoList>
#include <QString>

#include <list>
#include <memory>
#include <string>

class QTranslator;

namespace Talvex::App {

// The translation catalogues of one language folder and their installation into the
// application. GUI thread only.
class TranslationCatalogues {
public:
    using Translators = std::list<std::shared_ptr<QTranslator>>;

    // With `resourceNames`, the files <name>_<locale>.qm that exist, in that order;
    // without, every ".qm" file of the folder in listing order. A missing folder gives
    // nothing.
    static QFileInfoList Choose(const QString& folder, const std::list<std::string>& resourceNames,
                                const std::string& locale);
    // Installs every catalogue that passes the catalogue check and loads, in order, so
    // the last one is searched first; files that fail are skipped without a word.
    static Translators Install(const QFileInfoList& files);
    // Takes the translators out of the application, in order, and lets them go.
    static void Remove(Translators& translators);
};

} // namespace Talvex::App
