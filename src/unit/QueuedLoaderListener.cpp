#include "QueuedLoaderListener.h"

QueuedLoaderListener::QueuedLoaderListener(Handlers handlers, QObject* parent)
    : QueuedReports(parent)
    , handlers_(std::move(handlers))
{}

void QueuedLoaderListener::loaderText(const QString& text)
{
    post([this, text] {
        if (handlers_.text)
            handlers_.text(text);
    });
}

void QueuedLoaderListener::loaderProgress(qint64 position)
{
    post([this, position] {
        if (handlers_.progress)
            handlers_.progress(position);
    });
}

void QueuedLoaderListener::loaderMessage(const QString& text)
{
    postAndWait([this, &text] {
        if (handlers_.message)
            handlers_.message(text);
    });
}

void QueuedLoaderListener::loaderComplete()
{
    post([this] {
        if (handlers_.complete)
            handlers_.complete();
    });
}

void QueuedLoaderListener::loaderEnded()
{
    post([this] {
        if (handlers_.ended)
            handlers_.ended();
    });
}
