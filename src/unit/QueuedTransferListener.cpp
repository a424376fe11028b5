#include "QueuedTransferListener.h"

#include <QThread>

QueuedTransferListener::QueuedTransferListener(QObject* context, Handlers handlers)
    : context_(context)
    , handlers_(std::move(handlers))
{}

void QueuedTransferListener::post(std::function<void()> call)
{
    QMetaObject::invokeMethod(context_, std::move(call), Qt::QueuedConnection);
}

void QueuedTransferListener::transferProgress(int percent)
{
    if (handlers_.progress)
        post([handler = handlers_.progress, percent] { handler(percent); });
}

void QueuedTransferListener::transferDone()
{
    if (handlers_.done)
        post(handlers_.done);
}

void QueuedTransferListener::transferFailed()
{
    if (handlers_.failed)
        post(handlers_.failed);
}

void QueuedTransferListener::transferMessage(const QString& text)
{
    if (!handlers_.message)
        return;
    if (QThread::currentThread() == context_->thread())
        handlers_.message(text);
    else
        QMetaObject::invokeMethod(
            context_, [this, &text] { handlers_.message(text); }, Qt::BlockingQueuedConnection);
}
