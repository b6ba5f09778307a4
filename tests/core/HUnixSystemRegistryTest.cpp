// The per-user registry: its file's exact bytes and record order, the typed
// helpers, no write without a change, damaged files and their kept copy,
// saves that must not lose the old file nor block the next open, stray
// temporary files, and paths that do not fit.
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnixSystemRegistry.h"

#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/RegistryFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kCompany = "Acme";
const char* const kProduct = "Tiles";

// One record of the registry file.
std::string record(const std::string& key, const std::string& value)
{
    return registryBytes({{key, value}});
}

std::string captureStdout(const std::function<void()>& run)
{
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
}

std::string captureStderr(const std::function<void()>& run)
{
    testing::internal::CaptureStderr();
    run();
    return testing::internal::GetCapturedStderr();
}

int occurrences(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The file's identity: a save renames a new file over the old one, so an
// unchanged inode means the file was not written.
ino_t inodeOf(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Sets a file's modification time to `age` seconds ago.
bool age(const std::string& path, int seconds)
{
    const timeval then = {static_cast<time_t>(std::time(nullptr) - seconds), 0};
    const timeval times[2] = {then, then};
    return ::utimes(path.c_str(), times) == 0;
}

// Records before the damage, and damaged tails after them.
const std::string kGood = record("first", "one") + record("second", std::string("\x00\x01\x02", 3));
struct Damage {
    const char* what;
    std::string tail;
};
const std::vector<Damage>& damages()
{
    static const std::vector<Damage> all = {
        {"length 0xFFFFFFFF", std::string("third\0", 6) + u32Bytes(0xFFFFFFFFu) + "abc"},
        {"length past the end", std::string("third\0", 6) + u32Bytes(100) + "abc"},
        {"truncated last value", std::string("third\0", 6) + u32Bytes(8) + "abcdefg"},
        {"length above the cap", std::string("third\0", 6) + u32Bytes(HUnixSystemRegistry::kMaxValueLength + 1) +
                                     std::string(HUnixSystemRegistry::kMaxValueLength + 1, 'v')},
        {"length cut short", std::string("third\0", 6) + std::string("\x03\x00", 2)},
        {"key without its NUL at the end", "thi"},
        {"key without a NUL within 1024 bytes", std::string(1500, 'k') + std::string("\0", 1) + u32Bytes(0)},
    };
    return all;
}

// The trace file of the platform layer, in a folder, while the object lives.
class TraceToFile {
public:
    explicit TraceToFile(const TempDir& dir) : m_dir(dir), m_fs(), m_pFile(nullptr)
    {
        m_fs.initFileSystem(dir.path().c_str());
        m_pFile = m_fs.openFileForWrite("trace.txt");
        HPlatform::s_setTraceFile(m_pFile);
    }
    ~TraceToFile() { stop(); }
    // Ends the trace; what it holds.
    std::string stop()
    {
        if (m_pFile) {
            HPlatform::s_setTraceFile(nullptr);
            m_pFile->close();
            m_pFile = nullptr;
        }
        return readFileBytes(m_dir.file("trace.txt"));
    }

private:
    const TempDir& m_dir;
    HStandardFileSystem m_fs;
    HFile* m_pFile;
};

class HUnixSystemRegistryTest : public testing::Test {
protected:
    HUnixSystemRegistryTest() : home(), env("HOME", home.path().c_str()), reg() {}

    std::string dir() const { return home.file(".moravel"); }
    std::string file() const { return home.file(".moravel/registry_Acme_Tiles"); }
    std::string damagedCopy() const { return file() + ".damaged"; }
    bool open() { return reg.openRegistry(nullptr, kCompany, kProduct); }
    void writeFile(const std::string& bytes) const { home.write(".moravel/registry_Acme_Tiles", bytes); }

    std::string text(const char* key)
    {
        char buf[256];
        if (!reg.getStringValue(key, buf, sizeof(buf)))
            return "<absent>";
        return buf;
    }

    TempDir home;
    ScopedEnv env;
    HUnixSystemRegistry reg;
};

TEST_F(HUnixSystemRegistryTest, WithoutAFileTheStoreIsEmptyAndAnEmptyCloseWritesNothing)
{
    ASSERT_TRUE(open());
    EXPECT_EQ(std::string(reg.getPath()), file());
    struct stat st;
    ASSERT_EQ(::stat(dir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "the registry directory is the owner's only";
    EXPECT_EQ(text("Fullscreen"), "<absent>");
    EXPECT_TRUE(reg.closeRegistry());
    EXPECT_EQ(reg.getPath(), nullptr);
    EXPECT_FALSE(fileExists(file()));
}

TEST_F(HUnixSystemRegistryTest, FileBytesAndRecordOrder)
{
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("a", "xy", 3)); // the writer's terminator is part of the value
    const unsigned char two[2] = {0x00, 0xFE};
    ASSERT_TRUE(reg.setBinaryValue("b", two, 2));
    ASSERT_TRUE(reg.closeRegistry());
    const std::string b = record("b", std::string("\x00\xFE", 2));
    EXPECT_EQ(readFileBytes(file()), b + record("a", std::string("xy\0", 3))) << "new keys go first";

    // A load keeps file order, a new key goes before it, and an existing key
    // keeps its place when its value changes.
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("c", "1", 1));
    ASSERT_TRUE(reg.setStringValue("a", "longer value", 12));
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), record("c", "1") + b + record("a", "longer value"));
    EXPECT_EQ(namesIn(dir()), std::vector<std::string>{"registry_Acme_Tiles"}) << "no temporary file is left";
}

// Only a value set to something new makes a close write: reading, and
// setting values to the bytes they hold, leave the file as it is.
TEST_F(HUnixSystemRegistryTest, NoWriteWithoutAChange)
{
    const std::string old = record("a", "1") + record("b", std::string("xy\0", 3)) + record("empty", "");
    writeFile(old);
    const ino_t before = inodeOf(file());
    ASSERT_TRUE(open());
    EXPECT_FALSE(reg.isDamaged());
    EXPECT_EQ(text("a"), "1");
    ASSERT_TRUE(reg.setStringValue("a", "1", 1));
    ASSERT_TRUE(reg.setBinaryValue("b", "xy", 3));
    ASSERT_TRUE(reg.setBinaryValue("empty", nullptr, 0));
    EXPECT_FALSE(reg.hasChanged());
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), old);
    EXPECT_EQ(inodeOf(file()), before) << "the file was written again";

    // A value of another length, other bytes, or a new key is a change.
    const struct {
        const char* what;
        const char* key;
        std::string value;
        std::string file;
    } changes[] = {
        {"longer", "a", "12", record("a", "12") + record("b", std::string("xy\0", 3)) + record("empty", "")},
        {"other bytes", "b", std::string("xz\0", 3), record("a", "12") + record("b", std::string("xz\0", 3)) +
                                                         record("empty", "")},
        {"a new key", "c", "", record("c", "") + record("a", "12") + record("b", std::string("xz\0", 3)) +
                                   record("empty", "")},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        // The save's temporary file is made while this one exists, so a
        // written file has another inode (a freed one may come back later).
        const ino_t current = inodeOf(file());
        ASSERT_TRUE(open());
        ASSERT_TRUE(reg.setBinaryValue(c.key, c.value.data(), static_cast<int>(c.value.size())));
        EXPECT_TRUE(reg.hasChanged());
        ASSERT_TRUE(reg.closeRegistry());
        EXPECT_EQ(readFileBytes(file()), c.file);
        EXPECT_NE(inodeOf(file()), current) << "the file was not written";
    }
}

TEST_F(HUnixSystemRegistryTest, OpeningAgainWritesTheOpenStoreBackFirst)
{
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "v", 2));
    ASSERT_TRUE(reg.openRegistry(nullptr, kCompany, "Other"));
    EXPECT_EQ(readFileBytes(file()), record("k", std::string("v\0", 2)));
    EXPECT_EQ(text("k"), "<absent>") << "the other product's store is its own";
    EXPECT_TRUE(reg.closeRegistry());
}

TEST_F(HUnixSystemRegistryTest, TypedHelpersAndCopies)
{
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setU32Value("u", 0x3F800000u));
    float f = 0.0f;
    ASSERT_TRUE(reg.getFloatValue("u", &f));
    EXPECT_EQ(f, 1.0f) << "the float with the same bits";
    ASSERT_TRUE(reg.setFloatValue("f", -2.5f));
    uint32_t u = 0;
    ASSERT_TRUE(reg.getU32Value("f", &u));
    EXPECT_EQ(u, 0xC0200000u);

    ASSERT_TRUE(reg.setBinaryValue("short", "\x01\x02", 2));
    u = 7;
    f = 7.0f;
    EXPECT_FALSE(reg.getU32Value("short", &u));
    EXPECT_FALSE(reg.getFloatValue("short", &f));
    EXPECT_FALSE(reg.getU32Value("absent", &u));
    EXPECT_EQ(u, 7u);
    EXPECT_EQ(f, 7.0f);

    ASSERT_TRUE(reg.setBinaryValue("eight", "ABCDEFGH", 8));
    char four[4] = {};
    int copied = -1;
    ASSERT_TRUE(reg.getBinaryValue("eight", four, 4, &copied));
    EXPECT_EQ(copied, 4);
    EXPECT_EQ(std::string(four, 4), "ABCD");
    copied = -1;
    EXPECT_FALSE(reg.getBinaryValue("absent", four, 4, &copied));
    EXPECT_EQ(copied, -1);

    ASSERT_TRUE(reg.setStringValue("twelve", "0123456789AB", 12));
    char eight[8];
    std::memset(eight, 'x', sizeof(eight));
    ASSERT_TRUE(reg.getStringValue("twelve", eight, sizeof(eight)));
    EXPECT_STREQ(eight, "0123456");
    char wide[16];
    std::memset(wide, 'x', sizeof(wide));
    ASSERT_TRUE(reg.setStringValue("zero", "ab\0cd", 5));
    ASSERT_TRUE(reg.getStringValue("zero", wide, sizeof(wide)));
    EXPECT_EQ(std::string(wide, sizeof(wide)), std::string("ab") + std::string(14, '\0'))
        << "text stops at the first zero byte and the rest is zero-filled";
    EXPECT_TRUE(reg.closeRegistry());
}

TEST_F(HUnixSystemRegistryTest, RefusedArguments)
{
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "value", 5));
    char buf[8] = "keep";
    int copied = -1;
    EXPECT_FALSE(reg.setStringValue("k", "value", -1));
    EXPECT_FALSE(reg.setBinaryValue("k", "value", -1));
    EXPECT_FALSE(reg.setBinaryValue("k", nullptr, 3));
    EXPECT_FALSE(reg.setBinaryValue("k", "x", HUnixSystemRegistry::kMaxValueLength + 1));
    EXPECT_FALSE(reg.setStringValue(nullptr, "x", 1));
    EXPECT_FALSE(reg.getStringValue("k", buf, 0));
    EXPECT_FALSE(reg.getStringValue("k", buf, -3));
    EXPECT_FALSE(reg.getBinaryValue("k", buf, -1, &copied));
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(copied, -1);
    EXPECT_EQ(text("k"), "value");

    // An empty value is a value.
    ASSERT_TRUE(reg.setBinaryValue("empty", nullptr, 0));
    ASSERT_TRUE(reg.getBinaryValue("empty", buf, sizeof(buf), &copied));
    EXPECT_EQ(copied, 0);

    // 1023 characters and the NUL fill the reader's 1024 bytes; one more
    // could not be read back (and would lose every record after it).
    const std::string longest(1023, 'k');
    const std::string tooLong(1024, 'k');
    EXPECT_TRUE(reg.setStringValue(longest.c_str(), "L", 1));
    EXPECT_FALSE(reg.setStringValue(tooLong.c_str(), "T", 1));
    EXPECT_FALSE(reg.setBinaryValue(tooLong.c_str(), "T", 1));
    ASSERT_TRUE(reg.closeRegistry());

    ASSERT_TRUE(open());
    EXPECT_EQ(text(longest.c_str()), "L");
    EXPECT_EQ(text("k"), "value") << "records after the longest key are still read";
    EXPECT_EQ(text(tooLong.c_str()), "<absent>");
    EXPECT_TRUE(reg.closeRegistry());
}

TEST_F(HUnixSystemRegistryTest, HomeEndingInASlashGivesNoDoubledSeparator)
{
    const std::string withSlash = home.path() + "/";
    ScopedEnv slash("HOME", withSlash.c_str());
    ASSERT_TRUE(open());
    EXPECT_EQ(std::string(reg.getPath()), home.path() + "/.moravel/registry_Acme_Tiles");
    ASSERT_TRUE(reg.setU32Value("x", 1));
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_TRUE(fileExists(file()));
}

// A damaged file loads as the records before the damage. Opening and
// closing it without a change leaves it as it is; the first save copies it,
// as it was, to "<file>.damaged", tells the player, and then writes the
// records that were read.
TEST_F(HUnixSystemRegistryTest, ADamagedFileIsLeftAloneThenCopiedBeforeTheFirstSave)
{
    for (const Damage& c : damages()) {
        SCOPED_TRACE(c.what);
        const std::string original = kGood + c.tail;
        writeFile(original);
        ::unlink(damagedCopy().c_str());
        HUnixSystemRegistry run; // one run of the program
        ASSERT_TRUE(run.openRegistry(nullptr, kCompany, kProduct));
        EXPECT_TRUE(run.isDamaged());
        char bytes[8];
        int copied = 0;
        ASSERT_TRUE(run.getBinaryValue("first", bytes, sizeof(bytes), &copied));
        EXPECT_EQ(std::string(bytes, copied), "one");
        ASSERT_TRUE(run.getBinaryValue("second", bytes, sizeof(bytes), &copied));
        EXPECT_EQ(std::string(bytes, copied), std::string("\x00\x01\x02", 3));
        EXPECT_FALSE(run.getBinaryValue("third", bytes, sizeof(bytes), &copied));
        std::string err = captureStderr([&] { EXPECT_TRUE(run.closeRegistry()); });
        EXPECT_EQ(err, "");
        EXPECT_EQ(readFileBytes(file()), original);
        EXPECT_FALSE(fileExists(damagedCopy()));

        ASSERT_TRUE(run.openRegistry(nullptr, kCompany, kProduct));
        ASSERT_TRUE(run.setStringValue("new", "v", 1));
        err = captureStderr([&] { EXPECT_TRUE(run.closeRegistry()); });
        EXPECT_EQ(readFileBytes(damagedCopy()), original);
        EXPECT_EQ(readFileBytes(file()), record("new", "v") + kGood);
        EXPECT_EQ(occurrences(err, "kept in " + damagedCopy()), 1) << err;
        EXPECT_EQ(namesIn(dir()), (std::vector<std::string>{"registry_Acme_Tiles", "registry_Acme_Tiles.damaged"}));
    }
}

// One copy per run: a later save of the same run never overwrites it, and it
// holds the bytes that were read even when another program has renamed its
// own file over the path since.
TEST_F(HUnixSystemRegistryTest, TheDamagedCopyIsMadeOncePerRunFromTheBytesThatWereRead)
{
    const std::string first = kGood + damages()[0].tail;
    const std::string second = record("other", "window") + damages()[1].tail;
    TempDir traceDir;
    TraceToFile trace(traceDir);
    std::string err;

    writeFile(first);
    ASSERT_TRUE(open());
    home.write(".moravel/elsewhere", record("renamed", "over"));
    ASSERT_EQ(std::rename(home.file(".moravel/elsewhere").c_str(), file().c_str()), 0);
    ASSERT_TRUE(reg.setStringValue("mine", "1", 1));
    err += captureStderr([&] { EXPECT_TRUE(reg.closeRegistry()); });
    EXPECT_EQ(readFileBytes(damagedCopy()), first);
    EXPECT_EQ(readFileBytes(file()), record("mine", "1") + kGood);

    // The file is whole again; then damaged once more in the same run.
    ASSERT_TRUE(open());
    EXPECT_FALSE(reg.isDamaged());
    ASSERT_TRUE(reg.setStringValue("mine", "2", 1));
    err += captureStderr([&] { EXPECT_TRUE(reg.closeRegistry()); });
    writeFile(second);
    ASSERT_TRUE(open());
    EXPECT_TRUE(reg.isDamaged());
    ASSERT_TRUE(reg.setStringValue("mine", "3", 1));
    err += captureStderr([&] { EXPECT_TRUE(reg.closeRegistry()); });
    EXPECT_EQ(readFileBytes(damagedCopy()), first) << "the kept copy was overwritten";
    EXPECT_EQ(readFileBytes(file()), record("mine", "3") + record("other", "window"));

    EXPECT_EQ(occurrences(err, "The registry file " + file() + " was damaged"), 1) << err;
    EXPECT_EQ(occurrences(err, "kept in " + damagedCopy()), 1) << err;
    const std::string traced = trace.stop();
    EXPECT_EQ(occurrences(traced, "...registry file damaged: the file as it was is kept in " + damagedCopy() + "\n"),
              1)
        << traced;
}

// When the copy cannot be made, the damaged file is not replaced.
TEST_F(HUnixSystemRegistryTest, ADamagedFileThatCannotBeCopiedIsNotReplaced)
{
    const std::string original = kGood + damages()[0].tail;
    writeFile(original);
    // A folder in the copy's place: nothing can be renamed over it, for root either.
    home.write(".moravel/registry_Acme_Tiles.damaged/inside", "x");
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("new", "v", 1));
    bool closed = true;
    const std::string out = captureStdout([&] { closed = reg.closeRegistry(); });
    EXPECT_FALSE(closed);
    EXPECT_NE(out.find("the damaged file could not be kept as " + damagedCopy()), std::string::npos) << out;
    EXPECT_EQ(readFileBytes(file()), original);
    EXPECT_EQ(namesIn(dir()), (std::vector<std::string>{"registry_Acme_Tiles", "registry_Acme_Tiles.damaged"}))
        << "no temporary file is left";
}

TEST_F(HUnixSystemRegistryTest, AnEmptyFileIsAnEmptyStore)
{
    writeFile("");
    ASSERT_TRUE(open());
    EXPECT_EQ(reg.getHead(), nullptr);
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), "");
}

// A save that fails is reported once and gives its store up: the old file
// stays, the next open reads it again, and what was not saved is never
// written later over what the file has gained meanwhile.
TEST_F(HUnixSystemRegistryTest, AFailedSaveKeepsTheOldFileAndDoesNotBlockTheNextOpen)
{
    const std::string old = record("Volume", "200");
    writeFile(old);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("Layout", "Turtle", 7));
    ASSERT_EQ(::chmod(dir().c_str(), 0500), 0);
    std::string out;
    {
        AsOrdinaryUser user(home.path());
        if (!user.active())
            GTEST_SKIP() << "cannot leave root here, so directory permissions do not apply";
        out = captureStdout([&] {
            EXPECT_FALSE(reg.closeRegistry());
            EXPECT_EQ(readFileBytes(file()), old);
            EXPECT_EQ(namesIn(dir()), std::vector<std::string>{"registry_Acme_Tiles"});
            EXPECT_EQ(reg.getPath(), nullptr);
            EXPECT_EQ(reg.getHead(), nullptr);
            // The next open reads the file again.
            ASSERT_TRUE(open());
            EXPECT_EQ(text("Volume"), "200");
            EXPECT_EQ(text("Layout"), "<absent>");
            EXPECT_TRUE(reg.closeRegistry());
        });
    }
    EXPECT_EQ(occurrences(out, "failed to open registry: Permission denied"), 1) << out;
    ASSERT_EQ(::chmod(dir().c_str(), 0700), 0);
    // Another window saves; this run's store is gone, so its closes write nothing.
    const std::string gained = record("Volume", "150") + record("Tileset", "3");
    writeFile(gained);
    EXPECT_TRUE(reg.closeRegistry());
    ASSERT_TRUE(open());
    EXPECT_EQ(text("Layout"), "<absent>");
    EXPECT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), gained);
}

TEST_F(HUnixSystemRegistryTest, AFullDiskDuringASaveLosesNothing)
{
    const std::string old = record("Volume", "200");
    writeFile(old);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("Names", std::string(4096, 'n').c_str(), 4096));

    // Writes beyond 1024 bytes fail as on a full disk, for root as well; the
    // captured alert still fits.
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool closed = true;
    const std::string out = captureStdout([&] { closed = reg.closeRegistry(); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(closed);
    EXPECT_NE(out.find("failed to write registry: File too large"), std::string::npos) << out;
    EXPECT_EQ(readFileBytes(file()), old);
    EXPECT_EQ(namesIn(dir()), std::vector<std::string>{"registry_Acme_Tiles"}) << "the partial file is removed";
    // Space again: the next open reads the file and a new save succeeds.
    ASSERT_TRUE(open());
    EXPECT_EQ(text("Names"), "<absent>");
    ASSERT_TRUE(reg.setStringValue("Names", std::string(4096, 'n').c_str(), 4096));
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), record("Names", std::string(4096, 'n')) + old);
}

// An interrupted save leaves "<file>.XXXXXX" behind; the next save removes
// those older than a minute, and nothing else.
TEST_F(HUnixSystemRegistryTest, StaleTemporaryFilesAreRemovedByTheNextSave)
{
    writeFile(record("k", "v"));
    const struct {
        const char* name;
        int ageSeconds;
        bool removed;
    } files[] = {
        {"registry_Acme_Tiles.a1B2c3", 120, true},
        {"registry_Acme_Tiles.ZZZZZZ", 3600, true},
        {"registry_Acme_Tiles.Z9y8X7", 30, false}, // another window's save in progress
        {"registry_Acme_Tiles.damaged", 120, false},
        {"registry_Acme_Other.a1B2c3", 120, false},
        {"registry_Acme_Tiles.a1B2c", 120, false},
        {"registry_Acme_Tiles.a1B2c3d", 120, false},
        {"registry_Acme_Tiles.a1-2c3", 120, false},
        {"registry_Acme_Tilesxa1B2c3", 120, false},
    };
    std::vector<std::string> kept = {"registry_Acme_Tiles", "registry_Acme_Tiles.q1w2e3"};
    for (const auto& f : files) {
        ASSERT_TRUE(age(home.write(".moravel/" + std::string(f.name), std::string(4096, 't')), f.ageSeconds));
        if (!f.removed)
            kept.push_back(f.name);
    }
    // A folder of that name is not a temporary file.
    home.write(".moravel/registry_Acme_Tiles.q1w2e3/inside", "x");
    ASSERT_TRUE(age(file() + ".q1w2e3", 120));
    std::sort(kept.begin(), kept.end());

    // No save, no removal.
    const std::vector<std::string> before = namesIn(dir());
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(namesIn(dir()), before);

    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "w", 1));
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(namesIn(dir()), kept);
    EXPECT_EQ(readFileBytes(file()), record("k", "w"));
}

// The registry file's path must fit in 1023 characters: a longer one is
// refused with a clear message, and nothing is made under a cut name.
TEST_F(HUnixSystemRegistryTest, ARegistryPathThatDoesNotFitIsRefused)
{
    // "/.moravel/registry_Acme_Tiles" follows the home directory.
    const size_t suffix = std::strlen("/.moravel/registry_Acme_Tiles");
    const size_t longest = HUnixSystemRegistry::kPathBytes - 1 - suffix;
    const struct {
        const char* what;
        size_t homeLength;
        bool fits;
    } cases[] = {
        {"the file's name is cut by one character", longest + 1, false},
        {"the file's name is cut to \"registry_\"", longest + 10, false},
        {"the folder's name is cut", HUnixSystemRegistry::kPathBytes - std::strlen("/.moravel"), false},
        {"the folder and the file are both cut to \".morav\"", 1016, false},
        {"the longest path", longest, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir root;
        const std::string longHome = root.folderOfLength(c.homeLength);
        ASSERT_EQ(longHome.size(), c.homeLength);
        ScopedEnv env("HOME", longHome.c_str());
        HUnixSystemRegistry run;
        bool opened = !c.fits;
        const std::string out = captureStdout([&] { opened = run.openRegistry(nullptr, kCompany, kProduct); });
        EXPECT_EQ(opened, c.fits);
        if (!c.fits) {
            EXPECT_NE(out.find("failed to open registry: the path of the registry file under the home directory "
                               "would be longer than 1023 characters"),
                      std::string::npos)
                << out;
            EXPECT_EQ(run.getPath(), nullptr);
            EXPECT_TRUE(run.setStringValue("k", "v", 1));
            EXPECT_TRUE(run.closeRegistry());
            EXPECT_EQ(namesIn(longHome), std::vector<std::string>{}) << "something was made under a cut name";
            continue;
        }
        EXPECT_EQ(out, "");
        ASSERT_TRUE(run.setStringValue("k", "v", 1));
        ASSERT_TRUE(run.closeRegistry());
        EXPECT_EQ(readFileBytes(longHome + "/.moravel/registry_Acme_Tiles"), record("k", "v"));
    }
}

// A file that is there but cannot be read holds best times the store never
// saw: the open fails, the registry stays closed, and a run that sets values
// anyway (and the close at exit) leaves the file as it was.
class HUnixSystemRegistryUnreadableTest : public HUnixSystemRegistryTest {
protected:
    void runThatChangesValuesAndCloses(const char* alert)
    {
        const std::string out = captureStdout([&] { EXPECT_FALSE(open()); });
        EXPECT_NE(out.find(alert), std::string::npos) << out;
        EXPECT_EQ(reg.getHead(), nullptr);
        EXPECT_EQ(reg.getPath(), nullptr) << "nothing is left that could be saved over the file";
        reg.setStringValue("Volume", "10", 3);
        reg.setU32Value("Fullscreen", 1);
        EXPECT_TRUE(reg.closeRegistry());
        EXPECT_EQ(namesIn(dir()), std::vector<std::string>{"registry_Acme_Tiles"}) << "no temporary file either";
    }

    const std::string oldFile = record("Best 1", std::string(48, 'b')) + record("Volume", "200");
};

TEST_F(HUnixSystemRegistryUnreadableTest, AFileThatMayNotBeReadIsNeverReplaced)
{
    writeFile(oldFile);
    ASSERT_EQ(::chmod(file().c_str(), 0000), 0);
    {
        AsOrdinaryUser user(home.path());
        if (!user.active())
            GTEST_SKIP() << "cannot leave root here, so file permissions do not apply";
        runThatChangesValuesAndCloses("failed to open registry: Permission denied");
    }
    ASSERT_EQ(::chmod(file().c_str(), 0600), 0);
    EXPECT_EQ(readFileBytes(file()), oldFile);
}

// Opening a directory for reading succeeds and its first read fails, as an
// I/O error would, for root as well.
TEST_F(HUnixSystemRegistryUnreadableTest, AReadErrorLeavesNothingToSaveOverTheFile)
{
    home.write(".moravel/registry_Acme_Tiles/inside", oldFile);
    runThatChangesValuesAndCloses("failed to open registry: Is a directory");
    struct stat st;
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(readFileBytes(file() + "/inside"), oldFile);
}

TEST_F(HUnixSystemRegistryTest, WithoutAHomeDirectoryOpeningFails)
{
    // Neither "HOME" nor the password database: a real user id that has no
    // entry there. Only root can take one and come back.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to take a user id without a password entry";
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        ScopedEnv noHome("HOME", value);
        ASSERT_EQ(::setresuid(54321, 0, 0), 0);
        std::string out;
        bool opened = true;
        out = captureStdout([&] { opened = open(); });
        ASSERT_EQ(::setresuid(0, 0, 0), 0);
        EXPECT_FALSE(opened);
        EXPECT_NE(out.find("failed to open registry: no home directory"), std::string::npos) << out;
        EXPECT_EQ(reg.getPath(), nullptr);
    }
}

TEST_F(HUnixSystemRegistryTest, ReaderStartsFromTheCurrentPositionOfAStream)
{
    const std::string bytes = "skip" + record("k", "v") + record("j", "w");
    FILE* f = ::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fseek(f, 4, SEEK_SET), 0);
    reg.m_readRegistry(f);
    std::fclose(f);
    EXPECT_EQ(text("k"), "v");
    EXPECT_EQ(text("j"), "w");
    char* out = nullptr;
    size_t size = 0;
    FILE* w = ::open_memstream(&out, &size);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(reg.m_writeRegistry(w));
    std::fclose(w);
    EXPECT_EQ(std::string(out, size), bytes.substr(4));
    std::free(out);
}

TEST(HSystemRegistry, OneObjectForTheProcess)
{
    TempDir home;
    ScopedEnv env("HOME", home.path().c_str());
    HSystemRegistry* reg = HSystemRegistry::s_getSystemRegistry();
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(HSystemRegistry::s_getSystemRegistry(), reg);
    ASSERT_TRUE(reg->openRegistry(nullptr, kCompany, kProduct));
    ASSERT_TRUE(reg->setU32Value("Fullscreen", 1));
    // Closed before the directory goes, so the close at process exit finds
    // nothing to write.
    ASSERT_TRUE(reg->closeRegistry());
    EXPECT_EQ(readFileBytes(home.file(".moravel/registry_Acme_Tiles")), record("Fullscreen", std::string("\1\0\0\0", 4)));
}

} // namespace
