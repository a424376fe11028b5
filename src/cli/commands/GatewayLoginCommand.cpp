#include "GatewayLoginCommand.h"

#include "Credentials.h"
#include "ExitCode.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The terminal as it was before echo went off, put back however the command ends.
termios echoingTerminal{};
// The signals that end the command while it waits for the password.
constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void restoreEchoAndEnd(int signalNumber)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &echoingTerminal);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// While it lives, what is typed on the terminal at stdin is not shown.
class NoEcho {
public:
    NoEcho()
    {
        if (::tcgetattr(STDIN_FILENO, &echoingTerminal) != 0)
            return;
        struct sigaction restoring {};
        restoring.sa_handler = restoreEchoAndEnd;
        sigemptyset(&restoring.sa_mask);
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            ::sigaction(EndingSignals[i], &restoring, &before_[i]);
        termios quiet = echoingTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
        handling_ = true;
    }
    ~NoEcho()
    {
        if (active_)
            ::tcsetattr(STDIN_FILENO, TCSANOW, &echoingTerminal);
        if (handling_)
            for (size_t i = 0; i < std::size(EndingSignals); ++i)
                ::sigaction(EndingSignals[i], &before_[i], nullptr);
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    struct sigaction before_[std::size(EndingSignals)]{};
    bool active_ = false;
    bool handling_ = false;
};

struct Line {
    QByteArray text;
    QString problem; // empty: the line is text
};

// One line of stdin without its end (a last line without one will do), read a byte at a time
// so that nothing after it is taken.
Line readLine()
{
    const QDeadlineTimer deadline(GatewayLoginCommand::PasswordWaitMs);
    QByteArray line;
    for (;;) {
        pollfd waiting{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return {{},
                    QStringLiteral("no password came on stdin within %1 seconds")
                        .arg(GatewayLoginCommand::PasswordWaitMs / 1000)};
        char c = 0;
        const ssize_t n = ready < 0 ? -1 : ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {{}, QStringLiteral("stdin could not be read: %1").arg(qt_error_string(errno))};
        if (n == 0 || c == '\n')
            break;
        if (line.size() == GatewayLoginCommand::MaxPasswordLength + 1)
            return {{},
                    QStringLiteral("a password is at most %1 bytes")
                        .arg(GatewayLoginCommand::MaxPasswordLength)};
        line.append(c);
    }
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > GatewayLoginCommand::MaxPasswordLength)
        return {{},
                QStringLiteral("a password is at most %1 bytes")
                    .arg(GatewayLoginCommand::MaxPasswordLength)};
    if (line.isEmpty())
        return {{}, QStringLiteral("the password is empty; give it on stdin, one line")};
    return {line, {}};
}

// On a terminal: the echo goes off before the prompt (on stderr) invites typing, and the line
// end the terminal no longer shows is written for it.
Line askOnTerminal(const char* prompt)
{
    Line line;
    {
        NoEcho quiet;
        std::fputs(prompt, stderr);
        std::fflush(stderr);
        line = readLine();
    }
    std::fputs("\n", stderr);
    return line;
}

} // namespace

GatewayLoginCommand::GatewayLoginCommand()
    : GatewayCredentialCommand(
          {QStringLiteral("gateway-login"),
           QStringLiteral("[--remove] NAME"),
           QStringLiteral("set the gateway login NAME with the password on stdin (one\n"
                          "line; from a terminal, asked twice without echo), replacing\n"
                          "NAME's old one; --remove takes the login away"),
           {RemoveOption}},
          QStringLiteral("login"))
{}

std::variant<Credential, int> GatewayLoginCommand::make(const QString& name)
{
    Line password;
    if (::isatty(STDIN_FILENO)) {
        password = askOnTerminal("Password: ");
        if (password.problem.isEmpty()) {
            const Line again = askOnTerminal("Repeat the password: ");
            if (!again.problem.isEmpty())
                password = again;
            else if (again.text != password.text)
                password = {{}, QStringLiteral("the two passwords differ; nothing changed")};
        }
    } else {
        password = readLine();
    }
    if (!password.problem.isEmpty()) {
        Cli::fail(password.problem);
        return Cli::UsageError;
    }
    return Credentials::makeLogin(name, password.text);
}
