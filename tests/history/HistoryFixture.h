#pragma once

#include "PageHistory.h"
#include "PageHistoryReader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A history file in a temporary folder, rows to put in it, and what reading it gives.
class HistoryFixture : public ::testing::Test {
protected:
    QString path() const { return folder_.filePath(fileName_); }

    static PageHistoryEntry entry(uint32_t recipient, const QString& text, qint64 queuedMs,
                                  HistoryOutcome outcome = HistoryOutcome::Confirmed,
                                  PageOrigin::Source source = PageOrigin::Source::MessageBox)
    {
        PageHistoryEntry e;
        e.queuedMs = queuedMs;
        e.endedMs = queuedMs + 250;
        e.origin.source = source;
        e.recipient = recipient;
        e.name = QStringLiteral("Pager %1").arg(recipient);
        e.text = text;
        e.outcome = outcome;
        return e;
    }

    // Writes the rows through a history of its own and waits until they are on disk.
    void writeRows(const QList<PageHistoryEntry>& entries)
    {
        PageHistory history(path());
        QStringList problems;
        QObject::connect(&history, &PageHistory::problem,
                         [&problems](const QString& message) { problems << message; });
        for (const PageHistoryEntry& e : entries)
            history.record(e);
        ASSERT_TRUE(history.flush(10000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    }

    // Every row, oldest first, as a fresh reader sees it.
    QList<PageHistoryEntry> readAll(const HistoryFilter& filter = {})
    {
        PageHistoryReader reader;
        const std::optional<QString> problem = reader.open(path());
        EXPECT_FALSE(problem) << problem.value_or(QString()).toStdString();
        return reader.rows(filter, {HistoryColumn::Queued, true}, 0, 1000000);
    }

    // The folder's names, sizes and modification times: what a read must leave as it was.
    QStringList folderState() const
    {
        QStringList state;
        for (const QFileInfo& file :
             QFileInfo(path()).dir().entryInfoList(QDir::Files | QDir::Hidden))
            state << QStringLiteral("%1 %2 %3")
                         .arg(file.fileName())
                         .arg(file.size())
                         .arg(file.lastModified().toMSecsSinceEpoch());
        return state;
    }

    QTemporaryDir folder_;
    // The history's path in folder_.
    QString fileName_ = QStringLiteral("pages.sqlite");
};
