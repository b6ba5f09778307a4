// The registry file under the user's home directory.
#include "engine/core/HUnixSystemRegistry.h"

#include "engine/core/HEndian.h"
#include "engine/core/HErrorManager.h"
#include "engine/core/HUtil.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int kPathBytes = HUnixSystemRegistry::kPathBytes;
// Names made from the registry file's path: its temporary files
// ("<path>.XXXXXX") and the copy of a damaged file ("<path>.damaged").
constexpr int kDerivedPathBytes = kPathBytes + 16;
const char kTemporarySuffix[] = ".XXXXXX";
const char kDamagedSuffix[] = ".damaged";
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

// A new temporary file beside `path`, open for writing; its name goes to
// `temp`. Null (errno set) when none can be made.
FILE* createTemporary(const char* path, char (&temp)[kDerivedPathBytes])
{
    HUtil::s_sprintf(temp, sizeof(temp), "%s%s", path, kTemporarySuffix);
    const int fd = ::mkstemp(temp);
    if (fd < 0)
        return nullptr;
    FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp);
        errno = err;
    }
    return f;
}

// Flushes the temporary file to disk, closes it and renames it to `target`;
// when anything fails the temporary file is removed and false comes back
// with the error number in *err. `written` says whether the caller's writes
// all succeeded.
bool finishTemporary(FILE* f, const char* temp, const char* target, bool written, int* err)
{
    int e = written ? 0 : (errno != 0 ? errno : EIO);
    bool ok = written && std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
    if (written && !ok)
        e = errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        e = errno;
    }
    if (ok && std::rename(temp, target) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlink(temp);
        *err = e != 0 ? e : EIO;
    }
    return ok;
}

// Whether `name` is one of the temporary files of the registry file `base`:
// the base name, a dot and the six letters or digits mkstemp puts there.
bool isTemporaryOf(const char* name, const char* base)
{
    const size_t n = std::strlen(base);
    if (std::strncmp(name, base, n) != 0 || name[n] != '.' || std::strlen(name) != n + sizeof(kTemporarySuffix) - 1)
        return false;
    for (const char* c = name + n + 1; *c; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c)))
            return false;
    }
    return true;
}

} // namespace

HUnixSystemRegistry::HUnixSystemRegistry()
    : m_pHead(nullptr),
      m_pszPath(nullptr),
      m_bChanged(false),
      m_bDamaged(false),
      m_pDamagedFile(nullptr),
      m_pszCopiedPath(nullptr)
{
}

HUnixSystemRegistry::~HUnixSystemRegistry()
{
    closeRegistry();
    delete[] m_pszCopiedPath;
}

bool HUnixSystemRegistry::openRegistry(HCvarManager* /*manager*/, const char* company, const char* product)
{
    // A store still open is saved first when it changed. A failed save has
    // reported itself and given its store up: the file is read again below,
    // so nothing unsaved is ever written over what the file holds now.
    closeRegistry();

    const char* home = homeDirectory();
    if (!home) {
        HErrorManager::s_alert("failed to open registry: %s", "no home directory");
        return false;
    }
    const size_t homeLength = std::strlen(home);
    const char* separator = home[homeLength - 1] == '/' ? "" : "/";

    // Under a cut name the directory and the file could be anything (even
    // the same name): a path that does not fit is refused whole.
    char path[kPathBytes];
    const int pathLength = std::snprintf(path, sizeof(path), "%s%s.moravel/registry_%s_%s", home, separator,
                                         company ? company : "", product ? product : "");
    if (pathLength < 0 || pathLength >= kPathBytes) {
        HErrorManager::s_alert("failed to open registry: the path of the registry file under the home directory "
                               "would be longer than %d characters",
                               kPathBytes - 1);
        return false;
    }
    char dir[kPathBytes];
    HUtil::s_sprintf(dir, sizeof(dir), "%s%s.moravel", home, separator);
    // Owner only; when it cannot be made, opening or saving the file says so.
    ::mkdir(dir, 0700);

    struct stat st;
    if (::stat(path, &st) != 0 && errno == ENOENT) {
        m_pszPath = HUtil::s_cloneString(path);
        return true; // no file yet: an empty store
    }

    // The path is only kept once the file has been read whole: a store that
    // missed the file's records would replace them at the next save.
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        HErrorManager::s_alert("failed to open registry: %s", std::strerror(errno));
        return false;
    }
    errno = 0;
    const bool read = m_readRegistry(f);
    const int err = errno;
    if (!read) {
        std::fclose(f);
        HErrorManager::s_alert("failed to open registry: %s", std::strerror(err != 0 ? err : EIO));
        return false;
    }
    // A damaged file stays open until the store is closed: its copy, made
    // before a save replaces it, must hold the bytes that were read, even
    // when another program has renamed a file over the path meanwhile.
    if (m_bDamaged)
        m_pDamagedFile = f;
    else
        std::fclose(f);
    m_pszPath = HUtil::s_cloneString(path);
    return true;
}

bool HUnixSystemRegistry::closeRegistry()
{
    const bool saved = !m_pszPath || !m_bChanged || m_saveToPath();
    m_freeEntries();
    m_freePath();
    m_forgetDamagedFile();
    m_bChanged = false;
    m_bDamaged = false;
    return saved;
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
        if (e->m_iLength == len && (len == 0 || std::memcmp(e->m_pData, data, static_cast<size_t>(len)) == 0))
            return true;
        char* copy = copyValue(data, len);
        delete[] e->m_pData;
        e->m_pData = copy;
        e->m_iLength = len;
        m_bChanged = true;
        return true;
    }
    Entry* e = new Entry{HUtil::s_cloneString(key), len, copyValue(data, len), m_pHead};
    m_pHead = e;
    m_bChanged = true;
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
    m_bChanged = false;
    m_bDamaged = false;
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
    // Every way out of the loop but the end of the bytes at a record's start
    // is damage.
    bool damaged = true;
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
        if (!terminated) {
            damaged = k > 0;
            break;
        }

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
    m_bDamaged = damaged;
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

bool HUnixSystemRegistry::m_saveToPath()
{
    // What a damaged file held after its damage is only lost from the store,
    // never from the disk: no save replaces it before its copy is made.
    if (m_bDamaged && !m_keepDamagedCopy())
        return false;
    m_removeStaleTemporaries();

    // The whole store goes to a new file in the same directory, which only
    // replaces the old one once every byte of it is on disk.
    char temp[kDerivedPathBytes];
    FILE* f = createTemporary(m_pszPath, temp);
    if (!f) {
        HErrorManager::s_alert("failed to open registry: %s", std::strerror(errno));
        return false;
    }
    errno = 0;
    const bool written = m_writeRegistry(f);
    int err = 0;
    if (!finishTemporary(f, temp, m_pszPath, written, &err)) {
        HErrorManager::s_alert("failed to write registry: %s", std::strerror(err));
        return false;
    }
    return true;
}

bool HUnixSystemRegistry::m_keepDamagedCopy()
{
    // One copy per run: a later save of the same run finds the file whole
    // again, and a copy already kept is never overwritten.
    if (m_pszCopiedPath && std::strcmp(m_pszCopiedPath, m_pszPath) == 0)
        return true;
    char copy[kDerivedPathBytes];
    HUtil::s_sprintf(copy, sizeof(copy), "%s%s", m_pszPath, kDamagedSuffix);

    char temp[kDerivedPathBytes];
    FILE* out = m_pDamagedFile ? createTemporary(m_pszPath, temp) : nullptr;
    int err = m_pDamagedFile ? errno : EBADF;
    bool written = false;
    if (out) {
        written = std::fseek(m_pDamagedFile, 0, SEEK_SET) == 0;
        char buffer[4096];
        while (written) {
            const size_t n = std::fread(buffer, 1, sizeof(buffer), m_pDamagedFile);
            if (n > 0 && std::fwrite(buffer, 1, n, out) != n)
                written = false;
            if (n < sizeof(buffer)) {
                written = written && !std::ferror(m_pDamagedFile);
                break;
            }
        }
        err = 0;
    }
    if (!out || !finishTemporary(out, temp, copy, written, &err)) {
        HErrorManager::s_alert("failed to write registry: the damaged file could not be kept as %s: %s", copy,
                               std::strerror(err != 0 ? err : EIO));
        return false;
    }
    delete[] m_pszCopiedPath;
    m_pszCopiedPath = HUtil::s_cloneString(m_pszPath);
    std::fprintf(stderr,
                 "The registry file %s was damaged: only the records before the damage could be read. "
                 "The file as it was is kept in %s.\n",
                 m_pszPath, copy);
    HErrorManager::s_trace("...registry file damaged: the file as it was is kept in %s\n", copy);
    return true;
}

void HUnixSystemRegistry::m_removeStaleTemporaries() const
{
    const char* slash = std::strrchr(m_pszPath, '/');
    if (!slash)
        return;
    char dir[kPathBytes];
    HUtil::s_sprintf(dir, static_cast<int>(slash - m_pszPath) + 1, "%s", m_pszPath);
    const char* base = slash + 1;
    DIR* d = ::opendir(dir[0] ? dir : "/");
    if (!d)
        return;
    const time_t now = std::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        if (!isTemporaryOf(e->d_name, base))
            continue;
        char stray[kDerivedPathBytes];
        HUtil::s_sprintf(stray, sizeof(stray), "%s/%s", dir, e->d_name);
        // A younger one may be another window's save in progress.
        struct stat st;
        if (::lstat(stray, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > kStaleTemporarySeconds)
            ::unlink(stray);
    }
    ::closedir(d);
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

void HUnixSystemRegistry::m_forgetDamagedFile()
{
    if (m_pDamagedFile)
        std::fclose(m_pDamagedFile);
    m_pDamagedFile = nullptr;
}
