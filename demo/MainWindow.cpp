#include "MainWindow.h"

#include "HelperLink.h"
#include "MediaList.h"

#include "App/Application/Application.h"
#include "App/Application/Dialogs/ColorDialogHelper.h"
#include "App/Application/Dialogs/ConfirmationAlertBox.h"
#include "App/Application/Dialogs/Informer.h"
#include "App/Application/LookAndFeel/DesktopThemeFollower.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"
#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"
#include "App/Application/LookAndFeel/LookAndFeelHandler.h"
#include "App/Application/Settings/ISettingsManager.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

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

// A converter's list is rarely empty; without media folders the sample shows these.
QStringList SampleFiles()
{
    const QStringList kinds{QStringLiteral("holiday-%1.mp4"), QStringLiteral("concert-%1.mkv"),
                            QStringLiteral("interview-%1.mov"), QStringLiteral("podcast-%1.mp3")};
    QStringList names;
    for (int number = 1; number <= 12; ++number) {
        for (const QString& kind : kinds) {
            names << kind.arg(number, 2, 10, QLatin1Char('0'));
        }
    }
    return names;
}

const QString SUPPORT_ADDRESS = QStringLiteral("support@talvex.example");

// How long the window may take to become active after the helper handed it the focus.
const int FOCUS_BACK_WAIT_MS = 3000;

} // namespace

MainWindow::MainWindow(Talvex::App::Application& application,
                       std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel)
    : application(application), lookAndFeel(std::move(lookAndFeel)), heading(new QLabel(this)),
      files(new MediaList(MediaList::DefaultFolders())), facts(new QListWidget), statusLine(new QLabel(this)),
      updateLine(new QLabel(this)), informer(std::make_unique<Talvex::App::Informer>([this] { return this; })),
      colours(std::make_unique<Talvex::App::ColorDialogHelper>()), helper(new HelperLink(*this))
{
    helper->setParent(this);
    setWindowTitle(application.ApplicationName());
    heading->setObjectName(QStringLiteral("heading"));
    if (files->Count() == 0) {
        files->SetFiles(SampleFiles());
    }
    auto* splitter = new QSplitter(this);
    splitter->addWidget(files);
    splitter->addWidget(facts);
    splitter->setSizes({260, 460});
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(heading);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    facts->setWordWrap(true);
    facts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statusBar()->addWidget(statusLine, 1);
    statusBar()->addPermanentWidget(updateLine);
    resize(880, 480);
    connect(helper, &HelperLink::FocusReturned, this, &MainWindow::CheckFocusCameBack);
    BuildMenus();
    Retranslate();
}

// The colour helper saves the dialog's colours into the settings on destruction, while
// the application's settings manager still exists.
namespace {

class SheetApplier : public Talvex::App::ILookAndFeelObserver {
public:
    explicit SheetApplier(std::function<void()> apply) : apply(std::move(apply)) {}
    void OnLocaleChanged(const std::string&) override {}
    void OnThemeChanged(const std::string&) override { apply(); }

private:
    std::function<void()> apply;
};

} // namespace

MainWindow::~MainWindow()
{
    lookAndFeel->UnregisterObserver(sheetApplier.get());
}

void MainWindow::FollowTheDesktop(std::shared_ptr<Talvex::App::DesktopThemeFollower> follower)
{
    connect(follower.get(), &Talvex::App::DesktopThemeFollower::FollowingChanged, this, [this](bool following) {
        if (const auto settings = application.GetProductSettingsManager()) {
            settings->SetBool(FOLLOW_SYSTEM, following);
        }
    });
    handler->OfferFollowSystem(std::move(follower));
}

void MainWindow::OpenFiles(const QStringList& arguments, const QString& folder)
{
    QStringList names;
    for (const QString& argument : arguments.mid(1)) {
        if (!argument.startsWith(QLatin1Char('-'))) {
            names.append(QFileInfo(QDir(folder).absoluteFilePath(argument)).fileName());
        }
    }
    if (names.isEmpty()) {
        return;
    }
    files->Open(names);
    const QString list = names.join(QStringLiteral(", "));
    SetStatus([list] { return tr("Opened %1").arg(list); });
}

void MainWindow::AddLine(const QString& text)
{
    AddTranslatedLine([text] { return text; });
}

void MainWindow::AddTranslatedLine(std::function<QString()> text)
{
    facts->addItem(text());
    lines.push_back(std::move(text));
}

void MainWindow::SetStatus(std::function<QString()> text)
{
    status = std::move(text);
    statusLine->setText(status());
}

void MainWindow::SetUpdateStatus(std::function<QString()> text)
{
    updateStatus = std::move(text);
    updateLine->setText(updateStatus());
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
    fileMenu = menuBar()->addMenu(QString());
    removeAllAction = fileMenu->addAction(QString(), this, &MainWindow::RemoveAllFiles);
    colourAction = fileMenu->addAction(QString(), this, &MainWindow::ChooseColour);
    helperAction = fileMenu->addAction(QString(), this, [this] { StartHelper(); });
    fileMenu->addSeparator();
    restartAction = fileMenu->addAction(QString(), this,
                                        [this] { application.TryToRestart(Talvex::Enums::Interactive, QString()); });
    quitAction = fileMenu->addAction(QString(), &application, &Talvex::App::Application::TryToQuit);
    languageMenu = menuBar()->addMenu(QString());
    themeMenu = menuBar()->addMenu(QString());
    helpMenu = menuBar()->addMenu(QString());
    aboutAction = helpMenu->addAction(QString(), this, &MainWindow::ShowAbout);
    handler = new Talvex::App::LookAndFeelHandler(lookAndFeel, languageMenu, themeMenu, this);
    handler->SetLocaleList(lookAndFeel->GetLocales());
    handler->SetThemeList(lookAndFeel->GetThemes());
    handler->SelectLocale(lookAndFeel->GetCurrentLocale());
    handler->SelectTheme(lookAndFeel->GetCurrentTheme());
    connect(handler, &Talvex::App::LookAndFeelHandler::LocaleChanged, this, &MainWindow::OnLanguagePicked);
    sheetApplier = std::make_unique<SheetApplier>([this] { ApplyStyleSheet(); });
    lookAndFeel->RegisterObserver(sheetApplier.get());
}

void MainWindow::RemoveAllFiles()
{
    // Remembered under its own id: once the user ticks "Don't show this again", the
    // stored answer is used and the question never shows again.
    Talvex::App::ConfirmationAlertBox box(application.GetSettingsManager(), Talvex::Util::AlertBox::Question,
                                          tr("Remove files"), tr("Remove all files from the list?"),
                                          QMessageBox::Yes | QMessageBox::No, this);
    box.SetConfirmationId(QStringLiteral("removeAllFiles"));
    box.SetRememberOnly(QMessageBox::Yes);
    if (box.Exec() == QMessageBox::Yes) {
        files->Clear();
        SetStatus([] { return tr("All files were removed from the list"); });
    }
}

void MainWindow::ShowAbout()
{
    const auto text = tr("<b>%1</b> converts your videos and music.<br>Questions or ideas? Write to "
                         "<a href=\"mailto:%2\">%2</a> (a click copies the address).")
                          .arg(application.GetProductNameAbout(), SUPPORT_ADDRESS);
    informer->ExecDialog(text, QStringLiteral("https://talvex.example/demo"), QString(),
                         Talvex::Util::AlertBox::Information, {{QMessageBox::Ok, QString()}});
}

void MainWindow::ChooseColour()
{
    // The custom colours the user adds here come back in the next run.
    const QColor colour = QColorDialog::getColor(Qt::white, this, tr("Choose a colour"));
    if (colour.isValid()) {
        const QString name = colour.name();
        SetStatus([name] { return tr("Colour picked: %1").arg(name); });
    }
}

void MainWindow::StartHelper(const QString& arguments)
{
    if (helper->Launch(arguments)) {
        SetStatus([] { return tr("The helper is running; close it to come back here"); });
    } else {
        SetStatus([] { return tr("The helper could not be started"); });
    }
}

// The compositor or window manager has the last word: only a window that became active
// within a moment counts as handed back.
void MainWindow::CheckFocusCameBack()
{
    const QDeadlineTimer deadline(FOCUS_BACK_WAIT_MS);
    checkingFocus = true;
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this, watch, deadline] {
        focusHandedBack = isActiveWindow();
        if (!focusHandedBack && !deadline.hasExpired()) {
            return;
        }
        watch->deleteLater();
        checkingFocus = false;
        if (focusHandedBack) {
            SetStatus([] { return tr("The helper closed and handed the focus back"); });
        } else {
            SetStatus([] { return tr("The helper closed, but this window did not come forward"); });
        }
    });
    watch->start(50);
}

bool MainWindow::IsHelperRunning() const
{
    return helper->IsRunning();
}

void MainWindow::PickTheme(const std::string& theme)
{
    TriggerMenuEntry(*themeMenu, theme);
}

void MainWindow::PickLanguage(const std::string& locale)
{
    TriggerMenuEntry(*languageMenu, locale);
}

void MainWindow::TriggerMenuEntry(QMenu& menu, const std::string& name)
{
    // The look-and-feel menus carry the theme or locale name as each entry's data.
    for (QAction* action : menu.actions()) {
        if (action->data().toString() == QString::fromStdString(name)) {
            action->trigger();
            return;
        }
    }
}

void MainWindow::OnLanguagePicked(const std::string& locale)
{
    // The themes' fonts and sizes may differ by language, and a language change does
    // not rebuild the style sheet by itself.
    lookAndFeel->SetTheme(lookAndFeel->GetCurrentTheme());
    if (const auto settings = application.GetProductSettingsManager()) {
        settings->SetString(Talvex::App::LOCALE, locale);
    }
}

void MainWindow::ApplyStyleSheet()
{
    application.setStyleSheet(QString::fromStdString(lookAndFeel->GetUnitedStylesheet()));
    // Style sheets cannot colour links in rich text; the palette can, and the dark
    // theme needs a lighter blue than the default to keep them readable.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Link, lookAndFeel->GetCurrentTheme() == Talvex::App::DARK_THEME
                                         ? QColor(0x8a, 0xbe, 0xf0)
                                         : QColor(0x2f, 0x6f, 0xb3));
    QApplication::setPalette(palette);
    if (const auto settings = application.GetProductSettingsManager()) {
        settings->SetString(Talvex::App::THEME, lookAndFeel->GetCurrentTheme());
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Leaving goes through the application, which may refuse.
    if (!application.IsQuitting() && !application.TryToQuit()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::Retranslate()
{
    heading->setText(tr("Media files"));
    fileMenu->setTitle(tr("&File"));
    removeAllAction->setText(tr("&Remove all files..."));
    colourAction->setText(tr("Choose &colour..."));
    helperAction->setText(tr("Start the &helper"));
    restartAction->setText(tr("Re&start"));
    quitAction->setText(tr("&Quit"));
    languageMenu->setTitle(tr("&Language"));
    themeMenu->setTitle(tr("&Theme"));
    helpMenu->setTitle(tr("&Help"));
    aboutAction->setText(tr("&About..."));
    facts->clear();
    for (const auto& line : lines) {
        facts->addItem(line());
    }
    if (status) {
        statusLine->setText(status());
    }
    if (updateStatus) {
        updateLine->setText(updateStatus());
    }
}
