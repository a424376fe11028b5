#pragma once

#include "UnitSessionHost.h"

#include <QByteArray>
#include <QString>

#include <functional>

class ConfigurationImage;
class UnitSession;

// The unit session's host on a terminal: what the window would show goes to stderr, questions
// are answered yes (a script has already decided), and the transfers run without windows.
class CliHost : public UnitSessionHost {
public:
    CliHost(ConfigurationImage& image, PortSettings saved);
    void setSession(UnitSession* session) { session_ = session; }
    // What the session says goes to heard instead of stderr, for a caller that puts it into
    // lines of its own.
    void setHeard(std::function<void(const QString&)> heard) { heard_ = std::move(heard); }

    bool failed() const { return failed_; }
    // The unit went quiet or the line broke, as opposed to the unit refusing something.
    bool linkFailed() const { return linkFailed_; }
    QByteArray statusText() const { return statusText_; }

    void inform(const QString& text) override;
    void alert(const QString& text) override;
    // Said on stderr; the command goes on and may still succeed.
    void notice(const QString& text) override { say(text); }
    bool confirm(const QString& text) override;
    PortSettings savedPortSettings() override { return saved_; }
    // The file on the command line is what goes to the unit; there is nothing to save first.
    void saveDatabase() override {}
    bool runImageTransfer(uint8_t type) override;
    bool runStatusWindow() override;
    // The HEX file the firmware update sends, and how long the loader may stay quiet.
    void setFirmware(const QString& fileName, int loaderTimeoutMs)
    {
        firmwareFile_ = fileName;
        loaderTimeoutMs_ = loaderTimeoutMs;
    }
    // The block of type 5 the voice prompt update sends.
    void setVoiceBlock(const QByteArray& block) { voiceBlock_ = block; }
    bool firmwareComplete() const { return firmwareComplete_; }
    void runFirmwareUpdate() override;
    void runVoicePromptUpdate() override;
    void runConnectionSettings() override {}
    void imageReplaced() override {}

private:
    void say(const QString& text);

    ConfigurationImage& image_;
    PortSettings saved_;
    UnitSession* session_ = nullptr;
    bool failed_ = false;
    bool linkFailed_ = false;
    bool progressToTerminal_;
    QByteArray statusText_;
    QString firmwareFile_;
    int loaderTimeoutMs_ = 0;
    bool firmwareComplete_ = false;
    QByteArray voiceBlock_;
    std::function<void(const QString&)> heard_;
};
