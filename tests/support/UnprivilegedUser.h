#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Runs part in a forked child and returns its exit code, so that a part that may hang (a read
// from a FIFO) or must run as another user cannot take the test down with it. A child still
// running after timeoutSeconds is killed: 124. With asNobody the child first becomes `nobody`.
// The part returns 0 when all was as expected and says why not on stderr.
inline int runInForkedChild(const std::function<int()>& part, int timeoutSeconds, bool asNobody)
{
    uid_t uid = 0;
    gid_t gid = 0;
    if (asNobody) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody) {
            std::fprintf(stderr, "no user 'nobody' to drop to\n");
            return 125;
        }
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return 126;
    if (child == 0) {
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(127);
        const int code = part();
        std::fflush(nullptr);
        ::_exit(code);
    }

    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            std::fprintf(stderr, "the part in the child did not end within %d s\n", timeoutSeconds);
            return 124;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Permission checks mean nothing to root, and the tests run as root in CI. A part of a test that
// needs an ordinary user runs here: as root, in a forked child that has become `nobody`; as
// anyone else, directly. The files and folders it touches must be open to `nobody`.
inline int runAsUnprivilegedUser(const std::function<int()>& part, int timeoutSeconds = 30)
{
    if (::geteuid() != 0)
        return part();
    return runInForkedChild(part, timeoutSeconds, true);
}
