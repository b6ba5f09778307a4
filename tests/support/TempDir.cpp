// Temporary directories for tests.
#include "tests/support/TempDir.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return std::remove(path);
}

void makeParents(const std::string& path)
{
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '/')
            ::mkdir(path.substr(0, i).c_str(), 0755);
    }
}

} // namespace

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/qvtest.XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    const char* made = ::mkdtemp(buf.data());
    m_path = made ? made : "";
}

TempDir::~TempDir()
{
    if (!m_path.empty()) {
        ::chmod(m_path.c_str(), 0755);
        ::nftw(m_path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
}

std::string TempDir::file(const std::string& name) const
{
    return m_path + "/" + name;
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string full = file(name);
    makeParents(full);
    if (FILE* f = std::fopen(full.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return full;
}

std::string TempDir::write(const std::string& name, const std::vector<unsigned char>& bytes) const
{
    return write(name, std::string(bytes.begin(), bytes.end()));
}

std::string TempDir::folderOfLength(size_t length) const
{
    // Names of at most 200 characters; the last one takes what is left, so
    // a name is never shorter than one character.
    constexpr size_t kLongestName = 200;
    if (length < m_path.size() + 2)
        return "";
    std::string path = m_path;
    while (path.size() < length) {
        size_t name = length - path.size() - 1;
        if (name > kLongestName)
            name = name - kLongestName >= 2 ? kLongestName : name - 2;
        path += "/" + std::string(name, 'd');
        ::mkdir(path.c_str(), 0755);
    }
    return path;
}

std::string readFileBytes(const std::string& path)
{
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
            out.append(chunk, n);
        std::fclose(f);
    }
    return out;
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> namesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool leaveSocketAt(const std::string& path)
{
    sockaddr_un at = {};
    at.sun_family = AF_UNIX;
    if (path.size() >= sizeof(at.sun_path))
        return false;
    std::memcpy(at.sun_path, path.c_str(), path.size() + 1);
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return false;
    const bool bound = ::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof(at)) == 0;
    ::close(s);
    return bound;
}
