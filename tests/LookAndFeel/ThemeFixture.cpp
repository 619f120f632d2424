#include "ThemeFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QResource>

namespace Talvex::Test {

void ThemeFixture::TearDown()
{
    manager.reset();
    // Re-applying a theme registers its bundles again, and registrations outlive the
    // manager; drop them all so the next test starts with an empty resource root.
    QDirIterator bundles(root.path(), {"*.rcc"}, QDir::Files, QDirIterator::Subdirectories);
    while (bundles.hasNext()) {
        const QString bundle = bundles.next();
        while (QResource::unregisterResource(bundle)) {
        }
    }
}

QString ThemeFixture::ThemeFolder(const QString& theme) const
{
    return root.filePath("resources/themes/" + theme);
}

void ThemeFixture::AddTheme(const QString& theme, const QStringList& bundles, const QByteArray& description)
{
    ASSERT_TRUE(QDir().mkpath(ThemeFolder(theme)));
    for (const QString& bundle : bundles) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVEX_TEST_BUNDLES "/") + bundle + ".rcc",
                                ThemeFolder(theme) + "/" + bundle + ".rcc"));
    }
    if (!description.isNull()) {
        WriteFile("resources/themes/" + theme + "/" + DESCRIPTION, description);
    }
}

void ThemeFixture::WriteFile(const QString& relativePath, const QByteArray& bytes) const
{
    const QString path = root.filePath(relativePath);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

App::LookAndFeelManager& ThemeFixture::MakeManager(const std::list<std::string>& resourceNames)
{
    manager = std::make_unique<App::LookAndFeelManager>(Talvex::ioPath(root.path()), DESCRIPTION, resourceNames);
    manager->RegisterObserver(&observer);
    return *manager;
}

} // namespace Talvex::Test
