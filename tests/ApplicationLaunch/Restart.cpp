#include "LaunchFixture.h"
#include "common/WaitUntil.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
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

// Answers the confirmation box with `button` once it is up, and remembers its texts.
class BoxAnswer : public QObject {
public:
    explicit BoxAnswer(QMessageBox::StandardButton button)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->button(button)) {
                timer.stop();
                title = box->windowTitle();
                text = box->text();
                box->button(button)->click();
            }
        });
        timer.start(10);
    }
    QString title;
    QString text;

private:
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
        // The session file lives under the names the application has when it is built.
        QCoreApplication::setOrganizationName(QString::fromStdString(customization->organization));
        QCoreApplication::setApplicationName(QString::fromStdString(customization->name));
        QSettings(QStandardPaths::writableLocation(QStandardPaths::DataLocation) +
                      QStringLiteral("/Talvex/clipforge 20.1.2/testApplicationLaunch.ini"),
                  QSettings::IniFormat)
            .setValue(QStringLiteral("1"), QLatin1String(CRASHED_SESSION));
        auto application = Launch<Derived>(false);
        EXPECT_EQ(application->GetCrashedSessions(), std::deque<std::string>{CRASHED_SESSION});
        return application;
    }

    QString TraceArguments() const { return QStringLiteral("--gtest_filter=-* --gtest_output=json:") + trace; }
    bool CopyStarted()
    {
        return WaitUntil([this] { return QFile::exists(trace); }, 1500);
    }

    QString trace = scratch.filePath(QStringLiteral("copy.json"));
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
    EXPECT_FALSE(CopyStarted());
}

TEST_F(Restart, ProductThatRefusesToQuitStartsNoCopy)
{
    auto application = LaunchAfterACrash<RefusingApplication>();
    application->TryToRestart(Enums::Silent, TraceArguments());
    EXPECT_FALSE(application->IsQuitting());
    EXPECT_TRUE(application->GetCrashedSessions().empty()) << "the history goes before the product is asked";
    EXPECT_FALSE(CopyStarted());
}

// The helper, copied into a folder whose name has a space, restarts itself; the copy
// writes the arguments it was given to the record file.
TEST_F(LaunchTest, RestartedCopyReceivesTheArgumentsAfterItsQuotedPath)
{
    const QString folder = scratch.filePath(QStringLiteral("Launch Helper"));
    const QString program = folder + QStringLiteral("/LaunchHelper");
    const QString record = scratch.filePath(QStringLiteral("restarted.txt"));
    ASSERT_TRUE(QDir().mkpath(folder) && QFile::copy(QStringLiteral(TALVEX_HELPER), program));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TALVEX_RESTART_RECORD"), record);

    const std::pair<QString, QByteArray> cases[] = {{QStringLiteral("alpha \"two words\""), "alpha\ntwo words\n--\n"},
                                                    {QString(), "--\n"}};
    for (const auto& [arguments, expected] : cases) {
        QFile::remove(record);
        QProcess helper;
        helper.setProcessEnvironment(environment);
        helper.start(program, {QStringLiteral("restart"), arguments});
        EXPECT_TRUE(helper.waitForFinished(20000));
        EXPECT_EQ(helper.exitCode(), 0) << "the helper did not quit for the restart";
        EXPECT_TRUE(WaitUntil([&] { return FileBytes(record).endsWith("--\n"); }, 20000)) << "no copy started";
        EXPECT_EQ(FileBytes(record), expected);
    }
}

} // namespace Talvex::Test
