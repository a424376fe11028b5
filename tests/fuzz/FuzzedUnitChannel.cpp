#include "FuzzedUnitChannel.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

FuzzedUnitChannel::FuzzedUnitChannel(QByteArray answers, int writeLimit)
    : answers_(std::move(answers))
    , writeLimit_(writeLimit)
{}

bool FuzzedUnitChannel::Read(uint8_t* buffer, int count)
{
    std::unique_lock lock(mutex_);
    const int handed = std::min(count, static_cast<int>(answers_.size()) - answersRead_);
    std::memcpy(buffer, answers_.constData() + answersRead_, static_cast<size_t>(handed));
    answersRead_ += handed;
    lastReadCount_ = handed;
    if (handed == count)
        return true;
    silent_ = true;
    woken_.notify_all();
    if (released_) {
        // The stop is on its way; let the thread that brings it run.
        lock.unlock();
        std::this_thread::yield();
        return false;
    }
    woken_.wait_for(lock, std::chrono::milliseconds(readTimeout_), [this] { return released_; });
    return false;
}

bool FuzzedUnitChannel::Write(const uint8_t* buffer, int count)
{
    const int taken = writeLimit_ > 0 ? std::min(count, writeLimit_) : count;
    std::lock_guard lock(mutex_);
    // A transfer stuck before its first byte writes nothing over and over; that is no record.
    if (taken > 0)
        writes_.push_back({answersRead_, QByteArray(reinterpret_cast<const char*>(buffer), taken)});
    lastWriteCount_ = taken;
    return taken == count;
}

void FuzzedUnitChannel::noteOutcome()
{
    std::lock_guard lock(mutex_);
    outcome_ = true;
    woken_.notify_all();
}

void FuzzedUnitChannel::releaseReads()
{
    std::lock_guard lock(mutex_);
    released_ = true;
    woken_.notify_all();
}

bool FuzzedUnitChannel::waitForSilenceOrOutcome(int timeoutMs)
{
    std::unique_lock lock(mutex_);
    return woken_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return silent_ || outcome_; });
}

QByteArray FuzzedUnitChannel::written() const
{
    QByteArray all;
    for (const WriteRecord& write : writes_)
        all += write.bytes;
    return all;
}
