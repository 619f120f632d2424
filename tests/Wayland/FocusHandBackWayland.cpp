#include "common/SwaySession.h"
#include "common/WaitUntil.h"

#include <QProcess>

#include <gtest/gtest.h>

using Talvex::Test::SwaySession;
using Talvex::Test::WaitUntil;

namespace {

// A master window on the compositor with the slave it starts; both print to the
// master's output. Stopped with the compositor.
class HandBack : public ::testing::Test {
protected:
    explicit HandBack(SwaySession::Activation activation = SwaySession::Activation::Offered) : sway(activation) {}

    void SetUp() override
    {
        if (!sway.Problem().isEmpty()) {
            GTEST_SKIP() << "skipped: " << sway.Problem().toStdString();
        }
    }
    void TearDown() override
    {
        for (QProcess* process : {&master, &other}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    // Starts the master, which starts a slave in `slaveMode`; true once the slave's
    // window has the focus.
    bool StartPair(const QString& slaveMode, bool plainMaster = false)
    {
        master.setProcessEnvironment(sway.ClientEnvironment());
        master.start(QStringLiteral(TALVEX_HELPER),
                     {QStringLiteral("master"), QStringLiteral("talvex.master"),
                      plainMaster ? QStringLiteral("1") : QStringLiteral("0"), slaveMode});
        const QByteArray slaveLine = Output("slave ");
        slavePid = slaveLine.mid(6).toLongLong();
        return slavePid != 0 && sway.WaitForFocus(slavePid);
    }
    // Waits (bounded) for the master's output to hold a line starting with `start`.
    QByteArray Output(const QByteArray& start)
    {
        QByteArray found;
        WaitUntil(
            [&] {
                output += master.readAllStandardOutput();
                for (const QByteArray& line : output.split('\n')) {
                    if (line.startsWith(start)) {
                        found = line;
                    }
                }
                return !found.isEmpty();
            },
            10000);
        return found;
    }
    void StartOther()
    {
        other.setProcessEnvironment(sway.ClientEnvironment());
        other.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("window"), QStringLiteral("talvex.other")});
        ASSERT_TRUE(sway.WaitForFocus(other.processId())) << "the other window did not get the focus";
    }
    void FocusSlave()
    {
        sway.Message({QStringLiteral("[pid=%1]").arg(slavePid), QStringLiteral("focus")});
        ASSERT_TRUE(sway.WaitForFocus(slavePid)) << "the slave did not get the focus back";
    }
    bool MasterFocused() { return sway.WaitForFocus(master.processId()); }

    SwaySession sway;
    QProcess master;
    QProcess other;
    QByteArray output;
    long long slavePid = 0;
};

} // namespace

TEST_F(HandBack, MasterComesForwardWhenTheClosingSlaveHandsBackAfterAnotherClientHeldTheFocus)
{
    ASSERT_TRUE(StartPair(QStringLiteral("close")));
    StartOther();
    FocusSlave();
    ASSERT_TRUE(sway.Type(QStringLiteral("q")));
    EXPECT_TRUE(MasterFocused()) << "the focus went to " << sway.FocusedAppId().toStdString();
    EXPECT_FALSE(output.contains("extra=")) << output.constData();
}

TEST_F(HandBack, MasterComesForwardWhenTheSlaveHandsBackAndStaysOpen)
{
    ASSERT_TRUE(StartPair(QStringLiteral("stay")));
    ASSERT_TRUE(sway.Type(QStringLiteral("q")));
    EXPECT_TRUE(MasterFocused()) << "the focus stayed with " << sway.FocusedAppId().toStdString();
}

TEST_F(HandBack, SlaveThatReadsTwoFieldsGetsTheMastersWindowAndNothingBreaks)
{
    ASSERT_TRUE(StartPair(QStringLiteral("plain")));
    ASSERT_TRUE(sway.Type(QStringLiteral("q")));
    EXPECT_GT(Output("reply ").mid(6).toLongLong(), 0) << output.constData();
    EXPECT_EQ(master.state(), QProcess::Running);
}

TEST_F(HandBack, MasterThatNeverAsksGetsNothingButTheClosingMessage)
{
    ASSERT_TRUE(StartPair(QStringLiteral("stay"), true));
    ASSERT_TRUE(sway.Type(QStringLiteral("q")));
    WaitUntil([] { return false; }, 1500);
    output += master.readAllStandardOutput();
    EXPECT_FALSE(output.contains("extra=")) << output.constData();
}

class HandBackWithoutActivation : public HandBack {
protected:
    HandBackWithoutActivation() : HandBack(SwaySession::Activation::Hidden) {}
};

// Each side says once, in its own log, why the window did not come forward; the master
// gets nothing it would take for a message of the product's.
TEST_F(HandBackWithoutActivation, EachSideWarnsOnceAndNothingElseReachesTheMaster)
{
    ASSERT_TRUE(StartPair(QStringLiteral("close")));
    ASSERT_TRUE(sway.Type(QStringLiteral("q")));
    QByteArray errors;
    WaitUntil(
        [&] {
            errors += master.readAllStandardError();
            return errors.count("focus cannot be handed back") >= 2;
        },
        10000);
    WaitUntil([] { return false; }, 300);
    errors += master.readAllStandardError();
    EXPECT_EQ(errors.count("focus cannot be handed back"), 2) << errors.constData();
    EXPECT_TRUE(errors.contains("the compositor does not offer window activation")) << errors.constData();
    EXPECT_TRUE(errors.contains("could not get an activation token")) << errors.constData();
    output += master.readAllStandardOutput();
    EXPECT_FALSE(output.contains("extra=")) << output.constData();
    EXPECT_EQ(master.state(), QProcess::Running);
}
