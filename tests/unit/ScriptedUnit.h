#pragma once

#include "Channel.h"

#include <QByteArray>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// A channel whose far end is a script: every write is handed to `answer`, which returns what the
// "unit" says back. Writes can be cut short to play a line that times out part way. The faults
// of a hostile line are fields: set them before the transfer starts.
class ScriptedUnit : public Channel {
public:
    // Called with everything written so far and the bytes of this write; returns the answer.
    std::function<QByteArray(const QByteArray& all, const QByteArray& latest)> answer;
    // Handed out over and over whenever the script has nothing to say.
    QByteArray noise;
    // The unit's answers trickle in, one byte per this many milliseconds.
    int paceMs = 0;
    // Every read and write fails as on a line whose other end is gone.
    bool broken = false;
    // Nothing written gets out: each write waits its whole write time-out (10 s for none).
    bool outputStuck = false;

    ScriptedUnit() { handle_ = 1; }

    bool Read(uint8_t* buffer, int count) override
    {
        lastReadCount_ = 0;
        if (broken) {
            SetError(EIO);
            return false;
        }
        {
            std::lock_guard lock(mutex_);
            const auto now = std::chrono::steady_clock::now();
            const bool paced = paceMs > 0 && now - lastHanded_ < std::chrono::milliseconds(paceMs);
            while (!paced && lastReadCount_ < count && !incoming_.empty()) {
                buffer[lastReadCount_++] = incoming_.front();
                incoming_.pop_front();
                lastHanded_ = now;
                if (paceMs > 0)
                    break;
            }
            for (int i = 0; lastReadCount_ < count && !noise.isEmpty(); ++i)
                buffer[lastReadCount_++] = static_cast<uint8_t>(noise[i % noise.size()]);
        }
        if (lastReadCount_ < count)
            QThread::msleep(1); // what a short read time-out would cost
        return lastReadCount_ == count;
    }

    bool Write(const uint8_t* buffer, int count) override
    {
        lastWriteCount_ = 0;
        if (broken) {
            SetError(EIO);
            return false;
        }
        if (outputStuck) {
            const int32_t wait = GetWriteTimeout() == NoTimeLimit ? 10000 : GetWriteTimeout();
            QThread::msleep(static_cast<unsigned long>(wait));
            SetError(ETIMEDOUT);
            return false;
        }
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
    std::chrono::steady_clock::time_point lastHanded_{};
    std::deque<int> writeLimits_;
    QByteArray written_;
    std::vector<int> writeSizes_;
};
