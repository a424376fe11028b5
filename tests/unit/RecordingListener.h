#pragma once

#include "TransferListener.h"

#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

// Records what a transfer worker reports, from whatever thread it reports on.
class RecordingListener : public TransferListener {
public:
    void transferProgress(int percent) override
    {
        std::lock_guard lock(mutex_);
        progress_.push_back(percent);
    }
    void transferDone() override { finish(1); }
    void transferFailed() override { finish(2); }
    void transferMessage(const QString& text) override
    {
        std::lock_guard lock(mutex_);
        messages_ << text;
    }

    // 1 done, 2 failed, 0 nothing within the time.
    int waitForOutcome(int timeoutMs = 5000)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return outcome_ != 0; });
        return outcome_;
    }
    int outcomes() const
    {
        std::lock_guard lock(mutex_);
        return outcomeCount_;
    }
    QStringList messages() const
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<int> progress() const
    {
        std::lock_guard lock(mutex_);
        return progress_;
    }

private:
    void finish(int outcome)
    {
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
        ++outcomeCount_;
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int outcome_ = 0;
    int outcomeCount_ = 0;
    QStringList messages_;
    std::vector<int> progress_;
};
