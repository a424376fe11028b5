#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// A real pseudo-terminal: the port under test opens the slave by its path, the test plays the
// far end on the master.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = QString::fromLocal8Bit(name);
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PseudoTerminal()
    {
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return master_ >= 0; }
    QString slavePath() const { return path_; }
    int master() const { return master_; }
    // The test's own open of the slave: the far end that stays open while the port comes and goes.
    int slave() const { return slave_; }

    // The far end goes away, as a unit switched off or an adapter pulled: closing the master
    // hangs up every open of the slave.
    void hangUp()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    void send(const QByteArray& bytes) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (errno == EAGAIN)
                waitFor(POLLOUT, 1000);
            else
                return;
        }
    }

    // What the port sent, until count bytes have come or timeoutMs has passed.
    QByteArray receive(qsizetype count, int timeoutMs = 2000) const
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < timeoutMs) {
            char chunk[65536];
            const ssize_t n =
                ::read(master_, chunk,
                       static_cast<size_t>(std::min<qsizetype>(count - got.size(), sizeof chunk)));
            if (n > 0)
                got.append(chunk, n);
            else
                waitFor(POLLIN, static_cast<int>(timeoutMs - clock.elapsed()));
        }
        return got;
    }

    // Waits until the port's side has count bytes waiting to be read (the pty hands bytes over
    // a moment after they were written).
    bool waitUntilWaiting(int count, int timeoutMs = 2000) const
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            int waiting = 0;
            ::ioctl(slave_, FIONREAD, &waiting);
            if (waiting >= count)
                return true;
            if (clock.elapsed() > timeoutMs)
                return false;
            ::usleep(1000);
        }
    }

    termios masterSettings() const
    {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }

private:
    void waitFor(short events, int timeoutMs) const
    {
        pollfd p{master_, events, 0};
        ::poll(&p, 1, std::max(timeoutMs, 0));
    }

    int master_ = -1;
    int slave_ = -1;
    QString path_;
};
