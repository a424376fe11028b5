#pragma once

#include "Channel.h"

#include <QByteArray>
#include <QThread>

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// A channel whose far end is a script: every write is handed to `answer`, which returns what the
// "unit" says back. Writes can be cut short to play a line that times out part way.
class ScriptedUnit : public Channel {
public:
    // Called with everything written so far and the bytes of this write; returns the answer.
    std::function<QByteArray(const QByteArray& all, const QByteArray& latest)> answer;

    ScriptedUnit() { handle_ = 1; }

    bool Read(uint8_t* buffer, int count) override
    {
        lastReadCount_ = 0;
        {
            std::lock_guard lock(mutex_);
            while (lastReadCount_ < count && !incoming_.empty()) {
                buffer[lastReadCount_++] = incoming_.front();
                incoming_.pop_front();
            }
        }
        if (lastReadCount_ < count)
            QThread::msleep(1); // what a short read time-out would cost
        return lastReadCount_ == count;
    }

    bool Write(const uint8_t* buffer, int count) override
    {
        std::lock_guard lock(mutex_);
        int accepted = count;
        if (!writeLimits_.empty()) {
            accepted = std::min(count, writeLimits_.front());
            writeLimits_.pop_front();
        }
        const QByteArray latest(reinterpret_cast<const char*>(buffer), accepted);
        written_ += latest;
        writeSizes_.push_back(accepted);
        if (answer)
            for (char c : answer(written_, latest))
                incoming_.push_back(static_cast<uint8_t>(c));
        lastWriteCount_ = accepted;
        return accepted == count;
    }

    void say(const QByteArray& bytes)
    {
        std::lock_guard lock(mutex_);
        for (char c : bytes)
            incoming_.push_back(static_cast<uint8_t>(c));
    }
    // The next writes accept at most these many bytes each.
    void limitWrites(std::vector<int> limits)
    {
        std::lock_guard lock(mutex_);
        writeLimits_.assign(limits.begin(), limits.end());
    }
    QByteArray written() const
    {
        std::lock_guard lock(mutex_);
        return written_;
    }
    std::vector<int> writeSizes() const
    {
        std::lock_guard lock(mutex_);
        return writeSizes_;
    }

private:
    mutable std::mutex mutex_;
    std::deque<uint8_t> incoming_;
    std::deque<int> writeLimits_;
    QByteArray written_;
    std::vector<int> writeSizes_;
};
