#pragma once

#include "PageOrigin.h"
#include "PortSettings.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class BlockExchange;
class Channel;
class SerialPort;
class UnitSessionHost;

// The console's dealings with the unit: it owns the serial port, knows whether the unit is
// online, and sends the page queue one record at a time, each as its own block transfer. The
// window (or the command-line front end) is its host and shows what it has to say.
//
// Line settings follow the state: the saved settings while offline, 115200 baud 8N1 online.
class UnitSession : public QObject {
    Q_OBJECT
public:
    static constexpr uint8_t UnitAnswer = 0xA6;
    static constexpr uint32_t OnlineBaudRate = 115200;
    static constexpr int AnswerWaitMs = 1000;
    static constexpr int PagePauseMs = 300;
    static constexpr char RecordSeparator = 0x1E;

    static QByteArray connectCommand();
    static QByteArray disconnectCommand();
    // The local ID in decimal, 0x1E, the text, 0x1E.
    static QByteArray pageRecord(uint16_t localId, const QString& text);

    enum class Answer { Heard, Silent, LineLost };
    // Reads the channel until the unit's answer comes, waitMs go by on the clock (milliseconds
    // since the wait began) or the line breaks. Connect's tries and Disconnect all wait this way.
    static Answer waitForAnswer(Channel& channel, int waitMs,
                                const std::function<qint64()>& elapsedMs);

    // The longest one page can take on the line, the unit's pause after it included.
    static qint64 pageTimeLimitMs(int answerTimeoutMs, int pagePauseMs = PagePauseMs);

    // Names the saved line setting that the line cannot take.
    static QString unusableSettingText(const PortSettings& settings);

    explicit UnitSession(UnitSessionHost& host, QObject* parent = nullptr);
    ~UnitSession() override;

    // The port as the window is built: from the saved settings, kept even when it cannot be opened.
    void openPort(const PortSettings& settings);
    std::unique_ptr<SerialPort>& portSlot() { return port_; }
    SerialPort* port() const { return port_.get(); }
    bool hasOpenPort() const;

    // How long the unit may leave an awaited answer unsaid, in every exchange of the session;
    // the waits for the answers to connect and disconnect are never longer.
    int answerTimeoutMs() const { return answerTimeoutMs_; }
    void setAnswerTimeout(int ms) { answerTimeoutMs_ = ms; }
    // The unit's moment between two pages.
    void setPagePause(int ms) { pagePauseMs_ = ms; }

    bool isOnline() const { return online_; }
    // Offline, says "You must be Connected." (with its beep) and returns true.
    bool refusedWhileOffline();
    bool isPageBusy() const { return pageBusy_; }
    // The page records waiting, the one on the line first.
    QList<QByteArray> pageQueue() const;

    // Names one queued page in pageEnded; 0 names none.
    using PageTicket = quint64;
    // How a queued page ended.
    enum class PageEnd {
        Confirmed, // the unit took it
        Refused,   // the unit answered against it
        Silence,   // the unit stopped answering
        LineLost,  // the line broke
        Dropped,   // it was still waiting when the console went offline or closed
    };

    bool Connect();
    void ConnectCommand();
    bool Disconnect();
    void DisconnectCommand();
    void StopPageTransfer();
    void GoOnline();
    void GoOffline();
    // Offline, queues nothing and returns 0, after saying so (with its beep) when the page is
    // the window's own.
    PageTicket QueuePage(const QByteArray& record, const PageOrigin& origin);
    // Whom a page record is for (a local ID, or the capcode of a coaster page) and its text
    // (the coaster page's code), or nothing when it is not a record.
    struct PageRecordFields {
        uint32_t recipient = 0;
        QString text;
    };
    static std::optional<PageRecordFields> parsePageRecord(const QByteArray& record);
    // Called on every tick of the window's 50 ms timer: starts the next page when it can.
    void PumpPages();
    void DownloadCommand();
    void UploadCommand();
    void StatusCommand();
    bool GoOfflineFirst();
    void FirmwareUpdateCommand();
    void VoicePromptUpdateCommand();
    void ConnectionSettingsCommand();
    // Leaving the program: stop a page under way and tell the unit goodbye, online or not.
    void Leave();
    // Sends what is queued before Leave would drop it: returns once the queue is empty, a page
    // has failed (the queue is dropped with it) or the unit has had time enough for every page.
    void sendQueuedPages();

signals:
    void onlineChanged(bool online);
    // Progress of the page being sent, 0 to 100; 0 again when it is over.
    void pageProgress(int percent);
    void pageQueueChanged();
    // The unit did not take this page record; the session goes offline after it.
    void pageFailed(const QByteArray& record);
    // Every call of QueuePage, with the ticket it returned (0: refused, the console was offline).
    void pageQueued(UnitSession::PageTicket ticket, const QByteArray& record,
                    const PageOrigin& origin);
    // Every page QueuePage took ends here once, whatever becomes of it; message is what the
    // user was shown about it, if anything.
    void pageEnded(UnitSession::PageTicket ticket, UnitSession::PageEnd end,
                   const QString& message);

private:
    struct LineSnapshot;
    // Held while a window moves blocks of its own over the port; pages wait meanwhile.
    class PortInUse;

    struct QueuedPage {
        PageTicket ticket; // 0 once its end has been told
        QByteArray record;
    };
    void endHeadPage(PageEnd end, const QString& reason);
    void dropQueue();
    bool refusedWithoutPort();
    bool refusedWhilePaging();
    Answer waitForAnswer();
    void setOnlineLineSettings();
    void runImageTransfer(uint8_t type);

    UnitSessionHost& host_;
    std::unique_ptr<SerialPort> port_;
    bool online_ = false;
    // The unit answered a connect and has heard no disconnect since: it listens at the online
    // speed, also after a failure has taken the console offline.
    bool unitListensOnline_ = false;
    bool pageBusy_ = false;
    QList<QueuedPage> queue_;
    PageTicket lastTicket_ = 0;
    std::unique_ptr<BlockExchange> pageExchange_;
    int portUsers_ = 0;
    QString refusalSaid_;
    int answerTimeoutMs_;
    int pagePauseMs_ = PagePauseMs;
};
