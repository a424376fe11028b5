// How often the console wakes the computer while nobody uses it, beside a bare Qt window measured
// in the same run: wake-ups per second (context switches of all the program's threads) and the
// share of one CPU it takes.
//
//   tavolux_bench_idle [SECONDS [CONSOLE]]
//
// SECONDS of measuring, 10 to 30 (15 by default); CONSOLE is another build's tavolux to compare.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

struct Sample {
    qint64 switches = 0; // voluntary and involuntary, over every thread
    qint64 cpuTicks = 0; // user and system time in clock ticks
};

qint64 fieldAfter(const QByteArray& status, const QByteArray& name)
{
    const qsizetype at = status.indexOf(name);
    if (at < 0)
        return 0;
    const qsizetype end = status.indexOf('\n', at);
    return status.mid(at + name.size(), end - at - name.size()).trimmed().toLongLong();
}

Sample sample(qint64 pid)
{
    Sample s;
    const QString taskFolder = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(taskFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(taskFolder + u'/' + task + QStringLiteral("/status"));
        if (status.open(QIODevice::ReadOnly)) {
            const QByteArray text = status.readAll();
            s.switches += fieldAfter(text, "voluntary_ctxt_switches:") +
                          fieldAfter(text, "nonvoluntary_ctxt_switches:");
        }
    }
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        // The fields after the command name, which is in parentheses and may hold blanks.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            s.cpuTicks = fields[11].toLongLong() + fields[12].toLongLong();
    }
    return s;
}

struct Measured {
    explicit Measured(const char* shownName)
        : name(shownName)
    {}
    const char* name;
    QProcess process;
    Sample first;
};

int bareWindow(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(522, 480);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--bare-window") == 0)
        return bareWindow(argc, argv);
    const int seconds = argc > 1 ? std::clamp(QByteArray(argv[1]).toInt(), 10, 30) : 15;

    QTemporaryDir sandbox;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       sandbox.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), sandbox.path());
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));

    Measured console("console");
    Measured bare("bare Qt window");
    console.process.setProgram(argc > 2
                                   ? QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath()
                                   : QStringLiteral(TAVOLUX_EXECUTABLE));
    // Started from the sandbox folder: this program by its whole path.
    bare.process.setProgram(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    bare.process.setArguments({QStringLiteral("--bare-window")});
    for (Measured* m : {&console, &bare}) {
        m->process.setProcessEnvironment(environment);
        m->process.setWorkingDirectory(sandbox.path());
        m->process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m->process.start();
        if (!m->process.waitForStarted(10000)) {
            std::fprintf(stderr, "%s did not start\n", m->name);
            return 1;
        }
    }
    // Let both settle after start-up before counting.
    QThread::sleep(3);
    for (Measured* m : {&console, &bare})
        m->first = sample(m->process.processId());
    QThread::sleep(static_cast<unsigned long>(seconds));

    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    std::printf("idle for %d s (offscreen)\n", seconds);
    std::printf("%-16s %12s %10s\n", "", "wake-ups/s", "CPU %");
    int status = 0;
    for (Measured* m : {&console, &bare}) {
        if (m->process.state() != QProcess::Running) {
            std::fprintf(stderr, "%s ended early\n", m->name);
            status = 1;
            continue;
        }
        const Sample last = sample(m->process.processId());
        std::printf("%-16s %12.2f %10.3f\n", m->name,
                    static_cast<double>(last.switches - m->first.switches) / seconds,
                    100.0 * static_cast<double>(last.cpuTicks - m->first.cpuTicks) /
                        ticksPerSecond / seconds);
    }
    for (Measured* m : {&console, &bare}) {
        m->process.terminate();
        if (!m->process.waitForFinished(5000)) {
            m->process.kill();
            m->process.waitForFinished(5000);
        }
    }
    return status;
}
