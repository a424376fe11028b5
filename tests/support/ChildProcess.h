#pragma once

#include <QByteArray>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// Starts a program with posix_spawn. QProcess starts children with a raw clone() that
// ThreadSanitizer cannot follow, which spoils its view of the test's own threads.
class ChildProcess {
public:
    // Starts program with arguments and extra environment ("NAME=value"); its stdout and
    // stderr come back through pipes.
    ChildProcess(const QString& program, const QStringList& arguments,
                 const QStringList& environment = {})
    {
        std::vector<QByteArray> argStore{program.toLocal8Bit()};
        for (const QString& argument : arguments)
            argStore.push_back(argument.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& argument : argStore)
            argv.push_back(argument.data());
        argv.push_back(nullptr);

        // A variable given here replaces the one of the same name: a child's getenv() would
        // find the first of two.
        std::vector<QByteArray> envStore;
        for (char** e = environ; *e; ++e) {
            const QByteArray inherited(*e);
            const QByteArray name = inherited.left(inherited.indexOf('=') + 1);
            bool replaced = false;
            for (const QString& variable : environment)
                replaced = replaced || (!name.isEmpty() && variable.toLocal8Bit().startsWith(name));
            if (!replaced)
                envStore.push_back(inherited);
        }
        for (const QString& variable : environment)
            envStore.push_back(variable.toLocal8Bit());
        std::vector<char*> envp;
        for (QByteArray& variable : envStore)
            envp.push_back(variable.data());
        envp.push_back(nullptr);

        int out[2];
        int err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ChildProcess()
    {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGTERM);
            wait();
        }
        if (out_ >= 0)
            ::close(out_);
        if (err_ >= 0)
            ::close(err_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }

    // One line of the child's stdout (without its end), or empty at the end.
    QByteArray readLine()
    {
        QByteArray line;
        char c = 0;
        while (::read(out_, &c, 1) == 1 && c != '\n')
            line.append(c);
        return line;
    }

    // Waits for the child to end, collecting everything it wrote; its exit code (-1 if killed).
    // A child still running after timeoutMs is killed, so that a hung child fails the test
    // instead of hanging it.
    int wait(int timeoutMs = 60000)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        for (;;) {
            collect();
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_ || (done < 0 && errno != EINTR))
                break;
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(pid_, SIGKILL);
                while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
                }
                break;
            }
            pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            ::poll(fds, 2, 10);
        }
        collect();
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The exit code if the child has ended (-1 if killed), without waiting: for a child that
    // talks to a server in the test's own event loop, which must keep running meanwhile.
    std::optional<int> exitCodeIfEnded()
    {
        if (ended_)
            return exitCode_;
        collect();
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_)
            return std::nullopt;
        collect();
        ended_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exitCode_;
    }
    // Ends the child at once, as a crash or a pulled plug would.
    void kill() { ::kill(pid_, SIGKILL); }
    void signal(int number) { ::kill(pid_, number); }
    // What the child has written to stderr so far, for a test that follows a running child.
    QByteArray standardErrorSoFar()
    {
        collect();
        return stderr_;
    }
    QByteArray standardOutput() const { return stdout_; }
    QByteArray standardError() const { return stderr_; }

private:
    // Takes what the child has written so far without waiting for more.
    void collect()
    {
        stdout_ += drain(out_);
        stderr_ += drain(err_);
    }
    static QByteArray drain(int fd)
    {
        QByteArray all;
        char chunk[4096];
        ssize_t n = 0;
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, 0) > 0 && (n = ::read(fd, chunk, sizeof chunk)) > 0)
            all.append(chunk, n);
        return all;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool ended_ = false;
    int exitCode_ = -1;
    QByteArray stdout_;
    QByteArray stderr_;
};
