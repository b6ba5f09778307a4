// Paths of the build seen from a test program, and reading lines of text.
#include "tests/support/TestPaths.h"

#include "engine/core/HUnix.h"

#include <unistd.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <sstream>

const char* const kGameRegistryFile = ".moravel/registry_Moravel_Qinvar";

std::string testBinDir()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0)
        return ".";
    path[n] = '\0';
    const std::string s(path);
    return s.substr(0, s.rfind('/'));
}

std::string buildProgram(const std::string& name)
{
    return testBinDir() + "/" + name;
}

std::string buildResourceDir()
{
    char resourceDir[4096];
    HUnix::s_calcResourceDir(resourceDir, sizeof(resourceDir) - 1, "/proc/self/exe");
    return resourceDir;
}

std::string buildArchivePath()
{
    return buildResourceDir() + "qinvar.mvz";
}

std::string buildDir()
{
    const char* dir = std::getenv("QV_BINARY_DIR");
    return dir && dir[0] ? std::string(dir) : testBinDir() + "/..";
}

std::string pictureFile(const std::string& name)
{
    const std::string dir = buildDir() + "/review";
    ::mkdir(dir.c_str(), 0755);
    return dir + "/" + name;
}

std::string gameRegistryPath(const std::string& home)
{
    return home + "/" + kGameRegistryFile;
}

Lines splitLines(const std::string& text)
{
    Lines out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

bool inOrder(const Lines& lines, const Lines& expected, std::string* missing)
{
    size_t at = 0;
    for (const std::string& e : expected) {
        while (at < lines.size() && lines[at] != e)
            ++at;
        if (at == lines.size()) {
            *missing = e;
            return false;
        }
        ++at;
    }
    return true;
}
