// Paths of the build seen from a test program, and reading lines of text.
#include "tests/support/TestPaths.h"

#include <unistd.h>

#include <climits>
#include <sstream>

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

std::string buildArchivePath()
{
    return testBinDir() + "/../Resources/qinvar.mvz";
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
