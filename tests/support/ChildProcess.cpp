// Forked child processes with captured output.
#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

void takeWaitStatus(int status, ChildResult* result)
{
    if (WIFEXITED(status)) {
        result->exited = true;
        result->exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result->signal = WTERMSIG(status);
    }
}

ChildResult runInChild(const std::function<void()>& body, int timeoutSeconds)
{
    ChildResult result;
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return result;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0)
        return result;
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        close(outPipe[1]);
        close(errPipe[1]);
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(0);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec - start.tv_sec >= timeoutSeconds) {
            kill(pid, SIGKILL);
            result.timedOut = true;
            break;
        }
        if (poll(fds, 2, 200) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof(buf));
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(n));
            }
        }
    }
    for (pollfd& f : fds) {
        if (f.fd >= 0)
            close(f.fd);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    takeWaitStatus(status, &result);
    return result;
}

void closeInChild(int fd)
{
    ::close(fd);
}

void brokenPipeInChild(int fd)
{
    int ends[2];
    if (::pipe(ends) != 0)
        _exit(126);
    ::close(ends[0]);
    if (ends[1] != fd) {
        ::dup2(ends[1], fd);
        ::close(ends[1]);
    }
}

void stalledPipeInChild(int fd)
{
    int ends[2];
    if (::pipe(ends) != 0)
        _exit(126);
    // Filled up to the last byte through a description that does not wait;
    // the program's own end of it waits, as a blocking pipe does.
    const int flags = ::fcntl(ends[1], F_GETFL);
    if (flags == -1 || ::fcntl(ends[1], F_SETFL, flags | O_NONBLOCK) != 0)
        _exit(126);
    char block[4096];
    std::memset(block, '.', sizeof(block));
    while (::write(ends[1], block, sizeof(block)) > 0) {
    }
    while (::write(ends[1], block, 1) > 0) {
    }
    if (::fcntl(ends[1], F_SETFL, flags) != 0)
        _exit(126);
    // The reading end stays open in the program, unread.
    if (ends[1] != fd) {
        ::dup2(ends[1], fd);
        ::close(ends[1]);
    }
}

void fileSizeLimitInChild(unsigned long bytes)
{
    const rlimit limit = {static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        _exit(126);
}
