#pragma once

#include <QString>

// What a transfer worker tells its owner. The calls come from the worker thread; the owner's
// side turns them into calls on its own thread (see QueuedTransferListener).
class TransferListener {
public:
    virtual ~TransferListener() = default;
    // Whole percent of the data moved so far.
    virtual void transferProgress(int percent) = 0;
    // The block moved and its checksum was confirmed.
    virtual void transferDone() = 0;
    // The transfer failed; the user has already been told why.
    virtual void transferFailed() = 0;
    // Shows text to the user and returns once the user has closed it.
    virtual void transferMessage(const QString& text) = 0;
};
