#include "MainWindow.h"
#include "MediaList.h"

#include "App/Application/Application.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"
#include "App/Application/LookAndFeel/LookAndFeelHandler.h"
#include "App/Application/Settings/ISettingsManager.h"

#include <QEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>

namespace {

QString LaunchTypeName(Talvex::App::Application::LaunchType type)
{
    switch (type) {
    case Talvex::App::Application::FirstInstall:
        return MainWindow::tr("the first run after the installation");
    case Talvex::App::Application::Reinstall:
        return MainWindow::tr("the first run after a reinstallation");
    case Talvex::App::Application::Update:
        return MainWindow::tr("the first run after an update");
    case Talvex::App::Application::Regular:
        return MainWindow::tr("a regular run");
    }
    return MainWindow::tr("launch type %1").arg(int(type));
}

} // namespace

MainWindow::MainWindow(Talvex::App::Application& application,
                       std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel)
    : application(application), lookAndFeel(std::move(lookAndFeel)), list(new QListWidget(this))
{
    setWindowTitle(application.ApplicationName());
    auto* splitter = new QSplitter(this);
    splitter->addWidget(list);
    splitter->addWidget(new MediaList(MediaList::DefaultFolders()));
    setCentralWidget(splitter);
    resize(640, 400);
    BuildMenus();
    Retranslate();
}

void MainWindow::AddLine(const QString& text)
{
    AddTranslatedLine([text] { return text; });
}

void MainWindow::AddTranslatedLine(std::function<QString()> text)
{
    list->addItem(text());
    lines.push_back(std::move(text));
}

void MainWindow::ReportStart()
{
    AddLine(QStringLiteral("%1 %2").arg(application.GetProductNameAbout(), QCoreApplication::applicationVersion()));
    const auto launchType = application.GetProductLaunchType();
    const int days = application.GetDaysPassed();
    AddTranslatedLine([launchType, days] {
        return tr("This is %1 (%2 days since the first start)").arg(LaunchTypeName(launchType)).arg(days);
    });
    const QString session = QString::fromStdString(application.SessionId());
    AddTranslatedLine([session] { return tr("Session %1").arg(session); });
    const auto crashed = application.GetCrashedSessions();
    if (crashed.empty()) {
        AddTranslatedLine([] { return tr("The previous run ended normally"); });
    }
    for (const std::string& id : crashed) {
        const QString crashedSession = QString::fromStdString(id);
        AddTranslatedLine([crashedSession] { return tr("The run of session %1 crashed").arg(crashedSession); });
    }
    const QString temporary = application.GetApplicationTemporaryFilesDir();
    AddTranslatedLine([temporary] { return tr("Temporary files: %1").arg(temporary); });
}

void MainWindow::BuildMenus()
{
    languageMenu = menuBar()->addMenu(QString());
    themeMenu = menuBar()->addMenu(QString());
    handler = new Talvex::App::LookAndFeelHandler(lookAndFeel, languageMenu, themeMenu, this);
    handler->SetLocaleList(lookAndFeel->GetLocales());
    handler->SetThemeList(lookAndFeel->GetThemes());
    handler->SelectLocale(lookAndFeel->GetCurrentLocale());
    handler->SelectTheme(lookAndFeel->GetCurrentTheme());
    connect(handler, &Talvex::App::LookAndFeelHandler::LocaleChanged, this, &MainWindow::OnLanguagePicked);
    connect(handler, &Talvex::App::LookAndFeelHandler::ThemeChanged, this, &MainWindow::ApplyStyleSheet);
}

void MainWindow::OnLanguagePicked(const std::string& locale)
{
    // The themes' fonts and sizes may differ by language, and a language change does
    // not rebuild the style sheet by itself.
    lookAndFeel->SetTheme(lookAndFeel->GetCurrentTheme());
    ApplyStyleSheet();
    if (const auto settings = application.GetProductSettingsManager()) {
        settings->SetString(Talvex::App::LOCALE, locale);
    }
}

void MainWindow::ApplyStyleSheet()
{
    application.setStyleSheet(QString::fromStdString(lookAndFeel->GetUnitedStylesheet()));
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::Retranslate()
{
    languageMenu->setTitle(tr("&Language"));
    themeMenu->setTitle(tr("&Theme"));
    list->clear();
    for (const auto& line : lines) {
        list->addItem(line());
    }
}

void MainWindow::SaveMenuPictures(const QString& folder)
{
    const std::pair<QMenu*, QString> menus[] = {{languageMenu, QStringLiteral("language")},
                                                {themeMenu, QStringLiteral("theme")}};
    for (const auto& [menu, name] : menus) {
        menu->popup(mapToGlobal(QPoint(0, 0)));
        QCoreApplication::processEvents();
        menu->grab().save(folder + QStringLiteral("/demo-") + name + QStringLiteral("-menu.png"));
        menu->hide();
    }
}
