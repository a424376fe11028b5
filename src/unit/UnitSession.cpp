#include "UnitSession.h"

#include "BlockExchange.h"
#include "SerialPort.h"
#include "ServeEventsUntil.h"
#include "UnitSessionHost.h"
#include "UnitText.h"

#include <QElapsedTimer>
#include <QTimer>

#include <optional>
#include <utility>

// The port's line settings and time-outs, taken before the console changes them for a while.
struct UnitSession::LineSnapshot {
    SerialPort::LineSetup line;
    int32_t readTimeout;
    int32_t writeTimeout;

    static LineSnapshot of(const SerialPort& port)
    {
        return {port.GetLineSetup(), port.GetReadTimeout(), port.GetWriteTimeout()};
    }
    void restore(SerialPort& port) const
    {
        // Settings the line took before it takes again; a line that has gone since fails its
        // next read or write, which is where that is said.
        static_cast<void>(port.SetLineSetup(line));
        port.RestoreTimeouts(readTimeout, writeTimeout);
    }
};

class UnitSession::PortInUse {
public:
    explicit PortInUse(UnitSession& session)
        : session_(session)
    {
        ++session_.portUsers_;
    }
    ~PortInUse() { --session_.portUsers_; }
    PortInUse(const PortInUse&) = delete;
    PortInUse& operator=(const PortInUse&) = delete;

private:
    UnitSession& session_;
};

QByteArray UnitSession::connectCommand()
{
    return QByteArray("\xAA\xBA\xCA\xDA", 4);
}

QByteArray UnitSession::disconnectCommand()
{
    return QByteArray("\xAA\xBA\xCA\xDB", 4);
}

QByteArray UnitSession::pageRecord(uint16_t localId, const QString& text)
{
    return QByteArray::number(localId) + RecordSeparator + UnitText::pageBytes(text) +
           RecordSeparator;
}

UnitSession::UnitSession(UnitSessionHost& host, QObject* parent)
    : QObject(parent)
    , host_(host)
    , answerTimeoutMs_(BlockTransfer::AnswerTimeoutMs)
{}

UnitSession::~UnitSession()
{
    pageExchange_.reset();
    // Whichever way the program ends (a failed command of the command line too), a unit that
    // heard a connect is told goodbye, so that the next connect finds it at its own speed.
    if (unitListensOnline_)
        Disconnect();
}

namespace {

UnitSession::PageEnd failureEnd(BlockTransfer::Failure failure)
{
    switch (failure) {
    case BlockTransfer::Failure::Silence:
        return UnitSession::PageEnd::Silence;
    case BlockTransfer::Failure::LineLost:
        return UnitSession::PageEnd::LineLost;
    case BlockTransfer::Failure::Refused:
    case BlockTransfer::Failure::None:
        break;
    }
    return UnitSession::PageEnd::Refused;
}

} // namespace

QString UnitSession::unusableSettingText(const PortSettings& settings)
{
    return tr("The line cannot be set to the saved %1 %2.\nChoose the settings again under "
              "Connection Settings.")
        .arg(settings.unusableName, settings.unusableValue);
}

void UnitSession::openPort(const PortSettings& settings)
{
    // Settings the line cannot take leave the port closed; Connect says which one it is.
    if (!settings.usable()) {
        port_ = std::make_unique<SerialPort>();
        return;
    }
    port_ = std::make_unique<SerialPort>(settings.port, settings.baudRate, settings.dataBits,
                                         settings.parity, settings.stopBits,
                                         SerialPort::NoHandshake, SerialPort::NoFlowControl);
    port_->SetReadTimeout(SerialPort::ShortReadTimeoutMs);
    port_->SetWriteTimeout(SerialPort::NoTimeLimit);
}

bool UnitSession::hasOpenPort() const
{
    return port_ && port_->IsOpen();
}

UnitSession::Answer UnitSession::waitForAnswer(Channel& channel, int waitMs,
                                               const std::function<qint64()>& elapsedMs)
{
    // Short reads: a read that is already waiting when the line breaks only sees it at its end.
    channel.SetReadTimeout(std::min(waitMs, SerialPort::ShortReadTimeoutMs));
    channel.TakeError();
    while (elapsedMs() < waitMs) {
        if (channel.ReadByte() == UnitAnswer)
            return Answer::Heard;
        // A read that failed will fail again at once: nothing comes over a line that is gone.
        if (channel.PeekError() != 0)
            return Answer::LineLost;
    }
    return Answer::Silent;
}

UnitSession::Answer UnitSession::waitForAnswer()
{
    QElapsedTimer clock;
    clock.start();
    return waitForAnswer(*port_, std::min(AnswerWaitMs, answerTimeoutMs_),
                         [&clock] { return clock.elapsed(); });
}

void UnitSession::setOnlineLineSettings()
{
    // The line runs 115200 8N1 everywhere it runs at all; one that has gone fails the write
    // or read that follows, which is where that is said.
    static_cast<void>(port_->SetLineSetup({OnlineBaudRate}));
}

bool UnitSession::Connect()
{
    // After the line broke, or when the port could not be opened before, the unit may be
    // back (switched on again, its adapter plugged in): open the device anew.
    if (port_ && !port_->GetName().isEmpty() && (!port_->IsOpen() || port_->IsHungUp()))
        port_->Reopen();
    if (!hasOpenPort()) {
        const PortSettings saved = host_.savedPortSettings();
        host_.inform(saved.usable() ? tr("Communications port not open, check configuration.")
                                    : unusableSettingText(saved));
        return false;
    }
    // Saved settings the device does not take are said once; the line runs with what it took.
    if (const QString refusal = port_->TakeRefusal();
        !refusal.isEmpty() && refusal != refusalSaid_) {
        refusalSaid_ = refusal;
        host_.notice(refusal);
    }
    SerialPort& port = *port_;
    const LineSnapshot before = LineSnapshot::of(port);
    auto giveUp = [&](const QString& text) {
        host_.inform(text);
        before.restore(port);
        return false;
    };

    port.PurgeInput();
    port.PurgeOutput();
    port.SetWriteTimeout(1000);
    port.WriteString(connectCommand());
    if (port.LastWriteCount() != 4)
        return giveUp(tr("Error sending connect command."));
    Answer answer = waitForAnswer();
    if (answer == Answer::Heard) {
        setOnlineLineSettings();
        unitListensOnline_ = true;
        return true;
    }
    if (answer == Answer::LineLost)
        return giveUp(BlockTransfer::lineLostText());
    if (port.GetBaudRate() == OnlineBaudRate)
        return giveUp(BlockTransfer::noResponseText());

    // The unit may still be at the online speed from an earlier connection.
    setOnlineLineSettings();
    port.PurgeInput();
    port.PurgeOutput();
    port.WriteString(connectCommand());
    if (port.LastWriteCount() != 4)
        return giveUp(tr("Error sending connect command."));
    answer = waitForAnswer();
    if (answer == Answer::Heard) {
        unitListensOnline_ = true;
        return true;
    }
    return giveUp(answer == Answer::LineLost ? BlockTransfer::lineLostText()
                                             : BlockTransfer::noResponseText());
}

void UnitSession::ConnectCommand()
{
    if (Connect())
        GoOnline();
}

bool UnitSession::Disconnect()
{
    if (!hasOpenPort())
        return false;
    // After a failure the line is back at the saved settings while the unit still listens at
    // the online speed: the goodbye goes at the speed it listens at.
    std::optional<LineSnapshot> offline;
    if (unitListensOnline_ && !online_) {
        offline = LineSnapshot::of(*port_);
        setOnlineLineSettings();
    }
    port_->SetWriteTimeout(1000);
    port_->WriteString(disconnectCommand());
    if (port_->LastWriteCount() == 4) {
        unitListensOnline_ = false;
        waitForAnswer();
    }
    if (offline)
        offline->restore(*port_);
    return true;
}

void UnitSession::DisconnectCommand()
{
    StopPageTransfer();
    if (Disconnect())
        GoOffline();
}

void UnitSession::StopPageTransfer()
{
    if (!pageExchange_)
        return;
    BlockExchange* stopping = pageExchange_.release();
    stopping->stop();
    // Its own report may be what called us: it goes once that report is over.
    stopping->deleteLater();
    pageBusy_ = false;
}

void UnitSession::GoOnline()
{
    online_ = true;
    pageBusy_ = false;
    emit onlineChanged(true);
}

void UnitSession::GoOffline()
{
    // The page worker owns the port while it runs, so it stops before the line is touched.
    StopPageTransfer();
    if (port_) {
        // The saved settings were usable when the port opened with them; the modes stay.
        const PortSettings saved = host_.savedPortSettings();
        static_cast<void>(
            port_->SetLineSetup({saved.baudRate, saved.dataBits, saved.parity, saved.stopBits,
                                 SerialPort::KeepMode, SerialPort::KeepMode}));
    }
    dropQueue();
    pageBusy_ = false;
    online_ = false;
    emit pageProgress(0);
    emit pageQueueChanged();
    emit onlineChanged(false);
}

QList<QByteArray> UnitSession::pageQueue() const
{
    QList<QByteArray> records;
    records.reserve(queue_.size());
    for (const QueuedPage& page : queue_)
        records.append(page.record);
    return records;
}

UnitSession::PageTicket UnitSession::QueuePage(const QByteArray& record, const PageOrigin& origin)
{
    if (!online_) {
        if (!origin.fromOutside())
            host_.alert(tr("Message not sent.  Not Connected!"));
        emit pageQueued(0, record, origin);
        return 0;
    }
    queue_.append({++lastTicket_, record});
    emit pageQueued(lastTicket_, record, origin);
    emit pageQueueChanged();
    return lastTicket_;
}

std::optional<UnitSession::PageRecordFields> UnitSession::parsePageRecord(const QByteArray& record)
{
    const QList<QByteArray> fields = record.split(RecordSeparator);
    // A record ends with a separator, so its last field is empty.
    if (fields.size() < 3 || !fields.constLast().isEmpty() || fields.at(0).isEmpty() ||
        fields.at(0).size() > 9)
        return std::nullopt;
    PageRecordFields parsed;
    for (const char digit : fields.at(0)) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        parsed.recipient = parsed.recipient * 10 + static_cast<uint32_t>(digit - '0');
    }
    parsed.text = QString::fromLatin1(fields.at(1));
    parsed.text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return parsed;
}

void UnitSession::endHeadPage(PageEnd end, const QString& reason)
{
    if (queue_.isEmpty() || queue_.first().ticket == 0)
        return;
    const PageTicket ticket = std::exchange(queue_.first().ticket, 0);
    emit pageEnded(ticket, end, reason);
}

void UnitSession::dropQueue()
{
    // Taken out first: whoever hears of a dropped page may queue again.
    const QList<QueuedPage> dropped = std::exchange(queue_, {});
    for (const QueuedPage& page : dropped) {
        if (page.ticket != 0)
            emit pageEnded(page.ticket, PageEnd::Dropped, {});
    }
}

void UnitSession::PumpPages()
{
    if (!online_) {
        if (!queue_.isEmpty()) {
            dropQueue();
            emit pageQueueChanged();
        }
        return;
    }
    if (queue_.isEmpty() || pageBusy_ || portUsers_ > 0 || !port_)
        return;

    pageBusy_ = true;
    pageExchange_ = std::make_unique<BlockExchange>(*port_, [this](const QString& text) {
        // The page has failed when its message is shown; whoever waits for it hears at once,
        // not once the user has closed the message.
        endHeadPage(
            failureEnd(pageExchange_ ? pageExchange_->failure() : BlockTransfer::Failure::None),
            text);
        host_.inform(text);
    });
    pageExchange_->setAnswerTimeout(answerTimeoutMs_);
    BlockExchange* page = pageExchange_.get();
    connect(page, &BlockExchange::progress, this,
            [this](int percent) { emit pageProgress(std::min(percent, 100)); });
    connect(page, &BlockExchange::done, this, [this, page] {
        endHeadPage(PageEnd::Confirmed, {});
        // The unit gets a moment between pages; page busy holds the next one back meanwhile,
        // and the window stays responsive. The pause ends with the page's transfer.
        QTimer::singleShot(pagePauseMs_, page, [this] {
            emit pageProgress(0);
            if (!queue_.isEmpty())
                queue_.removeFirst();
            StopPageTransfer();
            emit pageQueueChanged();
        });
    });
    connect(page, &BlockExchange::failed, this, [this, page] {
        emit pageProgress(0);
        endHeadPage(failureEnd(page->failure()), {});
        if (!queue_.isEmpty())
            emit pageFailed(queue_.first().record);
        StopPageTransfer();
        GoOffline();
    });
    page->send(BlockTransfer::PageRecord, queue_.first().record);
}

bool UnitSession::refusedWithoutPort()
{
    if (hasOpenPort())
        return false;
    host_.alert(tr("ERROR: You must specify a communications port first!"));
    return true;
}

bool UnitSession::refusedWhileOffline()
{
    if (online_)
        return false;
    host_.alert(tr("You must be Connected."));
    return true;
}

// A window's blocks and a page must not share the port.
bool UnitSession::refusedWhilePaging()
{
    if (!pageBusy_)
        return false;
    host_.alert(tr("Please wait for all message to be sent."));
    return true;
}

void UnitSession::runImageTransfer(uint8_t type)
{
    if (refusedWithoutPort() || refusedWhileOffline() || refusedWhilePaging())
        return;
    if (type == BlockTransfer::ImageToUnit)
        host_.saveDatabase();
    bool completed = false;
    {
        PortInUse inUse(*this);
        completed = host_.runImageTransfer(type);
    }
    if (!completed)
        GoOffline();
    else if (type == BlockTransfer::ImageFromUnit)
        host_.imageReplaced();
}

void UnitSession::DownloadCommand()
{
    runImageTransfer(BlockTransfer::ImageToUnit);
}

void UnitSession::UploadCommand()
{
    runImageTransfer(BlockTransfer::ImageFromUnit);
}

void UnitSession::StatusCommand()
{
    if (refusedWhileOffline() || refusedWhilePaging())
        return;
    bool answered = false;
    {
        PortInUse inUse(*this);
        answered = host_.runStatusWindow();
    }
    if (!answered)
        GoOffline();
}

bool UnitSession::GoOfflineFirst()
{
    if (online_) {
        if (!host_.confirm(tr("Communications will be placed offline, continue?")))
            return false;
        DisconnectCommand();
    }
    return true;
}

void UnitSession::FirmwareUpdateCommand()
{
    if (refusedWithoutPort() || !GoOfflineFirst())
        return;
    const LineSnapshot before = LineSnapshot::of(*port_);
    {
        PortInUse inUse(*this);
        host_.runFirmwareUpdate();
    }
    if (port_) {
        before.restore(*port_);
        port_->PurgeInput();
        port_->PurgeOutput();
    }
}

void UnitSession::VoicePromptUpdateCommand()
{
    if (refusedWithoutPort() || refusedWhileOffline() || refusedWhilePaging())
        return;
    PortInUse inUse(*this);
    host_.runVoicePromptUpdate();
}

void UnitSession::ConnectionSettingsCommand()
{
    if (GoOfflineFirst())
        host_.runConnectionSettings();
}

void UnitSession::Leave()
{
    StopPageTransfer();
    dropQueue();
    Disconnect();
}

qint64 UnitSession::pageTimeLimitMs(int answerTimeoutMs, int pagePauseMs)
{
    // A page waits for at most five answers (the length's, three between its 64-byte blocks, the
    // last one), each ended by the answer time-out; a unit that answers each just in time still
    // gets no more than this.
    constexpr qint64 AnswersPerPage = 5;
    return AnswersPerPage * answerTimeoutMs + pagePauseMs;
}

void UnitSession::sendQueuedPages()
{
    if (!online_ || queue_.isEmpty())
        return;
    constexpr int PumpIntervalMs = 50;
    const qint64 limitMs =
        queue_.size() * pageTimeLimitMs(answerTimeoutMs_, pagePauseMs_) + PumpIntervalMs;
    QTimer pump;
    connect(&pump, &QTimer::timeout, this, &UnitSession::PumpPages);
    pump.start(PumpIntervalMs);
    static_cast<void>(serveEventsUntil([this] { return !online_ || queue_.isEmpty(); },
                                       QDeadlineTimer(limitMs),
                                       QEventLoop::ExcludeUserInputEvents));
}
