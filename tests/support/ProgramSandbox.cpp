// Whole-program runs in temporary folders under SDL's dummy drivers.
#include "tests/support/ProgramSandbox.h"

#include "tests/support/OrdinaryUser.h"

ProgramSandbox::ProgramSandbox() : m_work(), m_home(), m_bOrdinaryUser(false), m_childSetup() {}

ChildResult ProgramSandbox::run(const std::string& program, const std::vector<std::string>& args,
                                const Environment& env, int timeoutSeconds) const
{
    // Everything the child needs is built before the fork: the child only
    // changes directory, sets variables and executes.
    std::vector<std::string> argvStrings;
    argvStrings.push_back(program);
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    const Environment all = m_environment(env);
    const std::string workDir = m_work.path();
    const bool ordinaryUser = m_bOrdinaryUser;
    const RunningProgram::ChildSetup& setup = m_childSetup;
    m_handOverFolders();

    return runInChild(
        [&]() {
            std::vector<char*> argv;
            for (const std::string& a : argvStrings)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execInChild(argv.data(), workDir, all, ordinaryUser, setup);
        },
        timeoutSeconds);
}

ProgramSandbox::Environment ProgramSandbox::m_environment(const Environment& env) const
{
    Environment all = {{"HOME", m_home.path()}, {"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}};
    all.insert(all.end(), env.begin(), env.end());
    return all;
}

bool ProgramSandbox::start(RunningProgram* out, const std::string& program, const std::vector<std::string>& args,
                           const Environment& env) const
{
    std::vector<std::string> argv;
    argv.push_back(program);
    argv.insert(argv.end(), args.begin(), args.end());
    m_handOverFolders();
    return out->start(argv, m_work.path(), m_environment(env), m_bOrdinaryUser, m_childSetup);
}

void ProgramSandbox::m_handOverFolders() const
{
    if (!m_bOrdinaryUser)
        return;
    giveToOrdinaryUser(m_work.path());
    giveToOrdinaryUser(m_home.path());
}

std::string ProgramSandbox::workFile(const std::string& name) const
{
    return readFileBytes(m_work.file(name));
}
