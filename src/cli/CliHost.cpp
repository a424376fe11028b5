#include "CliHost.h"

#include "BlockExchange.h"
#include "FirmwareLoader.h"
#include "ImageTransfer.h"
#include "QueuedLoaderListener.h"
#include "RegularFile.h"
#include "SerialPort.h"
#include "ServeEventsUntil.h"
#include "UnitSession.h"

#include <QFile>

#include <cstdio>
#include <unistd.h>

CliHost::CliHost(ConfigurationImage& image, PortSettings saved)
    : image_(image)
    , saved_(std::move(saved))
    , progressToTerminal_(::isatty(STDERR_FILENO) != 0)
{}

void CliHost::say(const QString& text)
{
    if (heard_)
        return heard_(text);
    std::fprintf(stderr, "tavolux-cli: %s\n", qPrintable(text));
}

void CliHost::inform(const QString& text)
{
    failed_ = true;
    if (text == BlockTransfer::noResponseText() || text == BlockTransfer::lineLostText()) {
        linkFailed_ = true;
        // A script may try several ports; say which one stayed quiet.
        if (text == BlockTransfer::noResponseText() && session_ && session_->port()) {
            say(QStringLiteral("%1 (%2)").arg(text, session_->port()->GetName()));
            return;
        }
    }
    say(text);
}

void CliHost::alert(const QString& text)
{
    failed_ = true;
    say(text);
}

bool CliHost::confirm(const QString& text)
{
    say(text + QStringLiteral(" yes"));
    return true;
}

bool CliHost::runImageTransfer(uint8_t type)
{
    ImageTransfer transfer(*session_->port(), image_, type,
                           [this](const QString& text) { inform(text); });
    transfer.setAnswerTimeout(session_->answerTimeoutMs());
    if (progressToTerminal_) {
        QObject::connect(&transfer, &ImageTransfer::progress, [](int percent) {
            std::fprintf(stderr, "\rtavolux-cli: transferring... %3d%%", percent);
            std::fflush(stderr);
        });
    }
    const bool completed = transfer.run();
    if (progressToTerminal_)
        std::fprintf(stderr, "\n");
    return completed;
}

bool CliHost::runStatusWindow()
{
    BlockExchange request(*session_->port(), [this](const QString& text) { inform(text); });
    request.setAnswerTimeout(session_->answerTimeoutMs());
    request.receive(BlockTransfer::StatusText);
    if (request.runToEnd())
        statusText_ = request.received();
    else
        failed_ = true;
    return !linkFailed_;
}

void CliHost::runFirmwareUpdate()
{
    QFile file;
    QString error;
    if (!RegularFile::openForReading(file, firmwareFile_, QIODevice::Text, &error)) {
        failed_ = true;
        say(QStringLiteral("%1 cannot be read: %2").arg(firmwareFile_, error));
        return;
    }
    say(QStringLiteral("Switch the unit off and on again to start its boot loader."));
    // The loader's reports on the terminal; a message is shown once it is printed.
    const qint64 fileSize = std::max<qint64>(file.size(), 1);
    bool ended = false;
    bool complete = false;
    auto print = [this](const QString& text) {
        std::fprintf(stderr, "%stavolux-cli: %s\n", progressToTerminal_ ? "\n" : "",
                     qPrintable(text));
    };
    QueuedLoaderListener::Handlers handlers;
    handlers.text = print;
    handlers.message = print;
    handlers.progress = [this, fileSize](qint64 position) {
        if (progressToTerminal_) {
            std::fprintf(stderr, "\rtavolux-cli: sending firmware... %3d%%",
                         static_cast<int>(position * 100 / fileSize));
            std::fflush(stderr);
        }
    };
    handlers.complete = [&complete] { complete = true; };
    handlers.ended = [&ended] { ended = true; };
    QueuedLoaderListener listener(std::move(handlers));
    FirmwareLoader loader(*session_->port(), file, listener);
    loader.start();
    // The loader's quiet time bounds this wait: a boot loader that stops answering ends it.
    static_cast<void>(serveEventsUntil(
        [&] { return ended || loader.quietMs() > loaderTimeoutMs_; }, QDeadlineTimer::Forever));
    if (!ended) {
        linkFailed_ = true;
        say(loader.state() == FirmwareLoader::State::Calling
                ? QStringLiteral("The boot loader did not answer.")
                : QStringLiteral("The boot loader stopped answering."));
    }
    loader.requestStop();
    // The worker may be waiting for a message to be printed here; its other waits end soon.
    static_cast<void>(serveEventsUntil([&] { return loader.hasEnded(); }, QDeadlineTimer::Forever));
    loader.join();
    linkFailed_ = linkFailed_ || loader.lineLost();
    firmwareComplete_ = complete;
    failed_ = failed_ || !firmwareComplete_;
}

void CliHost::runVoicePromptUpdate()
{
    BlockExchange send(*session_->port(), [this](const QString& text) { inform(text); });
    send.setAnswerTimeout(session_->answerTimeoutMs());
    QObject::connect(&send, &BlockExchange::progress, [this](int percent) {
        if (progressToTerminal_) {
            std::fprintf(stderr, "\rtavolux-cli: transferring... %3d%%", percent);
            std::fflush(stderr);
        }
    });
    send.send(BlockTransfer::VoicePrompts, voiceBlock_);
    const bool done = send.runToEnd();
    if (progressToTerminal_)
        std::fprintf(stderr, "\n");
    failed_ = failed_ || !done;
}
