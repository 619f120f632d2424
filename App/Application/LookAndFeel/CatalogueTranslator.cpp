#include "App/Application/LookAndFeel/CatalogueTranslator_p.h"

#include "Platform/Util/TranslationCatalogueCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Talvex::App {
namespace {

using Util::TranslationCatalogueCheck;

// Catalogues one load may bring in, dependencies of dependencies included: enough for
// any real language, and a bound on the work a catalogue naming the same dependency
// over and over can cause.
const int MAX_CATALOGUES = 32;

QByteArray ReadCatalogue(const QString& path, QString& problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("it does not read: ") + file.errorString();
        return QByteArray();
    }
    if (file.size() > TranslationCatalogueCheck::MAX_SIZE) {
        problem = QStringLiteral("catalogue too large");
        return QByteArray();
    }
    // What the file held when it was opened; whatever it grows by meanwhile is not read.
    return file.read(file.size());
}

// The file a dependency name stands for, found as Qt finds it: relative to the
// catalogue's folder, with the suffix ".qm" or without, and failing that with the
// name cut back at its last "_" or ".".
QString DependencyPath(const QString& name, const QString& folder)
{
    QString base = QFileInfo(name).isRelative() ? folder + QLatin1Char('/') + name : name;
    const int shortest = base.size() - name.size();
    for (;;) {
        for (const QString& candidate : {base + QStringLiteral(".qm"), base}) {
            const QFileInfo file(candidate);
            if (file.isFile() && file.isReadable()) {
                return file.absoluteFilePath();
            }
        }
        const int cut = std::max(base.lastIndexOf(QLatin1Char('_')), base.lastIndexOf(QLatin1Char('.')));
        if (cut <= shortest) {
            return QString();
        }
        base.truncate(cut);
    }
}

} // namespace

bool CatalogueTranslator::LoadChecked(const QString& path, QString* problem)
{
    QStringList loading;
    int budget = MAX_CATALOGUES;
    const QString reason = Load(path, loading, budget);
    if (problem) {
        *problem = reason;
    }
    return reason.isEmpty();
}

QString CatalogueTranslator::Load(const QString& path, QStringList& loading, int& budget)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (--budget < 0) {
        return QStringLiteral("more than %1 catalogues in all").arg(MAX_CATALOGUES);
    }
    if (loading.contains(absolute)) {
        return QStringLiteral("a catalogue being loaded already: the dependencies form a loop");
    }
    QStringList names;
    QString problem;
    const QByteArray bytes = ReadCatalogue(absolute, problem);
    catalogue = problem.isEmpty() ? TranslationCatalogueCheck::Loadable(bytes, names, &problem) : QByteArray();
    if (catalogue.isEmpty()) {
        return problem;
    }
    loading << absolute;
    problem = LoadDependencies(names, QFileInfo(absolute).absolutePath(), loading, budget);
    if (problem.isEmpty() && !load(reinterpret_cast<const uchar*>(catalogue.constData()), catalogue.size())) {
        problem = QStringLiteral("Qt refuses to load it");
    }
    loading.removeLast();
    if (!problem.isEmpty()) {
        dependencies.clear();
    }
    return problem;
}

QString CatalogueTranslator::LoadDependencies(const QStringList& names, const QString& folder, QStringList& loading,
                                              int& budget)
{
    for (const QString& name : names) {
        auto dependency = std::make_unique<CatalogueTranslator>();
        const bool fileName = !name.isEmpty() && !name.contains(QChar::Null);
        const QString path = fileName ? DependencyPath(name, folder) : QString();
        const QString problem =
            path.isEmpty() ? QStringLiteral("no such file") : dependency->Load(path, loading, budget);
        if (!problem.isEmpty()) {
            return QStringLiteral("its dependency '%1': %2").arg(name, problem);
        }
        dependencies.push_back(std::move(dependency));
    }
    return QString();
}

QString CatalogueTranslator::translate(const char* context, const char* sourceText, const char* disambiguation,
                                       int n) const
{
    QString translation = QTranslator::translate(context, sourceText, disambiguation, n);
    for (auto next = dependencies.begin(); translation.isNull() && next != dependencies.end(); ++next) {
        translation = (*next)->translate(context, sourceText, disambiguation, n);
    }
    return translation;
}

bool CatalogueTranslator::isEmpty() const
{
    for (const auto& dependency : dependencies) {
        if (!dependency->isEmpty()) {
            return false;
        }
    }
    return QTranslator::isEmpty();
}

} // namespace Talvex::App
