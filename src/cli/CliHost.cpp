#include "CliHost.h"

#include "BlockExchange.h"
#include "ImageTransfer.h"
#include "SerialPort.h"
#include "UnitSession.h"

#include <QEventLoop>

#include <cstdio>
#include <unistd.h>

CliHost::CliHost(ConfigurationImage& image, PortSettings saved)
    : image_(image)
    , saved_(std::move(saved))
    , progressToTerminal_(::isatty(STDERR_FILENO) != 0)
{}

void CliHost::say(const QString& text)
{
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
    QEventLoop loop;
    QObject::connect(&request, &BlockExchange::done, &loop, [&] {
        statusText_ = request.received();
        loop.quit();
    });
    QObject::connect(&request, &BlockExchange::failed, &loop, [&] {
        failed_ = true;
        loop.quit();
    });
    request.receive(BlockTransfer::StatusText);
    loop.exec();
    request.stop();
    return !failed_;
}
