#include "MainWindow.h"
#include "MediaList.h"

#include "App/Application/Application.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"

#include <QActionGroup>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>

namespace {

QString LaunchTypeName(Talvex::App::Application::LaunchType type)
{
    switch (type) {
    case Talvex::App::Application::FirstInstall:
        return QStringLiteral("the first run after the installation");
    case Talvex::App::Application::Reinstall:
        return QStringLiteral("the first run after a reinstallation");
    case Talvex::App::Application::Update:
        return QStringLiteral("the first run after an update");
    case Talvex::App::Application::Regular:
        return QStringLiteral("a regular run");
    }
    return QStringLiteral("launch type %1").arg(int(type));
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
    BuildThemeMenu();
}

void MainWindow::AddLine(const QString& text)
{
    list->addItem(text);
}

void MainWindow::ReportStart()
{
    AddLine(QStringLiteral("%1 %2").arg(application.GetProductNameAbout(), QCoreApplication::applicationVersion()));
    AddLine(QStringLiteral("This is %1 (%2 days since the first start)")
                .arg(LaunchTypeName(application.GetProductLaunchType()))
                .arg(application.GetDaysPassed()));
    AddLine(QStringLiteral("Session %1").arg(QString::fromStdString(application.SessionId())));
    const auto crashed = application.GetCrashedSessions();
    if (crashed.empty()) {
        AddLine(QStringLiteral("The previous run ended normally"));
    }
    for (const std::string& session : crashed) {
        AddLine(QStringLiteral("The run of session %1 crashed").arg(QString::fromStdString(session)));
    }
    AddLine(QStringLiteral("Temporary files: %1").arg(application.GetApplicationTemporaryFilesDir()));
}

void MainWindow::BuildThemeMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Theme"));
    auto* group = new QActionGroup(this);
    for (const std::string& theme : lookAndFeel->GetThemes()) {
        QAction* action = menu->addAction(QString::fromStdString(lookAndFeel->GetLocalizedThemeName(theme)));
        action->setCheckable(true);
        action->setChecked(theme == lookAndFeel->GetCurrentTheme());
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, theme] { ApplyTheme(theme); });
    }
}

void MainWindow::ApplyTheme(const std::string& theme)
{
    lookAndFeel->SetTheme(theme);
    application.setStyleSheet(QString::fromStdString(lookAndFeel->GetUnitedStylesheet()));
}
