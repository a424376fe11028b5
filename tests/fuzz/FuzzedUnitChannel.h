#pragma once

#include "Channel.h"

#include <QByteArray>

#include <condition_variable>
#include <mutex>
#include <vector>

// A unit that answers with given bytes, in order, whatever is sent to it, and takes every write,
// at most writeLimit bytes per call when a limit is given (so that a block goes out in parts).
// When the answers are used up it stays silent, as a unit that stopped answering does: a read
// then waits out its time-out, until releaseReads lets every read return at once.
class FuzzedUnitChannel : public Channel {
public:
    struct WriteRecord {
        int answersRead; // how many answers had been handed out when the write came
        QByteArray bytes;
    };

    FuzzedUnitChannel(QByteArray answers, int writeLimit);

    bool IsOpen() const override { return true; }
    bool Read(uint8_t* buffer, int count) override;
    bool Write(const uint8_t* buffer, int count) override;

    // Wakes waitForSilenceOrOutcome; the transfer's listener calls it with the outcome.
    void noteOutcome();
    // Before the transfer is stopped, so that the stop is not held up by a read time-out.
    void releaseReads();
    // True when the answers ran out or an outcome came within timeoutMs.
    bool waitForSilenceOrOutcome(int timeoutMs);

    // Only once the transfer has been stopped:
    const QByteArray& answers() const { return answers_; }
    int answersRead() const { return answersRead_; }
    bool silent() const { return silent_; }
    QByteArray written() const;
    const std::vector<WriteRecord>& writes() const { return writes_; }

private:
    const QByteArray answers_;
    const int writeLimit_;
    std::mutex mutex_;
    std::condition_variable woken_;
    int answersRead_ = 0;
    bool silent_ = false;
    bool outcome_ = false;
    bool released_ = false;
    std::vector<WriteRecord> writes_;
};
