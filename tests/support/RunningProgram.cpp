// Programs started for a test and left running while it acts on them.
#include "tests/support/RunningProgram.h"

#include "tests/support/OrdinaryUser.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

void execInChild(char* const* argv, const std::string& workDir, const RunningProgram::Environment& env,
                 bool ordinaryUser, const RunningProgram::ChildSetup& setup)
{
    if (setup)
        setup();
    if (ordinaryUser && !becomeOrdinaryUser()) {
        std::perror("setuid");
        _exit(127);
    }
    if (::chdir(workDir.c_str()) != 0) {
        std::perror("chdir");
        _exit(127);
    }
    for (const auto& [name, value] : env) {
        if (value.empty())
            ::unsetenv(name.c_str());
        else
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    ::execv(argv[0], argv);
    std::perror("execv");
    _exit(127);
}

double monotonicSeconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void sleepMilliseconds(int ms)
{
    const timespec pause = {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

RunningProgram::RunningProgram() : m_output(), m_pid(-1), m_bEnded(false), m_iStatus(0) {}

RunningProgram::~RunningProgram()
{
    if (m_pid > 0 && !m_bEnded) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool RunningProgram::start(const std::vector<std::string>& argv, const std::string& workDir, const Environment& env,
                           bool ordinaryUser, const ChildSetup& setup)
{
    if (m_pid > 0 || argv.empty())
        return false;
    // Everything the child needs is made before the fork.
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string out = m_output.file("out.txt");
    const std::string err = m_output.file("err.txt");
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFd < 0 || errFd < 0 || dup2(outFd, STDOUT_FILENO) < 0 || dup2(errFd, STDERR_FILENO) < 0)
            _exit(127);
        // The output files are opened first: they lie in a folder of the test's.
        execInChild(args.data(), workDir, env, ordinaryUser, setup);
    }
    m_pid = pid;
    m_bEnded = false;
    return true;
}

bool RunningProgram::running()
{
    if (m_pid <= 0 || m_bEnded)
        return false;
    if (waitpid(m_pid, &m_iStatus, WNOHANG) == m_pid)
        m_bEnded = true;
    return !m_bEnded;
}

ChildResult RunningProgram::wait(double timeoutSeconds)
{
    ChildResult result;
    if (m_pid <= 0)
        return result;
    if (!waitFor(timeoutSeconds, [this] { return !running(); }, 5)) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &m_iStatus, 0);
        m_bEnded = true;
        result.timedOut = true;
    }
    takeWaitStatus(m_iStatus, &result);
    result.out = readFileBytes(m_output.file("out.txt"));
    result.err = readFileBytes(m_output.file("err.txt"));
    return result;
}
