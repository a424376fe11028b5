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

void CliHost::runStatusWindow()
{
    BlockExchange request(*session_->port(), [this](const QString& text) { inform(text); });
    QEventLoop loop;
    QObject::connect(&request, &BlockExchange::done, &loop, [&] {
        statusText_ = request.received();
        loop.quit();
    });
    QObject::connect(&request, &BlockExchange::failed, &loop, [&] {
        failed_ = true;
        loop.quit();
    });
    request.receive(8);
    loop.exec();
    request.stop();
}
