#include "QueuedTransferListener.h"

#include <QTest>

#include <gtest/gtest.h>

#include <thread>

// A worker's reports arrive on the listener's thread in the order they were made, and a message
// holds the worker until it has been shown.
TEST(QueuedTransferListener, DeliversInOrderAndHoldsTheWorkerDuringAMessage)
{
    QStringList seen;
    bool workerWentOnTooEarly = false;
    std::atomic<bool> messageShown{false};
    QueuedTransferListener::Handlers handlers;
    handlers.progress = [&](int percent) {
        seen << QStringLiteral("progress %1").arg(percent);
    };
    handlers.done = [&] {
        seen << QStringLiteral("done");
    };
    handlers.failed = [&] {
        seen << QStringLiteral("failed");
    };
    handlers.message = [&](const QString& text) {
        seen << text;
        QTest::qWait(50); // the user reads it
        messageShown = true;
    };
    QueuedTransferListener listener(handlers);

    std::thread worker([&] {
        for (int percent : {10, 20, 30})
            listener.transferProgress(percent);
        listener.transferMessage(QStringLiteral("Error: Bad Checksum!"));
        workerWentOnTooEarly = !messageShown;
        listener.transferFailed();
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.contains(QStringLiteral("failed")); }, 5000));
    worker.join();
    EXPECT_FALSE(workerWentOnTooEarly);
    EXPECT_EQ(seen,
              (QStringList{QStringLiteral("progress 10"), QStringLiteral("progress 20"),
                           QStringLiteral("progress 30"), QStringLiteral("Error: Bad Checksum!"),
                           QStringLiteral("failed")}));
}
