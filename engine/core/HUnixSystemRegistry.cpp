// The registry file under the user's home directory.
#include "engine/core/HUnixSystemRegistry.h"

#include "engine/core/HEndian.h"
#include "engine/core/HErrorManager.h"
#include "engine/core/HUtil.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// The path buffers: a longer path is cut at 1023 characters.
constexpr int kPathBytes = 1024;
// The length field of every record.
constexpr int kLengthBytes = 4;
static_assert(sizeof(int32_t) == kLengthBytes, "the stored length is 4 bytes");

// "HOME", else the real user's entry in the password database; null when
// neither names a directory.
const char* homeDirectory()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid())) {
        if (pw->pw_dir && *pw->pw_dir)
            return pw->pw_dir;
    }
    return nullptr;
}

void freeEntry(HUnixSystemRegistry::Entry* e)
{
    delete[] e->m_pszKey;
    delete[] e->m_pData;
    delete e;
}

// A copy of `len` bytes followed by one zero byte.
char* copyValue(const char* data, int32_t len)
{
    char* copy = new char[static_cast<size_t>(len) + 1];
    if (len > 0)
        std::memcpy(copy, data, static_cast<size_t>(len));
    copy[len] = '\0';
    return copy;
}

} // namespace

HUnixSystemRegistry::HUnixSystemRegistry() : m_pHead(nullptr), m_pszPath(nullptr)
{
}

HUnixSystemRegistry::~HUnixSystemRegistry()
{
    closeRegistry();
    // A store that could not be written back is given up now.
    m_freeEntries();
    m_freePath();
}

bool HUnixSystemRegistry::openRegistry(HCvarManager* /*manager*/, const char* company, const char* product)
{
    // A store still open is written back first. When that fails it stays
    // pending (for the next close, at the latest at process exit) instead of
    // being replaced by the file's content.
    if (!closeRegistry())
        return false;

    const char* home = homeDirectory();
    if (!home) {
        HErrorManager::s_alert("failed to open registry: %s", "no home directory");
        return false;
    }
    const size_t homeLength = std::strlen(home);
    const char* separator = home[homeLength - 1] == '/' ? "" : "/";

    char dir[kPathBytes];
    HUtil::s_sprintf(dir, sizeof(dir), "%s%s.moravel", home, separator);
    // Owner only; when it cannot be made, opening or saving the file says so.
    ::mkdir(dir, 0700);

    char path[kPathBytes];
    HUtil::s_sprintf(path, sizeof(path), "%s%s.moravel/registry_%s_%s", home, separator, company ? company : "",
                     product ? product : "");
    struct stat st;
    if (::stat(path, &st) != 0 && errno == ENOENT) {
        m_pszPath = HUtil::s_cloneString(path);
        return true; // no file yet: an empty store
    }

    // The path is only kept once the file has been read whole: a store that
    // missed the file's records would replace them at the next close.
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        HErrorManager::s_alert("failed to open registry: %s", std::strerror(errno));
        return false;
    }
    errno = 0;
    const bool read = m_readRegistry(f);
    const int err = errno;
    std::fclose(f);
    if (!read) {
        HErrorManager::s_alert("failed to open registry: %s", std::strerror(err != 0 ? err : EIO));
        return false;
    }
    m_pszPath = HUtil::s_cloneString(path);
    return true;
}

bool HUnixSystemRegistry::closeRegistry()
{
    if (!m_pszPath) {
        m_freeEntries();
        return true;
    }
    // An empty store leaves the file as it is.
    if (m_pHead && !m_saveToPath())
        return false;
    m_freeEntries();
    m_freePath();
    return true;
}

bool HUnixSystemRegistry::getStringValue(const char* key, char* dst, int len)
{
    if (!key || !dst || len <= 0)
        return false;
    const Entry* e = m_findEntry(key);
    if (!e)
        return false;
    // Stops at the value's first zero byte (the stored terminator at the
    // latest) and zero-fills the rest of dst.
    std::strncpy(dst, e->m_pData, static_cast<size_t>(len));
    dst[len - 1] = '\0';
    return true;
}

bool HUnixSystemRegistry::setStringValue(const char* key, const char* data, int len)
{
    // A key the reader could not take back (it would also lose every later
    // record), a length it would refuse, or missing bytes.
    if (!key || ::strnlen(key, kMaxKeyBytes) >= static_cast<size_t>(kMaxKeyBytes))
        return false;
    if (len < 0 || len > kMaxValueLength || (len > 0 && !data))
        return false;

    if (Entry* e = m_findEntry(key)) {
        char* copy = copyValue(data, len);
        delete[] e->m_pData;
        e->m_pData = copy;
        e->m_iLength = len;
        return true;
    }
    Entry* e = new Entry{HUtil::s_cloneString(key), len, copyValue(data, len), m_pHead};
    m_pHead = e;
    return true;
}

bool HUnixSystemRegistry::getBinaryValue(const char* key, void* dst, int len, int* out)
{
    if (!key || len < 0 || (len > 0 && !dst))
        return false;
    const Entry* e = m_findEntry(key);
    if (!e)
        return false;
    const int n = e->m_iLength < len ? e->m_iLength : len;
    if (n > 0)
        std::memcpy(dst, e->m_pData, static_cast<size_t>(n));
    if (out)
        *out = n;
    return true;
}

bool HUnixSystemRegistry::setBinaryValue(const char* key, const void* data, int len)
{
    return setStringValue(key, static_cast<const char*>(data), len);
}

bool HUnixSystemRegistry::m_readRegistry(FILE* file)
{
    m_freeEntries();
    if (!file)
        return false;

    // The bytes left after the current position bound every stated length.
    int64_t left = -1;
    const long start = std::ftell(file);
    if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (std::fseek(file, start, SEEK_SET) != 0)
            return false;
        if (end >= start)
            left = end - start;
    }

    Entry* tail = nullptr;
    char key[kMaxKeyBytes];
    for (;;) {
        int k = 0;
        bool terminated = false;
        while (k < kMaxKeyBytes) {
            const int c = std::fgetc(file);
            if (c == EOF)
                break;
            key[k++] = static_cast<char>(c);
            if (c == 0) {
                terminated = true;
                break;
            }
        }
        if (!terminated)
            break;

        int32_t stored = 0;
        if (std::fread(&stored, 1, kLengthBytes, file) != static_cast<size_t>(kLengthBytes))
            break;
        const uint32_t n = static_cast<uint32_t>(HEndian::s_littleLong(stored));
        if (left >= 0)
            left -= k + kLengthBytes;
        if (n > static_cast<uint32_t>(kMaxValueLength) || (left >= 0 && static_cast<int64_t>(n) > left))
            break;

        char* data = new char[n + 1];
        if (std::fread(data, 1, n, file) != n) {
            delete[] data;
            break;
        }
        data[n] = '\0';
        if (left >= 0)
            left -= n;

        Entry* e = new Entry{HUtil::s_cloneString(key), static_cast<int32_t>(n), data, nullptr};
        if (tail)
            tail->m_pNext = e;
        else
            m_pHead = e;
        tail = e;
    }
    // Every loop above ends at the end of the bytes, at damage, or at a read
    // error; only the last leaves the stream's error flag set.
    if (std::ferror(file)) {
        m_freeEntries();
        return false;
    }
    return true;
}

bool HUnixSystemRegistry::m_writeRegistry(FILE* file) const
{
    if (!file)
        return false;
    for (const Entry* e = m_pHead; e; e = e->m_pNext) {
        const size_t keyBytes = std::strlen(e->m_pszKey) + 1;
        const int32_t stored = HEndian::s_littleLong(e->m_iLength);
        const size_t valueBytes = static_cast<size_t>(e->m_iLength);
        if (std::fwrite(e->m_pszKey, 1, keyBytes, file) != keyBytes)
            return false;
        if (std::fwrite(&stored, 1, kLengthBytes, file) != static_cast<size_t>(kLengthBytes))
            return false;
        if (valueBytes > 0 && std::fwrite(e->m_pData, 1, valueBytes, file) != valueBytes)
            return false;
    }
    return true;
}

bool HUnixSystemRegistry::m_saveToPath() const
{
    // The whole store goes to a new file in the same directory, which only
    // replaces the old one once every byte of it is on disk.
    char temp[kPathBytes + 16];
    HUtil::s_sprintf(temp, sizeof(temp), "%s.XXXXXX", m_pszPath);
    const int fd = ::mkstemp(temp);
    if (fd < 0) {
        HErrorManager::s_alert("failed to open registry: %s", std::strerror(errno));
        return false;
    }
    FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp);
        HErrorManager::s_alert("failed to open registry: %s", std::strerror(err));
        return false;
    }

    errno = 0;
    bool ok = m_writeRegistry(f) && std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
    int err = errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && std::rename(temp, m_pszPath) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp);
        HErrorManager::s_alert("failed to write registry: %s", std::strerror(err != 0 ? err : EIO));
    }
    return ok;
}

HUnixSystemRegistry::Entry* HUnixSystemRegistry::m_findEntry(const char* key) const
{
    for (Entry* e = m_pHead; e; e = e->m_pNext) {
        if (std::strcmp(e->m_pszKey, key) == 0)
            return e;
    }
    return nullptr;
}

void HUnixSystemRegistry::m_freeEntries()
{
    while (m_pHead) {
        Entry* next = m_pHead->m_pNext;
        freeEntry(m_pHead);
        m_pHead = next;
    }
}

void HUnixSystemRegistry::m_freePath()
{
    delete[] m_pszPath;
    m_pszPath = nullptr;
}
