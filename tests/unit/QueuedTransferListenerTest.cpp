#include "QueuedLoaderListener.h"
#include "QueuedTransferListener.h"

#include <QTest>

#include <gtest/gtest.h>

#include <thread>

namespace {

// What the main thread sees of a worker's reports, and the user reading a message.
struct Seen {
    QStringList reports;
    std::atomic<bool> messageShown{false};

    void message(const QString& text)
    {
        reports << text;
        QTest::qWait(50); // the user reads it
        messageShown = true;
    }
};

// A worker reports three steps, a message and its end; the reports must arrive in that order
// and the message must hold the worker until it has been shown.
void expectDeliveredInOrderWithTheWorkerHeld(Seen& seen, const std::function<void(int)>& step,
                                             const std::function<void(const QString&)>& message,
                                             const std::function<void()>& end)
{
    bool workerWentOnTooEarly = false;
    std::thread worker([&] {
        for (int percent : {10, 20, 30})
            step(percent);
        message(QStringLiteral("Error: Bad Checksum!"));
        workerWentOnTooEarly = !seen.messageShown;
        end();
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.reports.contains(QStringLiteral("end")); }, 5000));
    worker.join();
    EXPECT_FALSE(workerWentOnTooEarly);
    EXPECT_EQ(seen.reports, (QStringList{QStringLiteral("10"), QStringLiteral("20"),
                                         QStringLiteral("30"), QStringLiteral("Error: Bad Checksum!"),
                                         QStringLiteral("end")}));
}

} // namespace

TEST(QueuedTransferListener, DeliversInOrderAndHoldsTheWorkerDuringAMessage)
{
    Seen seen;
    QueuedTransferListener::Handlers handlers;
    handlers.progress = [&](int percent) { seen.reports << QString::number(percent); };
    handlers.failed = [&] { seen.reports << QStringLiteral("end"); };
    handlers.message = [&](const QString& text) { seen.message(text); };
    QueuedTransferListener listener(handlers);
    expectDeliveredInOrderWithTheWorkerHeld(
        seen, [&](int percent) { listener.transferProgress(percent); },
        [&](const QString& text) { listener.transferMessage(text); },
        [&] { listener.transferFailed(); });
}

// The firmware loader reports to its window and to the command line the same way.
TEST(QueuedLoaderListener, DeliversInOrderAndHoldsTheWorkerDuringAMessage)
{
    Seen seen;
    QueuedLoaderListener::Handlers handlers;
    handlers.progress = [&](qint64 position) { seen.reports << QString::number(position); };
    handlers.ended = [&] { seen.reports << QStringLiteral("end"); };
    handlers.message = [&](const QString& text) { seen.message(text); };
    QueuedLoaderListener listener(handlers);
    expectDeliveredInOrderWithTheWorkerHeld(
        seen, [&](int position) { listener.loaderProgress(position); },
        [&](const QString& text) { listener.loaderMessage(text); },
        [&] { listener.loaderEnded(); });
}
