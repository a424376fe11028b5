#pragma once

#include "PageHistoryEntry.h"

#include <QObject>
#include <QString>

#include <memory>
#include <thread>

class HistoryWriter;

// The page history of this user: one SQLite file that the console, the command line and the
// headless gateway all write to at once (WAL journaling, a busy time-out). Writing happens on a
// thread of its own, so that recording a page costs its caller next to nothing and a page never
// waits for the disk. A history that cannot be written is said once (problem()) and paging goes
// on; a damaged file is moved aside and a new one begun, never deleted.
class PageHistory : public QObject {
    Q_OBJECT
public:
    // Where the history lives: the user's data folder ($XDG_DATA_HOME, else ~/.local/share),
    // "Brindleco Signals/tavolux/pages.sqlite".
    static QString defaultPath();

    // The file is opened on the writing thread; nothing here waits for it.
    explicit PageHistory(const QString& path = defaultPath(), QObject* parent = nullptr);
    // Writes what is still waiting, for at most FinalFlushMs.
    ~PageHistory() override;
    static constexpr int FinalFlushMs = 3000;
    // How long rows are kept unless the user chose otherwise.
    static constexpr int DefaultKeepDays = 365;

    const QString& path() const { return path_; }

    // Takes a copy and returns at once; the row is written in the background.
    void record(const PageHistoryEntry& entry);
    // Waits until every row recorded so far is written or given up on, at most timeoutMs;
    // false when time ran out.
    bool flush(int timeoutMs);

    // Rows queued more than days ago are removed now and then once a day, a few thousand at a
    // time so that other writers wait little; 0 keeps every row.
    void setRetentionDays(int days);

signals:
    // Rows have been written: a list of the history may refresh.
    void written();
    // Something the user should hear once: the history cannot be written (and why), or a
    // damaged file was moved aside. Said again only after it had been written once more.
    void problem(const QString& message);

private:
    QString path_;
    HistoryWriter* writer_;
    std::thread thread_;
};
