// The registry file under the user's home directory.
#include "engine/core/HUnixSystemRegistry.h"

#include "engine/core/HEndian.h"
#include "engine/core/HErrorManager.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int kPathBytes = HUnixSystemRegistry::kPathBytes;
// Names made from the registry file's path: its temporary files
// ("<path>.#saving#XXXXXX") and the copies of damaged files
// ("<path>.damaged", "<path>.damaged.9").
constexpr int kDerivedPathBytes = kPathBytes + 32;
// A temporary file's name is the registry file's, this marker and six
// letters or digits: a name no player gives a file, so that removing the
// temporary files of a save cut short never touches one of theirs.
const char kTemporaryMarker[] = ".#saving#";
constexpr int kTemporaryRandomChars = 6;
// Names tried for one temporary file before the save gives up.
constexpr int kTemporaryNameTries = 100;
const char kDamagedSuffix[] = ".damaged";
// The lock file beside the registry file, for a folder that cannot be
// locked itself.
const char kLockFileSuffix[] = ".lock";
// The length field of every record.
constexpr int kLengthBytes = 4;
static_assert(sizeof(int32_t) == kLengthBytes, "the stored length is 4 bytes");
// Links followed from the registry's path to the file, at most (the
// system's own limit).
constexpr int kMaxLinks = 40;
// Between two tries for the lock.
constexpr int kLockPauseMs = 10;
// Locks taken before the path settles on the folder locked (a folder
// replaced or a link changed between the path's reading and the lock): past
// this many the last lock stands.
constexpr int kMaxLockTries = 8;
// Files are read and compared in pieces of this size.
constexpr size_t kChunkBytes = 64 * 1024;

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

// The keys of the records read so far, to find one read twice: a set of
// pointers to the entries' own keys, hashed and probed in a table that
// doubles when half full.
class KeySet {
public:
    KeySet() : m_pSlots(new const char*[kFirstCapacity]()), m_capacity(kFirstCapacity), m_count(0) {}
    ~KeySet() { delete[] m_pSlots; }

    KeySet(const KeySet&) = delete;
    KeySet& operator=(const KeySet&) = delete;

    // False when `key` is in the set already. The key must outlive the set.
    bool insert(const char* key)
    {
        if (2 * (m_count + 1) > m_capacity)
            m_grow();
        const char** slot = m_find(m_pSlots, m_capacity, key);
        if (*slot)
            return false;
        *slot = key;
        ++m_count;
        return true;
    }

private:
    static constexpr size_t kFirstCapacity = 64;

    // FNV-1a over the key's characters.
    static uint32_t s_hash(const char* key)
    {
        uint32_t h = 2166136261u;
        for (const unsigned char* c = reinterpret_cast<const unsigned char*>(key); *c; ++c)
            h = (h ^ *c) * 16777619u;
        return h;
    }
    // The slot that holds `key`, or the empty one where it would go.
    static const char** m_find(const char** slots, size_t capacity, const char* key)
    {
        size_t i = s_hash(key) & (capacity - 1);
        while (slots[i] && std::strcmp(slots[i], key) != 0)
            i = (i + 1) & (capacity - 1);
        return &slots[i];
    }
    void m_grow()
    {
        const size_t capacity = m_capacity * 2;
        const char** slots = new const char*[capacity]();
        for (size_t i = 0; i < m_capacity; ++i) {
            if (m_pSlots[i])
                *m_find(slots, capacity, m_pSlots[i]) = m_pSlots[i];
        }
        delete[] m_pSlots;
        m_pSlots = slots;
        m_capacity = capacity;
    }

    const char** m_pSlots;
    size_t m_capacity; // a power of two
    size_t m_count;
};

// The users who may own a folder that the registry is read and written
// through: the running user and root; and, for a run as root (the game
// started with sudo, keeping the player's HOME), the home's owner.
struct TrustedOwners {
    uid_t user;
    uid_t home; // (uid_t)-1: none
};

// Why the folder `st` describes may not carry the registry, as a folder of
// another user or one that other users may write (a link planted there
// would send the save anywhere) is refused; null when it may.
const char* distrust(const struct stat& st, const TrustedOwners& owners)
{
    const bool owned = st.st_uid == owners.user || st.st_uid == 0 || (owners.user == 0 && st.st_uid == owners.home);
    if (!owned)
        return "it belongs to another user";
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return "other users may write to it";
    return nullptr;
}

// `path` with every symbolic link along its last name followed, into
// `out`: the file that a read of `path` reads (or would create, when it
// does not exist). False with errno set when a link cannot be read, the
// links go round, or the result would not fit; false with *refused (the
// reason) set, and the folder in `out`, when a link lies in a folder that
// `owners` may not trust.
bool followLinks(const char* path, const TrustedOwners& owners, char (&out)[kPathBytes], const char** refused)
{
    *refused = nullptr;
    HUtil::s_strcpy(out, path, kPathBytes);
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st;
        // Not there (or not reachable): the read says why.
        if (::lstat(out, &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        // Whoever may write the link's folder chooses where it leads.
        char* linkSlash = std::strrchr(out, '/');
        if (linkSlash) {
            const char kept = linkSlash[1];
            linkSlash[1] = '\0';
            struct stat folder;
            *refused = ::stat(out, &folder) == 0 ? distrust(folder, owners) : nullptr;
            if (*refused) {
                if (linkSlash != out)
                    *linkSlash = '\0';
                return false;
            }
            linkSlash[1] = kept;
        }
        char link[kPathBytes];
        const ssize_t n = ::readlink(out, link, sizeof(link));
        if (n < 0)
            return false;
        if (n >= static_cast<ssize_t>(sizeof(link))) {
            errno = ENAMETOOLONG;
            return false;
        }
        link[n] = '\0';
        if (link[0] == '/') {
            HUtil::s_strcpy(out, link, kPathBytes);
            continue;
        }
        // Relative to the folder that holds the link.
        char* slash = std::strrchr(out, '/');
        const size_t folder = slash ? static_cast<size_t>(slash - out) + 1 : 0;
        if (folder + static_cast<size_t>(n) >= static_cast<size_t>(kPathBytes)) {
            errno = ENAMETOOLONG;
            return false;
        }
        std::memcpy(out + folder, link, static_cast<size_t>(n) + 1);
    }
    errno = ELOOP;
    return false;
}

// The folder part of `path` into `folder` ("/" for a name at the root, "."
// for none); the name after it comes back, within `path`.
const char* splitPath(const char* path, char (&folder)[kPathBytes])
{
    const char* slash = std::strrchr(path, '/');
    if (!slash) {
        HUtil::s_strcpy(folder, ".", kPathBytes);
        return path;
    }
    if (slash == path)
        HUtil::s_strcpy(folder, "/", kPathBytes);
    else
        HUtil::s_sprintf(folder, static_cast<int>(slash - path) + 1, "%s", path);
    return slash + 1;
}

// The folder, open for the registry's work in it: for reading when that is
// allowed (so that it can be locked and listed), else only as a place whose
// files can still be reached (`*readError` then says why it could not be
// read). -1 with errno set when it is not there at all.
int openFolder(const char* folder, int* readError)
{
    *readError = 0;
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        return fd;
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR)
        return -1;
    const int place = ::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (place < 0) {
        errno = err;
        return -1;
    }
    *readError = err;
    return place;
}

// Whether `folder` (the path) still names the open folder `fd`.
bool isTheOpenFolder(const char* folder, int fd)
{
    struct stat named;
    struct stat open;
    return ::stat(folder, &named) == 0 && ::fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}

// A file of the open folder `folder` opened for reading without ever
// waiting (a FIFO has no writer to wait for, a device is not read), and only
// when it is a regular file, never through a link. -1 with errno set
// otherwise (EISDIR for a folder, EINVAL for anything else that is not a
// regular file).
int openRegularFile(int folder, const char* name)
{
    return HPlatform::s_openRegularFileAt(folder, name, O_NOFOLLOW);
}

// The reason a file could not be read, for the player: the system's text,
// or what the file is when it is not a regular file.
const char* readFailure(const char* path, int err)
{
    if (err != EINVAL)
        return std::strerror(err);
    struct stat st;
    if (::stat(path, &st) != 0)
        return std::strerror(err);
    if (S_ISFIFO(st.st_mode))
        return "it is a FIFO, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "it is a device, not a regular file";
    if (S_ISSOCK(st.st_mode))
        return "it is a socket, not a regular file";
    return "it is not a regular file";
}

// The step of a save that failed and its error number.
struct Failure {
    const char* step;
    int err;
};

// Six letters or digits that differ from one call to the next, also
// between processes started at the same moment.
void randomCharacters(char (&out)[kTemporaryRandomChars + 1])
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static uint64_t calls = 0;
    timespec now = {0, 0};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // splitmix64 over the time, the process and a count.
    uint64_t x = static_cast<uint64_t>(now.tv_sec) * 1000000007u + static_cast<uint64_t>(now.tv_nsec) +
                 (static_cast<uint64_t>(::getpid()) << 32) + 0x9E3779B97F4A7C15ull * ++calls;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    for (int i = 0; i < kTemporaryRandomChars; ++i) {
        out[i] = kAlphabet[x % (sizeof(kAlphabet) - 1)];
        x /= sizeof(kAlphabet) - 1;
    }
    out[kTemporaryRandomChars] = '\0';
}

// Gives the new file `fd` the owner and group of `of`, as far as this
// process may (root: both; another user: a group of theirs): a file made
// under sudo over a player's file stays the player's. A file of this
// process's own user and group is left as it is made.
void takeOwnerOf(int fd, const struct stat& of)
{
    if (of.st_uid == ::geteuid() && of.st_gid == ::getegid())
        return;
    if (::fchown(fd, of.st_uid, of.st_gid) != 0 && of.st_gid != ::getegid())
        ::fchown(fd, static_cast<uid_t>(-1), of.st_gid);
}

// The lock file of the registry file `name` in the open folder `folder`
// (whose status is `folderStatus`, when known), for a folder that cannot
// be locked itself: "<name>.lock", opened for writing (a network file
// system locks only such a file) without following a link and without
// waiting, made when missing (the folder's owner's, so that a run as root
// leaves the player's windows a file they can lock), never removed. -1
// with errno set when it cannot be opened or is not a regular file.
int openLockFile(int folder, const char* name, const struct stat* folderStatus)
{
    char lockName[kDerivedPathBytes];
    HUtil::s_sprintf(lockName, sizeof(lockName), "%s%s", name, kLockFileSuffix);
    const int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::openat(folder, lockName, flags | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
        if (folderStatus)
            takeOwnerOf(fd, *folderStatus);
    } else if (errno == EEXIST) {
        fd = ::openat(folder, lockName, flags);
    }
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// A new temporary file for `name` in the open folder `folder`, open for
// writing, with the access `mode`, and the owner and group of `owner` when
// given (else this process's); its name goes to `temp`. Null (errno set)
// when none can be made.
FILE* createTemporary(int folder, const char* name, mode_t mode, const struct stat* owner,
                      char (&temp)[kDerivedPathBytes])
{
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameTries && fd < 0; ++attempt) {
        char letters[kTemporaryRandomChars + 1];
        randomCharacters(letters);
        HUtil::s_sprintf(temp, sizeof(temp), "%s%s%s", name, kTemporaryMarker, letters);
        fd = ::openat(folder, temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return nullptr;
    }
    if (fd < 0)
        return nullptr;
    // The owner before the mode: a change of owner may clear mode bits.
    if (owner)
        takeOwnerOf(fd, *owner);
    FILE* f = ::fchmod(fd, mode) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!f) {
        const int err = errno;
        ::close(fd);
        ::unlinkat(folder, temp, 0);
        errno = err;
    }
    return f;
}

// Flushes the temporary file `temp` of the open folder `folder` to disk,
// closes it and renames it to `target` there; when anything fails the
// temporary file is removed and false comes back with the step and its
// error number in *failure. `written` says whether the caller's writes all
// succeeded.
bool finishTemporary(FILE* f, int folder, const char* temp, const char* target, bool written, Failure* failure)
{
    Failure failed = {nullptr, 0};
    if (!written)
        failed = {"write", errno != 0 ? errno : EIO};
    else if (std::fflush(f) != 0)
        failed = {"write", errno};
    else if (::fsync(::fileno(f)) != 0)
        failed = {"flush to disk", errno};
    if (std::fclose(f) != 0 && !failed.step)
        failed = {"close", errno};
    if (!failed.step && ::renameat(folder, temp, folder, target) != 0)
        failed = {"rename", errno};
    if (!failed.step)
        return true;
    ::unlinkat(folder, temp, 0);
    failed.err = failed.err != 0 ? failed.err : EIO;
    *failure = failed;
    return false;
}

// Copies the rest of `from`, from its start, to `to`; false when a read or
// a write fails.
bool copyStream(FILE* from, FILE* to)
{
    if (std::fseek(from, 0, SEEK_SET) != 0)
        return false;
    char* buffer = new char[kChunkBytes];
    bool ok = true;
    for (;;) {
        const size_t n = std::fread(buffer, 1, kChunkBytes, from);
        if (n > 0 && std::fwrite(buffer, 1, n, to) != n)
            ok = false;
        if (!ok || n < kChunkBytes) {
            ok = ok && !std::ferror(from);
            break;
        }
    }
    delete[] buffer;
    return ok;
}

// Whether the regular file `name` of the open folder `folder` holds
// exactly the bytes of `file`. -1 when there is nothing of that name (not
// even a link or a folder).
int holdsTheBytesOf(int folder, const char* name, FILE* file)
{
    const int fd = openRegularFile(folder, name);
    if (fd < 0) {
        struct stat st;
        return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT ? -1 : 0;
    }
    FILE* other = ::fdopen(fd, "rb");
    if (!other) {
        ::close(fd);
        return 0;
    }
    bool same = std::fseek(file, 0, SEEK_SET) == 0;
    char* mine = new char[kChunkBytes];
    char* theirs = new char[kChunkBytes];
    while (same) {
        const size_t a = std::fread(mine, 1, kChunkBytes, file);
        const size_t b = std::fread(theirs, 1, kChunkBytes, other);
        same = a == b && std::memcmp(mine, theirs, a) == 0 && !std::ferror(file) && !std::ferror(other);
        if (a < kChunkBytes)
            break;
    }
    delete[] mine;
    delete[] theirs;
    std::fclose(other);
    return same ? 1 : 0;
}

// Whether `name` is one of the temporary files of the registry file `base`:
// the base name, the marker and six letters or digits.
bool isTemporaryOf(const char* name, const char* base)
{
    const size_t n = std::strlen(base);
    const size_t marker = sizeof(kTemporaryMarker) - 1;
    if (std::strncmp(name, base, n) != 0 || std::strncmp(name + n, kTemporaryMarker, marker) != 0 ||
        std::strlen(name) != n + marker + kTemporaryRandomChars)
        return false;
    for (const char* c = name + n + marker; *c; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c)))
            return false;
    }
    return true;
}

void pauseMilliseconds(void* /*context*/, int ms)
{
    timespec t = {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    ::nanosleep(&t, nullptr);
}

int64_t monotonicMilliseconds(void* /*context*/)
{
    timespec now = {0, 0};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

HUnixSystemRegistry::HUnixSystemRegistry()
    : m_pHead(nullptr),
      m_pszPath(nullptr),
      m_pszTarget(nullptr),
      m_bChanged(false),
      m_bDamaged(false),
      m_bReadOnly(false),
      m_pDamagedFile(nullptr),
      m_iFolderFd(-1),
      m_iFolderOpenError(0),
      m_iLockFileFd(-1),
      m_bLocked(false),
      m_bLockProblemTold(false),
      m_iFolderError(0),
      m_pLockPause(nullptr),
      m_pLockPauseContext(nullptr),
      m_pLockClock(nullptr),
      m_pLockClockContext(nullptr),
      m_iLastSavesStartMs(-1),
      m_aHeldMessages(),
      m_iHeldMessages(0)
{
}

HUnixSystemRegistry::~HUnixSystemRegistry()
{
    closeRegistry();
}

void HUnixSystemRegistry::setLockPause(LockPause pause, void* context)
{
    m_pLockPause = pause;
    m_pLockPauseContext = context;
}

void HUnixSystemRegistry::setLockClock(LockClock clock, void* context)
{
    m_pLockClock = clock;
    m_pLockClockContext = context;
}

int64_t HUnixSystemRegistry::m_now() const
{
    return (m_pLockClock ? m_pLockClock : monotonicMilliseconds)(m_pLockClockContext);
}

bool HUnixSystemRegistry::openRegistry(HCvarManager* /*manager*/, const char* company, const char* product)
{
    const bool opened = m_open(m_getOpeningUse(), company, product);
    // An open that failed holds no lock; one that holds it tells what it
    // has to tell at its close.
    if (!m_bLocked)
        m_tellHeldMessages();
    return opened;
}

bool HUnixSystemRegistry::m_open(Use use, const char* company, const char* product)
{
    // A store still open is saved first when it changed. A failed save has
    // reported itself and given its store up: the file is read again below,
    // so nothing unsaved is ever written over what the file holds now.
    closeRegistry();

    const char* home = homeDirectory();
    if (!home) {
        m_alert("failed to open registry: %s", "no home directory");
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
        m_alert("failed to open registry: the path of the registry file under the home directory would be longer "
                "than %d characters",
                kPathBytes - 1);
        return false;
    }
    char dir[kPathBytes];
    HUtil::s_sprintf(dir, sizeof(dir), "%s%s.moravel", home, separator);
    // Owner only. A folder that cannot be made matters only to a save,
    // which then names this error.
    m_iFolderError = 0;
    if (::mkdir(dir, 0700) != 0 && errno != EEXIST) {
        const int err = errno;
        struct stat st;
        if (::stat(dir, &st) != 0 || !S_ISDIR(st.st_mode))
            m_iFolderError = err;
    }

    // The file that the path leads to, and its folder, open. A store that
    // may change locks that folder from the read on, so that no other
    // process of the game saves the file until this store is closed; the
    // lock counts only once the path still leads there (a folder replaced
    // or a link changed while the lock was waited for sends it round again).
    // The wait is measured on the clock, never by its pauses (which a busy
    // machine stretches): during play from this open, for the last saves of
    // a game that ends from the first of them, so that all of them together
    // wait no longer than one.
    int64_t startMs = m_now();
    int64_t timeoutMs = kLockTimeoutMs;
    if (use == USE_LAST_SAVE) {
        if (m_iLastSavesStartMs < 0)
            m_iLastSavesStartMs = startMs;
        startMs = m_iLastSavesStartMs;
        timeoutMs = kLastSavesLockTimeoutMs;
    }
    char target[kPathBytes];
    char folder[kPathBytes];
    const char* name = nullptr;
    int lockError = 0;
    TrustedOwners owners = {::geteuid(), static_cast<uid_t>(-1)};
    struct stat homeStatus;
    if (::stat(home, &homeStatus) == 0)
        owners.home = homeStatus.st_uid;
    for (int tries = 1;; ++tries) {
        const char* refused = nullptr;
        if (!followLinks(path, owners, target, &refused)) {
            if (refused)
                m_alert("failed to open registry: refusing the folder %s: %s", target, refused);
            else
                m_alert("failed to open registry: cannot follow the link %s: %s", path, std::strerror(errno));
            return false;
        }
        name = splitPath(target, folder);
        int readError = 0;
        m_iFolderFd = openFolder(folder, &readError);
        m_iFolderOpenError = m_iFolderFd < 0 ? errno : 0;
        // The folder read and written is the player's, whatever the path
        // that leads there.
        struct stat opened;
        const bool known = m_iFolderFd >= 0 && ::fstat(m_iFolderFd, &opened) == 0;
        refused = known ? distrust(opened, owners) : nullptr;
        if (refused) {
            m_closeFolder();
            m_alert("failed to open registry: refusing the folder %s: %s", folder, refused);
            return false;
        }
        // No folder: no file to read, and none that a save could make.
        if (m_iFolderFd < 0 || use == USE_READ)
            break;
        // The folder itself, else (a folder that may not be read, a network
        // file system that locks files only) the lock file beside the file.
        char lockPath[kDerivedPathBytes];
        HUtil::s_strcpy(lockPath, folder, sizeof(lockPath));
        LockResult locked = LOCK_FAILED;
        int folderError = readError;
        if (readError == 0) {
            locked = m_lock(m_iFolderFd, startMs + timeoutMs);
            folderError = errno;
        }
        if (locked == LOCK_FAILED) {
            HUtil::s_sprintf(lockPath, sizeof(lockPath), "%s/%s%s", std::strcmp(folder, "/") == 0 ? "" : folder, name,
                             kLockFileSuffix);
            m_iLockFileFd = openLockFile(m_iFolderFd, name, known ? &opened : nullptr);
            locked = m_iLockFileFd >= 0 ? m_lock(m_iLockFileFd, startMs + timeoutMs) : LOCK_FAILED;
        }
        if (locked == LOCK_HELD_ELSEWHERE) {
            m_closeFolder();
            m_alert("failed to open registry: cannot lock %s: another process of the game has held it for %lld ms",
                    lockPath, static_cast<long long>(m_now() - startMs));
            return false;
        }
        if (locked == LOCK_FAILED) {
            // Neither lock: the folder's reason is told.
            if (m_iLockFileFd >= 0)
                ::close(m_iLockFileFd);
            m_iLockFileFd = -1;
            lockError = folderError != 0 ? folderError : ENOLCK;
            break;
        }
        m_bLocked = true;
        char again[kPathBytes];
        if (tries == kMaxLockTries || (followLinks(path, owners, again, &refused) && std::strcmp(again, target) == 0 &&
                                       isTheOpenFolder(folder, m_iFolderFd)))
            break;
        m_closeFolder();
    }
    m_pszTarget = HUtil::s_cloneString(target);
    m_bReadOnly = use == USE_READ;

    int fd = -1;
    if (m_iFolderFd >= 0)
        fd = openRegularFile(m_iFolderFd, name);
    else
        errno = m_iFolderOpenError;
    if (fd < 0 && errno == ENOENT) {
        m_pszPath = HUtil::s_cloneString(path);
        if (m_bReadOnly)
            m_closeFolder();
        // No file yet: an empty store, which a save may still make.
        if (lockError != 0)
            m_tellLockProblem(folder, lockError);
        return true;
    }
    // The path is only kept once the file has been read whole: a store that
    // missed the file's records would replace them at the next save.
    FILE* f = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!f) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        m_alert("failed to open registry: cannot read %s: %s", target, readFailure(target, err));
        m_closeFolder();
        m_freePaths();
        return false;
    }
    errno = 0;
    const bool read = m_readRegistry(f);
    const int err = errno;
    if (!read) {
        std::fclose(f);
        m_alert("failed to open registry: cannot read %s: %s", target, std::strerror(err != 0 ? err : EIO));
        m_closeFolder();
        m_freePaths();
        return false;
    }
    // A damaged file stays open until the store is closed: its copy, made
    // before a save replaces it, must hold the bytes that were read. A store
    // only read is never saved: it lets the file and the folder go at once.
    if (m_bDamaged && !m_bReadOnly)
        m_pDamagedFile = f;
    else
        std::fclose(f);
    if (m_bReadOnly)
        m_closeFolder();
    m_pszPath = HUtil::s_cloneString(path);
    if (lockError != 0)
        m_tellLockProblem(folder, lockError);
    return true;
}

bool HUnixSystemRegistry::closeRegistry()
{
    const bool saved = !m_pszPath || !m_bChanged || (!m_bReadOnly && m_saveToPath());
    m_freeEntries();
    m_freePaths();
    m_forgetDamagedFile();
    m_closeFolder();
    m_bChanged = false;
    m_bDamaged = false;
    m_bReadOnly = false;
    m_tellHeldMessages();
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

    // One byte more than the bound tells a file that is longer: however
    // long it is (a file of zeros, a device), no more is read.
    constexpr size_t kMost = static_cast<size_t>(kMaxFileBytes) + 1;
    size_t capacity = kChunkBytes < kMost ? kChunkBytes : kMost;
    char* bytes = new char[capacity];
    size_t size = 0;
    for (;;) {
        if (size == capacity) {
            if (capacity == kMost)
                break;
            const size_t grown = capacity * 2 < kMost ? capacity * 2 : kMost;
            char* larger = new char[grown];
            std::memcpy(larger, bytes, size);
            delete[] bytes;
            bytes = larger;
            capacity = grown;
        }
        const size_t want = capacity - size;
        const size_t n = std::fread(bytes + size, 1, want, file);
        size += n;
        if (n < want)
            break;
    }
    if (std::ferror(file)) {
        delete[] bytes;
        return false;
    }
    const bool cut = size > static_cast<size_t>(kMaxFileBytes);
    if (cut)
        size = static_cast<size_t>(kMaxFileBytes);

    Entry* tail = nullptr;
    KeySet keys;
    size_t at = 0;
    // Every way out of the loop but the end of the bytes at a record's start
    // is damage; so are bytes beyond the bound.
    bool damaged = true;
    for (;;) {
        const size_t left = size - at;
        if (left == 0) {
            damaged = cut;
            break;
        }
        const char* key = bytes + at;
        const void* nul = std::memchr(key, 0, left < static_cast<size_t>(kMaxKeyBytes) ? left : kMaxKeyBytes);
        if (!nul)
            break;
        const size_t k = static_cast<size_t>(static_cast<const char*>(nul) - key) + 1;
        if (left - k < static_cast<size_t>(kLengthBytes))
            break;
        int32_t stored = 0;
        std::memcpy(&stored, key + k, kLengthBytes);
        const uint32_t n = static_cast<uint32_t>(HEndian::s_littleLong(stored));
        if (n > static_cast<uint32_t>(kMaxValueLength) || n > left - k - kLengthBytes)
            break;

        Entry* e = new Entry{HUtil::s_cloneString(key), static_cast<int32_t>(n),
                             copyValue(key + k + kLengthBytes, static_cast<int32_t>(n)), nullptr};
        // The writer never writes a key twice.
        if (!keys.insert(e->m_pszKey)) {
            freeEntry(e);
            break;
        }
        if (tail)
            tail->m_pNext = e;
        else
            m_pHead = e;
        tail = e;
        at += k + kLengthBytes + n;
    }
    delete[] bytes;
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

HUnixSystemRegistry::LockResult HUnixSystemRegistry::m_lock(int fd, int64_t deadlineMs)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return LOCK_TAKEN;
        // An interrupted try is tried again as a busy lock is, within the
        // same wait: a call that keeps being interrupted never spins.
        if (errno != EWOULDBLOCK && errno != EINTR)
            return LOCK_FAILED;
        if (m_now() >= deadlineMs)
            return LOCK_HELD_ELSEWHERE;
        (m_pLockPause ? m_pLockPause : pauseMilliseconds)(m_pLockPauseContext, kLockPauseMs);
    }
}

void HUnixSystemRegistry::m_tellLockProblem(const char* folder, int err)
{
    if (m_bLockProblemTold)
        return;
    m_bLockProblemTold = true;
    m_tell("The registry folder %s cannot be locked: %s. The registry is saved without the lock: windows of "
           "the game that save at the same moment may lose each other's changes.\n",
           folder, std::strerror(err));
    HErrorManager::s_trace("...registry folder %s cannot be locked: %s; saving without the lock\n", folder,
                           std::strerror(err));
}

void HUnixSystemRegistry::m_hold(bool alert, const char* fmt, va_list args)
{
    char text[kHeldMessageBytes];
    std::vsnprintf(text, sizeof(text), fmt, args);
    if (m_iHeldMessages == kMaxHeldMessages)
        return;
    m_aHeldMessages[m_iHeldMessages].alert = alert;
    m_aHeldMessages[m_iHeldMessages].text = HUtil::s_cloneString(text);
    ++m_iHeldMessages;
}

void HUnixSystemRegistry::m_alert(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    m_hold(true, fmt, args);
    va_end(args);
}

void HUnixSystemRegistry::m_tell(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    m_hold(false, fmt, args);
    va_end(args);
}

void HUnixSystemRegistry::m_tellHeldMessages()
{
    for (int i = 0; i < m_iHeldMessages; ++i) {
        if (m_aHeldMessages[i].alert)
            HErrorManager::s_alert("%s", m_aHeldMessages[i].text);
        else
            HErrorManager::s_tell("%s", m_aHeldMessages[i].text);
        delete[] m_aHeldMessages[i].text;
        m_aHeldMessages[i].text = nullptr;
    }
    m_iHeldMessages = 0;
}

void HUnixSystemRegistry::m_closeFolder()
{
    // Closing the only descriptor of the folder, or of the lock file, lets
    // the lock go.
    if (m_iLockFileFd >= 0)
        ::close(m_iLockFileFd);
    m_iLockFileFd = -1;
    if (m_iFolderFd >= 0)
        ::close(m_iFolderFd);
    m_iFolderFd = -1;
    m_bLocked = false;
}

const char* HUnixSystemRegistry::m_targetName() const
{
    const char* slash = std::strrchr(m_pszTarget, '/');
    return slash ? slash + 1 : m_pszTarget;
}

void HUnixSystemRegistry::m_besideTarget(const char* name, char* out, int len) const
{
    const int folder = static_cast<int>(m_targetName() - m_pszTarget);
    HUtil::s_sprintf(out, len, "%.*s%s", folder, m_pszTarget, name);
}

bool HUnixSystemRegistry::m_saveToPath()
{
    // The file written must read back whole.
    int64_t bytes = 0;
    for (const Entry* e = m_pHead; e; e = e->m_pNext)
        bytes += static_cast<int64_t>(std::strlen(e->m_pszKey)) + 1 + kLengthBytes + e->m_iLength;
    if (bytes > kMaxFileBytes) {
        m_alert("failed to write registry: it would take %lld bytes, more than the %d a registry file "
                "may hold",
                static_cast<long long>(bytes), static_cast<int>(kMaxFileBytes));
        return false;
    }
    // What a damaged file held after its damage is only lost from the store,
    // never from the disk: no save replaces it before its copy is made.
    if (m_bDamaged && !m_keepDamagedCopy())
        return false;
    if (m_bLocked)
        m_removeStaleTemporaries();

    // The whole store goes to a new file in the same folder, which only
    // replaces the old one once every byte of it is on disk. It keeps the
    // access, the owner and the group of the file it replaces; a new file
    // is this process's user's only.
    const char* name = m_targetName();
    struct stat old;
    const bool replaces = m_iFolderFd >= 0 && ::fstatat(m_iFolderFd, name, &old, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISREG(old.st_mode);
    const mode_t mode = replaces ? (old.st_mode & 07777) : 0600;
    char temp[kDerivedPathBytes];
    FILE* f = nullptr;
    if (m_iFolderFd >= 0)
        f = createTemporary(m_iFolderFd, name, mode, replaces ? &old : nullptr, temp);
    else
        errno = m_iFolderOpenError;
    if (!f) {
        const int err = errno;
        char dir[kPathBytes];
        HUtil::s_strcpy(dir, m_pszPath, sizeof(dir));
        if (char* slash = std::strrchr(dir, '/'))
            *slash = '\0';
        if (err == ENOENT && m_iFolderError != 0)
            m_alert("failed to write registry: cannot create the folder %s: %s", dir,
                    std::strerror(m_iFolderError));
        else
            m_alert("failed to write registry: cannot create a temporary file beside %s: %s",
                    m_pszTarget, std::strerror(err));
        return false;
    }
    errno = 0;
    const bool written = m_writeRegistry(f);
    Failure failure = {nullptr, 0};
    if (!finishTemporary(f, m_iFolderFd, temp, name, written, &failure)) {
        char tempPath[kDerivedPathBytes];
        m_besideTarget(temp, tempPath, sizeof(tempPath));
        // "failed to write registry: cannot <step> <temp>[ to <target>]: <reason>"
        if (std::strcmp(failure.step, "rename") == 0)
            m_alert("failed to write registry: cannot rename %s to %s: %s", tempPath, m_pszTarget,
                    std::strerror(failure.err));
        else
            m_alert("failed to write registry: cannot %s %s: %s", failure.step, tempPath,
                    std::strerror(failure.err));
        return false;
    }
    return true;
}

bool HUnixSystemRegistry::m_keepDamagedCopy()
{
    // The first name that is free, unless one holds these bytes already (a
    // save of this file that failed after its copy was made). The names are
    // the file's own and a suffix, in its folder.
    const char* name = m_targetName();
    char copyName[kDerivedPathBytes];
    bool kept = false;
    bool vacant = false;
    for (int n = 1; n <= kMaxDamagedCopies && !kept && !vacant; ++n) {
        if (n == 1)
            HUtil::s_sprintf(copyName, sizeof(copyName), "%s%s", name, kDamagedSuffix);
        else
            HUtil::s_sprintf(copyName, sizeof(copyName), "%s%s.%d", name, kDamagedSuffix, n);
        const int holds = m_pDamagedFile && m_iFolderFd >= 0 ? holdsTheBytesOf(m_iFolderFd, copyName, m_pDamagedFile)
                                                             : -1;
        kept = holds == 1;
        vacant = holds == -1;
    }
    char copy[kDerivedPathBytes];
    m_besideTarget(copyName, copy, sizeof(copy));
    if (!kept && !vacant) {
        m_tell("The registry file %s was damaged: only the records before the damage could be read. It could "
               "not be kept: %s%s to %s%s.%d hold other damaged files. It is replaced by the records that "
               "were read.\n",
               m_pszPath, m_pszTarget, kDamagedSuffix, m_pszTarget, kDamagedSuffix, kMaxDamagedCopies);
        HErrorManager::s_trace("...registry file damaged: no copy kept, %d copies of other damaged files exist\n",
                               kMaxDamagedCopies);
        return true;
    }
    if (vacant) {
        char temp[kDerivedPathBytes];
        // The copy is the damaged file's owner's, as the file was.
        const bool source = m_pDamagedFile && m_iFolderFd >= 0;
        struct stat damaged;
        const bool owned = source && ::fstat(::fileno(m_pDamagedFile), &damaged) == 0;
        FILE* out = source ? createTemporary(m_iFolderFd, name, 0600, owned ? &damaged : nullptr, temp) : nullptr;
        Failure failure = {"create", source ? errno : EBADF};
        if (!out ||
            !finishTemporary(out, m_iFolderFd, temp, copyName, copyStream(m_pDamagedFile, out), &failure)) {
            m_alert("failed to write registry: the damaged file could not be kept as %s: cannot %s "
                    "it: %s",
                    copy, failure.step, std::strerror(failure.err != 0 ? failure.err : EIO));
            return false;
        }
    }
    m_tell("The registry file %s was damaged: only the records before the damage could be read. "
           "The file as it was is kept in %s.\n",
           m_pszPath, copy);
    HErrorManager::s_trace("...registry file damaged: the file as it was is kept in %s\n", copy);
    return true;
}

void HUnixSystemRegistry::m_removeStaleTemporaries() const
{
    // Listed through a description of its own: the locked one stays as it is.
    const int listing = ::openat(m_iFolderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!d) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    const char* name = m_targetName();
    while (const dirent* e = ::readdir(d)) {
        if (!isTemporaryOf(e->d_name, name))
            continue;
        struct stat st;
        if (::fstatat(m_iFolderFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(m_iFolderFd, e->d_name, 0);
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

void HUnixSystemRegistry::m_freePaths()
{
    delete[] m_pszPath;
    m_pszPath = nullptr;
    delete[] m_pszTarget;
    m_pszTarget = nullptr;
}

void HUnixSystemRegistry::m_forgetDamagedFile()
{
    if (m_pDamagedFile)
        std::fclose(m_pDamagedFile);
    m_pDamagedFile = nullptr;
}
