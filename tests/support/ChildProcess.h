// Runs a piece of a test in a forked child process with its standard output
// and error captured, for code that ends the process (usage texts, fatal
// signals, the web browser) or changes process-wide state.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

struct ChildResult {
    bool exited = false;  // ended through exit/_exit (else killed by a signal or timed out)
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
    std::string out;
    std::string err;
};

// A child (a program run, or a body run by runInChild) ended in time through
// exit with `code`; on failure, what it wrote. For use in GoogleTest tests.
#define EXPECT_EXITED_WITH(result, code)                                                                              \
    do {                                                                                                              \
        EXPECT_FALSE((result).timedOut);                                                                              \
        EXPECT_TRUE((result).exited) << "signal " << (result).signal << "\n" << (result).err;                         \
        EXPECT_EQ((result).exitCode, code) << (result).out << (result).err;                                           \
    } while (0)

#define EXPECT_EXITED_CLEANLY(result) EXPECT_EXITED_WITH(result, 0)

// The exit code, or the signal, of a child's wait status (waitpid).
void takeWaitStatus(int status, ChildResult* result);

// The body runs in the child; if it returns, the child exits with code 0.
// The child is killed after timeoutSeconds.
ChildResult runInChild(const std::function<void()>& body, int timeoutSeconds = 20);

// Steps a child takes before it becomes a program, for the edges a hostile
// environment gives a process (ProgramSandbox::inEveryChild): `fd` closed;
// `fd` the writing end of a pipe whose reading end is already closed, so
// every write to it fails (EPIPE) or raises SIGPIPE; a file-size limit of
// `bytes`, past which writes fail (EFBIG) or raise SIGXFSZ, as under
// `ulimit -f`; `fd` the writing end of a full pipe that nobody reads (its
// reading end stays open in the program), so that a write to it waits, as
// on a terminal stopped with Ctrl-S.
void closeInChild(int fd);
void brokenPipeInChild(int fd);
void fileSizeLimitInChild(unsigned long bytes);
void stalledPipeInChild(int fd);

// Checks made inside a child process, where GoogleTest's own would not reach
// the parent: each failure is printed ("FAIL: ...") and counted, and the
// child's exit code tells the parent whether any failed.
class ChildChecks {
public:
    void operator()(bool ok, const std::string& what)
    {
        if (!ok) {
            std::printf("FAIL: %s\n", what.c_str());
            ++m_iFailures;
        }
    }
    int failures() const { return m_iFailures; }

private:
    int m_iFailures = 0;
};
