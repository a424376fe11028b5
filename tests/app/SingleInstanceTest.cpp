#include "SingleInstance.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// A real console process, offscreen, working in a folder of its own.
class ConsoleProcess {
public:
    explicit ConsoleProcess(const QString& workingDirectory)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(workingDirectory);
        process_.start(QStringLiteral(TAVOLUX_EXECUTABLE), {});
    }
    ~ConsoleProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    QProcess& process() { return process_; }

private:
    QProcess process_;
};

// Waits until a console answers on the per-user channel.
bool waitUntilListening(const SingleInstance& probe)
{
    for (int i = 0; i < 100; ++i) {
        if (probe.activateRunningInstance(200) == SingleInstance::Running::Console)
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

TEST(SingleInstance, ASecondStartActivatesTheRunningConsoleAndEnds)
{
    QTemporaryDir dir;
    SingleInstance running;
    ASSERT_TRUE(running.tryBecomePrimary());
    QSignalSpy activated(&running, &SingleInstance::activationRequested);

    ConsoleProcess second(dir.path());
    QProcess& p = second.process();
    // Our event loop must run to answer, so wait with the spy rather than blocking on the process.
    EXPECT_TRUE(activated.wait(10000));
    for (int i = 0; i < 100 && p.state() != QProcess::NotRunning; ++i)
        QTest::qWait(50);
    EXPECT_EQ(p.state(), QProcess::NotRunning);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(activated.count(), 1);

    SingleInstance third;
    EXPECT_FALSE(third.tryBecomePrimary());
}

TEST(SingleInstance, TwoConsolesAndALockLeftByACrash)
{
    QTemporaryDir dir;
    ConsoleProcess first(dir.path());
    ASSERT_TRUE(first.process().waitForStarted(5000));
    SingleInstance probe;
    ASSERT_TRUE(waitUntilListening(probe));

    ConsoleProcess second(dir.path());
    ASSERT_TRUE(second.process().waitForFinished(10000));
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_EQ(first.process().state(), QProcess::Running);
    EXPECT_FALSE(probe.tryBecomePrimary());

    // A crash leaves the lock file and the socket behind; the next start must not be blocked.
    ::kill(static_cast<pid_t>(first.process().processId()), SIGKILL);
    ASSERT_TRUE(first.process().waitForFinished(5000));
    SingleInstance next;
    EXPECT_TRUE(next.tryBecomePrimary());
    QSignalSpy activated(&next, &SingleInstance::activationRequested);
    ConsoleProcess after(dir.path());
    EXPECT_TRUE(activated.wait(10000));
}
