// Runs a whole program for a test, the way a player's machine would but
// without a display or a sound card: HOME and the working directory are
// fresh temporary folders, SDL uses its dummy video and audio drivers, and
// the run is killed after a wall-clock timeout. The exit code and both
// output streams come back; the files the program wrote (trace.txt,
// journal.bin, the registry under HOME) stay in the folders for the test to
// read until the sandbox goes out of scope.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TempDir.h"

#include <string>
#include <utility>
#include <vector>

class ProgramSandbox {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;

    ProgramSandbox();

    ProgramSandbox(const ProgramSandbox&) = delete;
    ProgramSandbox& operator=(const ProgramSandbox&) = delete;

    // The working directory and HOME of every run.
    const TempDir& work() const { return m_work; }
    const TempDir& home() const { return m_home; }

    // Runs `program` with `args` (argv[0] is the program itself). The
    // child's environment is the test's, then HOME, SDL_VIDEODRIVER=dummy
    // and SDL_AUDIODRIVER=dummy, then `env` (which may override any of them;
    // an empty value unsets the variable). A program that cannot be started
    // exits with 127.
    ChildResult run(const std::string& program, const std::vector<std::string>& args, const Environment& env = {},
                    int timeoutSeconds = 60) const;

    // The same start as run's, but the program goes on running in `out`
    // while the test acts on it (no dummy drivers when `env` names others).
    bool start(RunningProgram* out, const std::string& program, const std::vector<std::string>& args,
               const Environment& env = {}) const;

    // A file the program wrote in its working directory; empty when missing.
    std::string workFile(const std::string& name) const;

    // From now on every run and start is made as the ordinary user when the
    // test runs as root (tests/support/OrdinaryUser.h), so that file
    // permissions bind the program; both folders and everything in them are
    // given to that user before each run.
    void asOrdinaryUser() { m_bOrdinaryUser = true; }

    // From now on every run and start runs `setup` in the child, after its
    // output streams are in place and before it becomes the program: the
    // hostile edges of a process (a stream closed or a pipe nobody reads, a
    // file-size limit; tests/support/ChildProcess.h).
    void inEveryChild(RunningProgram::ChildSetup setup) { m_childSetup = std::move(setup); }

private:
    // The child's environment changes: HOME, the dummy drivers, then `env`.
    Environment m_environment(const Environment& env) const;

    // Gives both folders to the ordinary user when runs are made as that user.
    void m_handOverFolders() const;

    TempDir m_work;
    TempDir m_home;
    bool m_bOrdinaryUser;
    RunningProgram::ChildSetup m_childSetup;
};
