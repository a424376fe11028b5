#include "ServeCommand.h"

#include "BlockTransfer.h"
#include "CliFiles.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "Gateway.h"
#include "PageDesk.h"
#include "PageHistory.h"
#include "PageRecorder.h"
#include "SerialPort.h"
#include "ServeEventsUntil.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "TerminationWatcher.h"
#include "UnitCommand.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const QCommandLineOption ListenOption(
    QStringLiteral("listen"),
    QStringLiteral("Where serve takes SNPP pages (HOST:PORT, [IPv6]:PORT or PORT on loopback)."),
    QStringLiteral("HOST:PORT"));
const QCommandLineOption HttpOption(
    QStringLiteral("http"),
    QStringLiteral("Where serve takes HTTP pages (HOST:PORT, [IPv6]:PORT or PORT on loopback)."),
    QStringLiteral("HOST:PORT"));

// How often an idle line is looked at for a far end that has gone.
constexpr int HangUpCheckMs = 1000;
// The page pump's period, the window's own.
constexpr int PumpIntervalMs = 50;

// One line on stderr for each thing that happens to the service.
void sayEvent(const QString& text)
{
    std::fprintf(stderr, "tavolux-cli: serve: %s\n", qPrintable(text));
    std::fflush(stderr);
}

// The unit kept connected: a connect at once, and after every failure or loss another after a
// pause that doubles up to its last.
class Connection : public QObject {
public:
    explicit Connection(Unit& unit)
        : unit_(unit)
    {
        unit_.host.setHeard([this](const QString& text) { heard_ << text; });
        retry_.setSingleShot(true);
        connect(&retry_, &QTimer::timeout, this, &Connection::tryConnect);
        connect(&unit_.session, &UnitSession::onlineChanged, this, [this](bool online) {
            if (!online && !ending_)
                lost(heardText());
        });
        // A line whose far end went while no page was on it is noticed without waiting for one.
        connect(&hangUpCheck_, &QTimer::timeout, this, [this] {
            if (unit_.session.isOnline() && !unit_.session.isPageBusy() &&
                unit_.session.port()->IsHungUp())
                unit_.session.GoOffline();
        });
        hangUpCheck_.start(HangUpCheckMs);
    }

    void tryConnect()
    {
        unit_.session.ConnectCommand();
        if (unit_.session.isOnline()) {
            retryMs_ = ServeCommand::FirstRetryMs;
            const QString notes = heardText();
            sayEvent(QStringLiteral("connected to the unit on %1%2")
                         .arg(portName(),
                              notes.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(notes)));
            return;
        }
        sayEvent(QStringLiteral("no connection to the unit on %1 (%2); retrying in %3 s")
                     .arg(portName(), heardText())
                     .arg(retryMs_ / 1000));
        scheduleRetry();
    }

    // No more retries: the service is leaving.
    void end()
    {
        ending_ = true;
        retry_.stop();
        hangUpCheck_.stop();
    }

private:
    void lost(const QString& why)
    {
        retryMs_ = ServeCommand::FirstRetryMs;
        sayEvent(QStringLiteral("lost the unit on %1 (%2); retrying in %3 s")
                     .arg(portName(), why.isEmpty() ? BlockTransfer::lineLostText() : why)
                     .arg(retryMs_ / 1000));
        scheduleRetry();
    }

    void scheduleRetry()
    {
        retry_.start(retryMs_);
        retryMs_ = std::min(retryMs_ * 2, ServeCommand::LastRetryMs);
    }

    QString heardText() { return std::exchange(heard_, {}).join(u' '); }
    QString portName() const { return unit_.session.port()->GetName(); }

    Unit& unit_;
    QStringList heard_;
    QTimer retry_;
    QTimer hangUpCheck_;
    int retryMs_ = ServeCommand::FirstRetryMs;
    bool ending_ = false;
};

std::optional<QString> checkListenAddress(const CommandLine& line, const QCommandLineOption& option,
                                          bool& on, ListenAddress& address)
{
    if (!line.parser().isSet(option))
        return std::nullopt;
    const std::optional<ListenAddress> parsed = ListenAddress::parse(line.parser().value(option));
    if (!parsed)
        return QStringLiteral(
                   "--%1 takes HOST:PORT, [IPv6]:PORT or PORT, with a port of 1 to 65535")
            .arg(option.names().first());
    on = true;
    address = *parsed;
    return std::nullopt;
}

} // namespace

ServeCommand::ServeCommand()
    : Command({QStringLiteral("serve"),
               QStringLiteral("[--listen HOST:PORT] [--http HOST:PORT] [DBFILE]"),
               QStringLiteral("run the paging gateway without a window until SIGTERM or SIGINT:\n"
                              "keep the unit connected, reconnecting when the line breaks, and\n"
                              "page DBFILE's pagers and groups (by default the database the\n"
                              "console used last) for page on this machine, SNPP and HTTP"),
               {UnitCommand::PortOption, ListenOption, HttpOption, UnitCommand::TimeoutOption}})
{}

std::optional<QString> ServeCommand::check(const CommandLine& line)
{
    if (const std::optional<QString> refusal = line.refuseOptionsOnlyFor(QStringLiteral("page")))
        return refusal;
    if (line.arguments().size() > 2)
        return QStringLiteral("serve takes one DBFILE at most; see --help");
    gatewaySettings_ = GatewaySettings::load();
    if (const std::optional<QString> refusal =
            checkListenAddress(line, ListenOption, gatewaySettings_.snppOn, gatewaySettings_.snpp))
        return refusal;
    if (const std::optional<QString> refusal =
            checkListenAddress(line, HttpOption, gatewaySettings_.httpOn, gatewaySettings_.http))
        return refusal;
    databaseFile_ = line.arguments().size() == 2
                        ? line.arguments()[1]
                        : SettingsStore::text(SettingsStore::SaveFile).value_or(QString());
    if (databaseFile_.isEmpty())
        return QStringLiteral("serve needs a DBFILE: none is given and the console has not "
                              "saved one");
    return std::nullopt;
}

int ServeCommand::run(const CommandLine& line)
{
    PortSettings settings = SettingsStore::portSettings();
    if (!line.port().isEmpty())
        settings.port = line.port();
    Unit unit(settings, line.answerTimeoutMs());
    if (const std::optional<int> refused = CliFiles::readDatabase(unit.database, databaseFile_))
        return *refused;
    // The user's one console: a console or another serve would fight this one for the port.
    SingleInstance instance;
    instance.answerAsService();
    if (!instance.tryBecomePrimary()) {
        Cli::fail(QStringLiteral("a console or another serve is already running for this user; "
                                 "it holds the unit, and page finds it"));
        return Cli::PortProblem;
    }
    TerminationWatcher termination;
    // Pages from this machine's command line come over the local socket; SNPP and HTTP from the
    // listeners that the settings or the command line turn on. A gateway that cannot listen
    // where it was told to is no gateway: it ends before it takes the port.
    Gateway gateway(unit.session, unit.database.image());
    if (const QStringList problems = gateway.apply(gatewaySettings_); !problems.isEmpty()) {
        for (const QString& problem : problems)
            Cli::fail(QStringLiteral("cannot listen: ") + problem);
        return Cli::PortProblem;
    }
    // As the settings window warns: facing the network with nobody allowed in pages no one.
    if (gatewaySettings_.snppOn && !gatewaySettings_.snpp.isLoopback() &&
        gatewaySettings_.logins.isEmpty())
        sayEvent(QStringLiteral("SNPP listens on %1 with no login: other machines cannot page")
                     .arg(gatewaySettings_.snpp.text()));
    if (gatewaySettings_.httpOn && !gatewaySettings_.http.isLoopback() &&
        gatewaySettings_.tokens.isEmpty())
        sayEvent(QStringLiteral("HTTP listens on %1 with no token: other machines cannot page")
                     .arg(gatewaySettings_.http.text()));
    if (const std::optional<int> failed = openPort(unit))
        return *failed;

    PageDesk& desk = gateway.desk();
    instance.setPageDesk(&desk);
    PageHistory history;
    QObject::connect(&history, &PageHistory::problem, [](const QString& message) {
        sayEvent(QStringLiteral("page history: ") + message);
    });
    history.setRetentionDays(
        SettingsStore::integer(SettingsStore::HistoryKeepDays, PageHistory::DefaultKeepDays));
    PageRecorder recorder(unit.session, history, PageRecorder::namesIn(unit.database));

    QTimer pump;
    QObject::connect(&pump, &QTimer::timeout, &unit.session, &UnitSession::PumpPages);
    pump.start(PumpIntervalMs);
    Connection connection(unit);
    connection.tryConnect();

    int signalNumber = 0;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested,
                     [&signalNumber](int number) {
                         if (signalNumber == 0) {
                             signalNumber = number;
                             QCoreApplication::exit(0);
                         }
                     });
    QCoreApplication::exec();

    // The page on the line is let finish; the ones still waiting are answered as dropped.
    sayEvent(QStringLiteral("ending on signal %1 after the page on the line").arg(signalNumber));
    connection.end();
    pump.stop();
    instance.setPageDesk(nullptr);
    gateway.close();
    static_cast<void>(serveEventsUntil(
        [&unit] { return !unit.session.isPageBusy(); },
        QDeadlineTimer(UnitSession::pageTimeLimitMs(unit.session.answerTimeoutMs()))));
    unit.session.Leave();
    sayEvent(QStringLiteral("ended"));
    return Cli::Success;
}
