// A program that a test starts and then acts on while it runs: clicks on its
// window, reads the files it writes, waits for it to end. Its standard
// output and error go to files of its own; a program still running when the
// object goes away is killed.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class RunningProgram {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;
    // A step of the forked child before anything else it does to become the
    // program (after its output streams are in place): a descriptor closed,
    // a limit set (tests/support/ChildProcess.h has the usual ones).
    using ChildSetup = std::function<void()>;

    RunningProgram();
    ~RunningProgram();

    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Starts argv[0] with `argv` in `workDir`, its environment the test's
    // with `env` applied (an empty value unsets the variable). False when
    // no process could be made; a program that cannot be executed exits
    // with 127. With `ordinaryUser` a child of root takes the ordinary user
    // (tests/support/OrdinaryUser.h) before it executes; `setup` runs in the
    // child first.
    bool start(const std::vector<std::string>& argv, const std::string& workDir, const Environment& env,
               bool ordinaryUser = false, const ChildSetup& setup = nullptr);
    // Whether it still runs (false before start).
    bool running();
    pid_t pid() const { return m_pid; }
    // Waits until it ends, killing it after timeoutSeconds; its exit and output.
    ChildResult wait(double timeoutSeconds);

private:
    TempDir m_output;
    pid_t m_pid;
    bool m_bEnded;
    int m_iStatus;
};

// The last steps of a forked child that becomes a program: `setup` when
// given, the ordinary user when asked (a child of root), `workDir`, the
// environment with `env` applied (an empty value unsets the variable), then
// argv[0] executed. A step that fails is named on standard error and the
// child exits with 127.
[[noreturn]] void execInChild(char* const* argv, const std::string& workDir, const RunningProgram::Environment& env,
                              bool ordinaryUser, const RunningProgram::ChildSetup& setup = nullptr);

double monotonicSeconds();
void sleepMilliseconds(int ms);

// Polls `condition` every `pollMs` until it holds (true) or `timeoutSeconds`
// of wall-clock time have passed (false).
template <class Condition>
bool waitFor(double timeoutSeconds, Condition condition, int pollMs = 10)
{
    const double deadline = monotonicSeconds() + timeoutSeconds;
    for (;;) {
        if (condition())
            return true;
        if (monotonicSeconds() > deadline)
            return false;
        sleepMilliseconds(pollMs);
    }
}
