#include "TavoluxApp.h"

#include "Database.h"
#include "DatabaseCommands.h"
#include "Gateway.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PageHistory.h"
#include "PageRecorder.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "TerminationWatcher.h"
#include "Translations.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QSessionManager>
#include <QShortcut>
#include <QTimeZone>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

QString& programDirectoryValue()
{
    static QString directory;
    return directory;
}

int& localTimeOffsetValue()
{
    static int offset = 0;
    return offset;
}

QString usage(const char* program)
{
    return QStringLiteral("Usage: %1\nThe Tavolux console. It takes no arguments: the database and "
                          "the port are chosen in its File menu.\nFor scripts, see tavolux-cli "
                          "--help.\n")
        .arg(QFileInfo(QFile::decodeName(program)).fileName());
}

} // namespace

TavoluxApp::TavoluxApp(QApplication& app)
    : QObject(&app)
    , app_(app)
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(SettingsStore::Organisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(SettingsStore::Application));
    // No display name: the window system would add it to every title.

    // A mnemonic's underlined letter is drawn as a run of its own, shaped apart from its
    // neighbours: a caption measured with kerning is then drawn wider than its room and loses its
    // last letter ("Default Beep &Tone"). Without kerning, measuring and drawing agree.
    QFont font = QApplication::font();
    font.setKerning(false);
    QApplication::setFont(font);
}

QString TavoluxApp::programDirectory()
{
    return programDirectoryValue();
}

int TavoluxApp::localTimeOffset()
{
    return localTimeOffsetValue();
}

// Only the hours count: minutes of the offset and a change of date between the clocks do not.
int TavoluxApp::computeLocalTimeOffset(const QDateTime& utcNow, const QTimeZone& localZone)
{
    const int utcHour = utcNow.toUTC().time().hour();
    const int localHour = utcNow.toTimeZone(localZone).time().hour();
    return (localHour - utcHour) * 3600;
}

void TavoluxApp::showHelp(QWidget* parent)
{
    MessageBox::information(
        parent,
        tr("Help is provided as separate document.\nPlease check CD or install directory."));
}

void TavoluxApp::installHelp(QWidget* window)
{
    auto* help = new QShortcut(QKeySequence::HelpContents, window);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, window, [window] { showHelp(window); });
}

std::optional<int> TavoluxApp::answerHelp(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(qPrintable(usage(argv[0])), stdout);
            return 0;
        }
    }
    return std::nullopt;
}

int TavoluxApp::run()
{
    // Qt has taken its own options (-platform, ...) by now; anything left is refused before a
    // window, a setting or a file is touched, so that a mistyped option cannot pass unnoticed.
    const QStringList arguments = app_.arguments();
    if (arguments.size() > 1) {
        std::fprintf(stderr, "%s: unexpected argument \"%s\"\n%s",
                     qPrintable(QFileInfo(arguments.first()).fileName()),
                     qPrintable(arguments.at(1)),
                     qPrintable(usage(QFile::encodeName(arguments.first()).constData())));
        return 1;
    }
    Translations::install(app_, QLocale::system());
    localTimeOffsetValue() =
        computeLocalTimeOffset(QDateTime::currentDateTimeUtc(), QTimeZone::systemTimeZone());

    SingleInstance instance;
    if (!instance.tryBecomePrimary()) {
        if (instance.activateRunningInstance() != SingleInstance::Running::Service)
            return 0;
        MessageBox::warning(nullptr, tr("The paging gateway (tavolux-cli serve) is running for "
                                        "this user and holds the unit.\nEnd it to start the "
                                        "console."));
        return 1;
    }

    Database& database = Database::instance();
    const StartupDatabase opened = openLastDatabase(database);

    // Declared before the window, so that the pages its session drops on the way out are kept.
    PageHistory history;
    MainWindow window(database);
    // Heard before the window hands the history its retention, which may be the first to find
    // that the history cannot be written.
    connect(&history, &PageHistory::problem, &window, [&window](const QString& message) {
        std::fprintf(stderr, "tavolux: %s\n", qPrintable(message));
        window.showNotice(message);
    });
    window.setPageHistory(&history);
    PageRecorder recorder(window.session(), history, PageRecorder::namesIn(database));
    if (opened.fileUnread)
        window.databaseCommands().setCurrentPathUnread(opened.path);
    else
        window.setDatabasePath(opened.path);
    installHelp(&window);
    connect(&instance, &SingleInstance::activationRequested, &window, &MainWindow::bringToFront);
    // Pages from outside (tavolux-cli on this machine, SNPP, HTTP) go through the window's own
    // session, as its Send does, and the status bar names the last one.
    Gateway gateway(window.session(), database.image());
    instance.setPageDesk(&gateway.desk());
    connect(&gateway.desk(), &PageDesk::pageTaken, &window,
            [&window](const QString& source, uint16_t localId) {
                window.showOutsidePage(source, localId);
            });
    const auto listen = [&window, &gateway](const GatewaySettings& settings) {
        const QStringList problems = gateway.apply(settings);
        if (!problems.isEmpty())
            MessageBox::warning(
                &window, tr("The paging gateway cannot listen:\n%1").arg(problems.join(u'\n')));
    };
    connect(&window, &MainWindow::gatewaySettingsChanged, &window, listen);

    // Ended from outside: leave as Exit does, also out of any dialog that is open, the start-up
    // questions included.
    bool ended = false;
    const auto leave = [&window, &ended] {
        ended = true;
        window.leaveUnattended();
        QCoreApplication::exit(0);
    };
    TerminationWatcher termination;
    connect(&termination, &TerminationWatcher::terminationRequested, &window, leave);
    connect(&app_, &QGuiApplication::commitDataRequest, &window, leave, Qt::DirectConnection);
    window.databaseCommands().offerRecovery();
    if (!ended) {
        window.show();
        // Once the window is up, so that what the gateway has to say has a window to stand on; a
        // gateway must not wait for someone to press Connect.
        QTimer::singleShot(0, &window, [&window, listen] {
            const GatewaySettings settings = GatewaySettings::load();
            listen(settings);
            if (settings.connectAtStart)
                window.runCommand(ConnectCommand);
        });
        app_.exec();
    }
    gateway.close();

    rememberDatabase(window.databasePath());
    return 0;
}

TavoluxApp::StartupDatabase TavoluxApp::openLastDatabase(Database& database)
{
    database.image().createImage();
    programDirectoryValue() = QDir::currentPath();

    // A missing file is the first start: the console runs with the default contents under that
    // path, and a later save creates the file there.
    const QString defaultPath = Database::defaultDatabasePath(programDirectoryValue());
    StartupDatabase opened{SettingsStore::text(SettingsStore::SaveFile).value_or(defaultPath)};
    DatabaseReadResult read = database.readDatabaseFile(opened.path);
    if (read.status == DatabaseReadResult::ChecksumMismatch) {
        DatabaseCommands::warnDamaged(nullptr, opened.path, read);
    } else if (!read.opened() && read.refusal != DatabaseReadResult::Missing) {
        // A venue's file that this console cannot read stays as it is, its names included: the
        // defaults in use must not reach it unless the user says so.
        read.damagedCopyPath = Database::keepDamagedCopy(opened.path);
        DatabaseCommands::warnUnread(nullptr, opened.path, read);
        opened.fileUnread = true;
        return opened;
    }
    if (opened.path.isEmpty())
        opened.path = defaultPath;
    database.readNamesFile(opened.path);
    return opened;
}

void TavoluxApp::rememberDatabase(const QString& path)
{
    SettingsStore::setText(SettingsStore::SaveFile, path);
}
