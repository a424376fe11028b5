#pragma once

#include "BlockExchange.h"
#include "ConfigurationImage.h"
#include "ImageTransfer.h"
#include "SerialPort.h"
#include "UnitSession.h"
#include "UnitSessionHost.h"

#include <QStringList>
#include <QTimer>
#include <functional>

// The program around the session, as the tests need it: what the session says is recorded,
// questions are answered from a field, and the image transfers run without a window.
class TestHost : public UnitSessionHost {
public:
    UnitSession* session = nullptr;
    ConfigurationImage image;
    PortSettings saved;
    bool confirmAnswer = true;
    int abortTransferAfterMs = -1;
    QStringList informed;
    QStringList alerted;
    QStringList asked;
    QStringList calls; // save, transfer N, status, imageReplaced, ... in order
    QByteArray statusText;
    // Runs while an image transfer is under way, as the window's timer and other windows would.
    std::function<void()> duringTransfer;
    // Runs while a transfer's message is open, as the user reads it.
    std::function<void()> whileMessageShows;

    void inform(const QString& text) override { informed << text; }
    void alert(const QString& text) override { alerted << text; }
    bool confirm(const QString& text) override
    {
        asked << text;
        return confirmAnswer;
    }
    PortSettings savedPortSettings() override { return saved; }
    void saveDatabase() override { calls << QStringLiteral("save"); }
    bool runImageTransfer(uint8_t type) override
    {
        calls << QStringLiteral("transfer %1").arg(type);
        ImageTransfer transfer(*session->port(), image, type, [this](const QString& text) {
            informed << text;
            if (whileMessageShows)
                whileMessageShows();
        });
        transfer.setAnswerTimeout(session->answerTimeoutMs());
        if (abortTransferAfterMs >= 0)
            QTimer::singleShot(abortTransferAfterMs, &transfer, &ImageTransfer::abort);
        if (duringTransfer)
            QTimer::singleShot(0, &transfer, duringTransfer);
        return transfer.run();
    }
    bool runStatusWindow() override
    {
        calls << QStringLiteral("status");
        BlockExchange request(*session->port(), [this](const QString& text) { informed << text; });
        request.setAnswerTimeout(session->answerTimeoutMs());
        request.receive(8);
        if (request.runToEnd()) {
            statusText = request.received();
            return true;
        }
        // As the status window: only silence and a lost line count as a failed request.
        return request.failure() == BlockTransfer::Failure::Refused;
    }
    void runFirmwareUpdate() override { calls << QStringLiteral("firmware"); }
    void runVoicePromptUpdate() override { calls << QStringLiteral("voice"); }
    void runConnectionSettings() override { calls << QStringLiteral("settings"); }
    void imageReplaced() override { calls << QStringLiteral("imageReplaced"); }
};
