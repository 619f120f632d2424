#include "LaunchFixture.h"
#include "common/WaitUntil.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

namespace Talvex::Test {
namespace {

const char CRASHED_SESSION[] = "200101-000000-111111";

class RefusingApplication : public App::Application {
public:
    using App::Application::Application;

private:
    bool TryToQuitImpl() override { return false; }
};

// The crash-session file that holds this process's record.
QString OwnSessionFile()
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QDirIterator files(qEnvironmentVariable("XDG_DATA_HOME"), {QStringLiteral("*.ini")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (QSettings(path, QSettings::IniFormat).contains(pid)) {
            return path;
        }
    }
    return QString();
}

bool HoldsOwnRecord(const QString& sessionFile)
{
    return QSettings(sessionFile, QSettings::IniFormat).contains(QString::number(QCoreApplication::applicationPid()));
}

// Answers the confirmation box, once it is up, with `button`; remembers its title.
class BoxAnswer : public QObject {
public:
    explicit BoxAnswer(QMessageBox::StandardButton button) : button(button)
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, this, &BoxAnswer::Answer);
        timer.start();
    }
    QString title;
    QString text;

private:
    void Answer()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->button(button)) {
            return;
        }
        timer.stop();
        title = box->windowTitle();
        text = box->text();
        box->button(button)->click();
    }

    QMessageBox::StandardButton button;
    QTimer timer;
};

} // namespace

// Within this process an accidental restart would start the test program itself: the
// arguments make such a copy run no test and leave a report file behind as a trace.
class Restart : public LaunchTest {
protected:
    // An application whose crash history holds one session of an earlier run.
    template <class Derived = App::Application> std::unique_ptr<Derived> LaunchAfterACrash()
    {
        // The session file is named after the application as construction finds it; fix
        // the names the customization sets so both applications use the same file.
        QCoreApplication::setOrganizationName(QString::fromStdString(customization->organization));
        QCoreApplication::setApplicationName(QString::fromStdString(customization->name));
        QString sessionFile;
        {
            auto first = Launch(false);
            sessionFile = OwnSessionFile();
        }
        EXPECT_FALSE(sessionFile.isEmpty());
        QSettings(sessionFile, QSettings::IniFormat).setValue(QStringLiteral("1"), QLatin1String(CRASHED_SESSION));
        auto application = Launch<Derived>(false);
        this->sessionFile = OwnSessionFile();
        EXPECT_EQ(application->GetCrashedSessions(), std::deque<std::string>{CRASHED_SESSION});
        return application;
    }

    QString TraceArguments() const { return QStringLiteral("--gtest_filter=-* --gtest_output=json:") + trace; }
    bool CopyStarted()
    {
        return WaitUntil([this] { return QFile::exists(trace); }, 1500);
    }

    QString trace = scratch.filePath(QStringLiteral("copy.json"));
    QString sessionFile;
};

TEST_F(Restart, CancelLeavesEverythingAsItWas)
{
    auto application = LaunchAfterACrash();
    BoxAnswer answer(QMessageBox::Cancel);

    application->TryToRestart(Enums::Interactive, TraceArguments());
    EXPECT_EQ(answer.title, QStringLiteral("Attention"));
    EXPECT_TRUE(answer.text.contains(QStringLiteral("This will restart the application.")));
    EXPECT_FALSE(application->IsQuitting());
    EXPECT_EQ(application->GetCrashedSessions(), std::deque<std::string>{CRASHED_SESSION});
    EXPECT_TRUE(HoldsOwnRecord(sessionFile)) << "crash history cleared";
    EXPECT_FALSE(CopyStarted());
}

TEST_F(Restart, ProductThatRefusesToQuitStartsNoCopy)
{
    auto application = LaunchAfterACrash<RefusingApplication>();
    application->TryToRestart(Enums::Silent, TraceArguments());
    EXPECT_FALSE(application->IsQuitting());
    EXPECT_TRUE(application->GetCrashedSessions().empty()) << "the history goes before the product is asked";
    EXPECT_FALSE(HoldsOwnRecord(sessionFile));
    EXPECT_FALSE(CopyStarted());
}

// The helper restarts itself from a folder whose name has a space; the copy writes the
// arguments it was given to the record file.
class RestartedCopy : public LaunchTest {
protected:
    QByteArray RestartWith(const QString& arguments)
    {
        const QString folder = scratch.filePath(QStringLiteral("Launch Helper"));
        const QString program = folder + QStringLiteral("/LaunchHelper");
        const QString record = scratch.filePath(QStringLiteral("restarted.txt"));
        QDir().mkpath(folder);
        if (!QFile::exists(program)) {
            EXPECT_TRUE(QFile::copy(QStringLiteral(TALVEX_HELPER), program));
        }
        QFile::remove(record);
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TALVEX_RESTART_RECORD"), record);
        helper.setProcessEnvironment(environment);
        helper.start(program, {QStringLiteral("restart"), arguments});
        EXPECT_TRUE(helper.waitForFinished(20000));
        EXPECT_EQ(helper.exitCode(), 0) << "the helper did not quit for the restart";
        EXPECT_TRUE(WaitUntil([&] { return FileBytes(record).endsWith("--\n"); }, 20000)) << "no copy started";
        return FileBytes(record);
    }
};

TEST_F(RestartedCopy, ReceivesTheArgumentsAfterItsQuotedPath)
{
    EXPECT_EQ(RestartWith(QStringLiteral("alpha \"two words\"")), QByteArray("alpha\ntwo words\n--\n"));
}

TEST_F(RestartedCopy, EmptyArgumentsGiveACopyWithoutArguments)
{
    EXPECT_EQ(RestartWith(QString()), QByteArray("--\n"));
}

} // namespace Talvex::Test
