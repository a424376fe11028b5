#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// The simulated unit as a process of its own, on a pseudo-terminal linked into a private
// folder, recording what it receives in a log the test reads. It is started with posix_spawn:
// QProcess starts children with a raw clone() that ThreadSanitizer cannot follow, which spoils
// its view of the test's own threads.
class SimulatedUnit {
public:
    explicit SimulatedUnit(const QStringList& options = {})
    {
        QStringList arguments{QStringLiteral(TAVOLUX_UNITSIM)};
        arguments << options << QStringLiteral("--link") << path() << QStringLiteral("--log")
                  << logPath();
        std::vector<QByteArray> storage;
        for (const QString& argument : arguments)
            storage.push_back(argument.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& argument : storage)
            argv.push_back(argument.data());
        argv.push_back(nullptr);

        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (spawned != 0) {
            pid_ = -1;
            ::close(out[0]);
            return;
        }
        // The unit says where it is once it is listening.
        FILE* said = ::fdopen(out[0], "r");
        char line[512] = {};
        started_ = said && std::fgets(line, sizeof line, said) && std::strstr(line, "unit on");
        if (said)
            std::fclose(said);
    }
    ~SimulatedUnit()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    bool started() const { return started_; }
    QString path() const { return dir_.filePath(QStringLiteral("unit")); }
    QString logPath() const { return dir_.filePath(QStringLiteral("unit.log")); }

    // The events the unit logged, all or those of one kind, oldest first.
    QList<QJsonObject> events(const QString& name = {}) const
    {
        QList<QJsonObject> found;
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return found;
        while (!log.atEnd()) {
            const QJsonObject event = QJsonDocument::fromJson(log.readLine()).object();
            if (name.isEmpty() || event.value(QStringLiteral("event")).toString() == name)
                found << event;
        }
        return found;
    }

    bool waitForEvents(const QString& name, int count, int timeoutMs = 5000) const
    {
        return QTest::qWaitFor([&] { return events(name).size() >= count; }, timeoutMs);
    }

private:
    QTemporaryDir dir_;
    pid_t pid_ = -1;
    bool started_ = false;
};
