#include "QueuedTransferListener.h"

QueuedTransferListener::QueuedTransferListener(Handlers handlers, QObject* parent)
    : QueuedReports(parent)
    , handlers_(std::move(handlers))
{}

void QueuedTransferListener::transferProgress(int percent)
{
    post([this, percent] {
        if (handlers_.progress)
            handlers_.progress(percent);
    });
}

void QueuedTransferListener::transferDone()
{
    post([this] {
        if (handlers_.done)
            handlers_.done();
    });
}

void QueuedTransferListener::transferFailed()
{
    post([this] {
        if (handlers_.failed)
            handlers_.failed();
    });
}

void QueuedTransferListener::transferMessage(const QString& text)
{
    postAndWait([this, &text] {
        if (handlers_.message)
            handlers_.message(text);
    });
}
