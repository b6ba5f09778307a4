// The per-user registry: its file's exact bytes and record order, the typed
// helpers, no write without a change, damaged files and their kept copies,
// the bound on what is read, saves that must not lose the old file nor block
// the next open (and say which step failed), the lock that serialises
// processes, stray temporary files, files that are not regular, symbolic
// links, and paths that do not fit.
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

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cctype>
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
        {"a key read before", record("first", "again")},
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
    // The names in the registry's folder: the file and `others` (the lock
    // makes no file).
    std::vector<std::string> namesBeside(std::vector<std::string> others = {}) const
    {
        others.push_back("registry_Acme_Tiles");
        std::sort(others.begin(), others.end());
        return others;
    }
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
    EXPECT_EQ(namesIn(dir()), namesBeside()) << "no temporary file is left";
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
        EXPECT_TRUE(readFileBytes(damagedCopy()) == original);
        EXPECT_EQ(readFileBytes(file()), record("new", "v") + kGood);
        EXPECT_EQ(occurrences(err, "kept in " + damagedCopy() + ".\n"), 1) << err;
        EXPECT_EQ(namesIn(dir()), namesBeside({"registry_Acme_Tiles.damaged"}));
    }
}

// Every damaged original is kept: a copy holds the bytes that were read
// (also when another program has renamed its own file over the path since),
// a file damaged again in the same run, or in a later run, goes to the next
// free name past anything in the way, the same damaged bytes are not copied
// twice, and the player is told each time.
TEST_F(HUnixSystemRegistryTest, EveryDamagedOriginalIsKept)
{
    const std::string first = kGood + damages()[0].tail;
    const std::string second = record("other", "window") + damages()[1].tail;
    const std::string third = record("later", "run") + damages()[2].tail;
    TempDir traceDir;
    TraceToFile trace(traceDir);
    std::string err;
    auto saveOnce = [&](HUnixSystemRegistry& run, const char* value) {
        ASSERT_TRUE(run.openRegistry(nullptr, kCompany, kProduct));
        ASSERT_TRUE(run.setStringValue("mine", value, 1));
        err += captureStderr([&] { EXPECT_TRUE(run.closeRegistry()); });
    };

    writeFile(first);
    ASSERT_TRUE(open());
    home.write(".moravel/elsewhere", record("renamed", "over"));
    ASSERT_EQ(std::rename(home.file(".moravel/elsewhere").c_str(), file().c_str()), 0);
    ASSERT_TRUE(reg.setStringValue("mine", "1", 1));
    err += captureStderr([&] { EXPECT_TRUE(reg.closeRegistry()); });
    EXPECT_EQ(readFileBytes(damagedCopy()), first);
    EXPECT_EQ(readFileBytes(file()), record("mine", "1") + kGood);

    // The file is whole again; then damaged once more in the same run.
    saveOnce(reg, "2");
    writeFile(second);
    saveOnce(reg, "3");
    EXPECT_EQ(readFileBytes(damagedCopy()), first) << "the first copy was overwritten";
    EXPECT_EQ(readFileBytes(damagedCopy() + ".2"), second);
    EXPECT_EQ(readFileBytes(file()), record("mine", "3") + record("other", "window"));
    // The same damaged bytes once more: they are kept already.
    writeFile(second);
    saveOnce(reg, "4");
    EXPECT_EQ(namesIn(dir()), namesBeside({"registry_Acme_Tiles.damaged", "registry_Acme_Tiles.damaged.2"}));

    // A later run, with a folder in the way of the next name.
    home.write(".moravel/registry_Acme_Tiles.damaged.3/inside", "x");
    writeFile(third);
    HUnixSystemRegistry later;
    saveOnce(later, "5");
    EXPECT_EQ(readFileBytes(damagedCopy()), first);
    EXPECT_EQ(readFileBytes(damagedCopy() + ".2"), second);
    EXPECT_EQ(readFileBytes(damagedCopy() + ".4"), third);
    EXPECT_EQ(readFileBytes(file()), record("mine", "5") + record("later", "run"));

    EXPECT_EQ(occurrences(err, "The registry file " + file() + " was damaged"), 4) << err;
    EXPECT_EQ(occurrences(err, "kept in " + damagedCopy() + ".\n"), 1) << err;
    EXPECT_EQ(occurrences(err, "kept in " + damagedCopy() + ".2.\n"), 2) << err;
    EXPECT_EQ(occurrences(err, "kept in " + damagedCopy() + ".4.\n"), 1) << err;
    const std::string traced = trace.stop();
    for (const char* suffix : {"", ".2", ".4"}) {
        EXPECT_NE(traced.find("...registry file damaged: the file as it was is kept in " + damagedCopy() + suffix +
                              "\n"),
                  std::string::npos)
            << traced;
    }
}

// Nine copies at most: with every name taken by other bytes the save says
// so and goes on.
TEST_F(HUnixSystemRegistryTest, WithNineCopiesTheSaveSaysSoAndGoesOn)
{
    std::vector<std::string> copies;
    for (int n = 1; n <= HUnixSystemRegistry::kMaxDamagedCopies; ++n) {
        const std::string name = "registry_Acme_Tiles.damaged" + (n == 1 ? std::string() : "." + std::to_string(n));
        home.write(".moravel/" + name, "copy " + std::to_string(n));
        copies.push_back(name);
    }
    writeFile(kGood + damages()[0].tail);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("new", "v", 1));
    const std::string err = captureStderr([&] { EXPECT_TRUE(reg.closeRegistry()); });
    EXPECT_NE(err.find("It could not be kept: " + damagedCopy() + " to " + damagedCopy() + ".9 hold other damaged "
                       "files. It is replaced by the records that were read."),
              std::string::npos)
        << err;
    EXPECT_EQ(readFileBytes(file()), record("new", "v") + kGood);
    EXPECT_EQ(namesIn(dir()), namesBeside(copies));
    EXPECT_EQ(readFileBytes(damagedCopy()), "copy 1");
}

// Writes past `bytes` fail as on a full disk, for root as well, while `run`
// runs (the signal such a write raises is ignored, as the game ignores it).
void withFileSizeLimit(rlim_t bytes, const std::function<void()>& run)
{
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = bytes;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    run();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
}

// When the copy cannot be written, the damaged file is not replaced.
TEST_F(HUnixSystemRegistryTest, ADamagedFileThatCannotBeCopiedIsNotReplaced)
{
    // A damaged tail of 4 KB: its copy does not fit under the limit, the
    // records read would.
    const std::string original = kGood + std::string("third\0", 6) + u32Bytes(100000) + std::string(4096, 'g');
    writeFile(original);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("new", "v", 1));
    bool closed = true;
    std::string out;
    withFileSizeLimit(1024, [&] { out = captureStdout([&] { closed = reg.closeRegistry(); }); });
    EXPECT_FALSE(closed);
    EXPECT_NE(out.find("failed to write registry: the damaged file could not be kept as " + damagedCopy() +
                       ": cannot write it: File too large"),
              std::string::npos)
        << out;
    EXPECT_TRUE(readFileBytes(file()) == original);
    EXPECT_EQ(namesIn(dir()), namesBeside()) << "no temporary file is left";
}

TEST_F(HUnixSystemRegistryTest, AnEmptyFileIsAnEmptyStore)
{
    writeFile("");
    ASSERT_TRUE(open());
    EXPECT_EQ(reg.getHead(), nullptr);
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), "");
}

// At most kMaxFileBytes are read: a longer file is damaged after them,
// however long it is, and keeps what was read before; a file of zeros holds
// one empty key, then the same key again.
TEST_F(HUnixSystemRegistryTest, ReadingStopsAtTheBound)
{
    const int32_t bound = HUnixSystemRegistry::kMaxFileBytes;
    const std::string fits = record("a", std::string(static_cast<size_t>(bound) - 6, 'x'));
    ASSERT_EQ(fits.size(), static_cast<size_t>(bound));
    const struct {
        const char* what;
        std::string bytes;
        bool damaged;
        std::vector<std::string> keys;
    } cases[] = {
        {"exactly the bound", fits, false, {"a"}},
        {"one byte more", fits + "z", true, {"a"}},
        {"a record across the bound", record("b", "1") + fits, true, {"b"}},
        {"8 MiB of zeros", std::string(8u << 20, '\0'), true, {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(c.bytes);
        ASSERT_TRUE(open());
        EXPECT_EQ(reg.isDamaged(), c.damaged);
        std::vector<std::string> keys;
        for (const HUnixSystemRegistry::Entry* e = reg.getHead(); e; e = e->m_pNext)
            keys.push_back(e->m_pszKey);
        EXPECT_EQ(keys, c.keys);
        ASSERT_TRUE(reg.closeRegistry());
    }
}

// A store whose file would be longer than the reader takes is not saved:
// the old file stays.
TEST_F(HUnixSystemRegistryTest, AStoreLargerThanTheBoundIsNotSaved)
{
    const std::string old = record("Volume", "200");
    writeFile(old);
    ASSERT_TRUE(open());
    // With the old record, key, NUL and length: one byte over the bound.
    const std::string value(static_cast<size_t>(HUnixSystemRegistry::kMaxFileBytes) + 1 - old.size() - 8, 'v');
    ASSERT_TRUE(reg.setBinaryValue("big", value.data(), static_cast<int>(value.size())));
    bool closed = true;
    const std::string out = captureStdout([&] { closed = reg.closeRegistry(); });
    EXPECT_FALSE(closed);
    EXPECT_NE(out.find("failed to write registry: it would take 1048577 bytes, more than the 1048576 a registry "
                       "file may hold"),
              std::string::npos)
        << out;
    EXPECT_EQ(readFileBytes(file()), old);
}

// A save that fails is reported once, with the step that failed, and gives
// its store up: the old file stays, the next open reads it again, and what
// was not saved is never written later over what the file has gained
// meanwhile.
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
            EXPECT_EQ(namesIn(dir()), namesBeside());
            EXPECT_EQ(reg.getPath(), nullptr);
            EXPECT_EQ(reg.getHead(), nullptr);
            EXPECT_FALSE(reg.isLocked());
            // The next open reads the file again.
            ASSERT_TRUE(open());
            EXPECT_EQ(text("Volume"), "200");
            EXPECT_EQ(text("Layout"), "<absent>");
            EXPECT_TRUE(reg.closeRegistry());
        });
    }
    EXPECT_EQ(occurrences(out, "failed to write registry: cannot create a temporary file beside " + file() +
                                   ": Permission denied"),
              1)
        << out;
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

    bool closed = true;
    std::string out;
    withFileSizeLimit(1024, [&] { out = captureStdout([&] { closed = reg.closeRegistry(); }); });
    EXPECT_FALSE(closed);
    // The temporary file's name: the file's, the marker, six letters or digits.
    const std::string temporary = "failed to write registry: cannot write " + file() + ".#saving#";
    const size_t at = out.find(temporary);
    ASSERT_NE(at, std::string::npos) << out;
    const std::string letters = out.substr(at + temporary.size(), 6);
    EXPECT_TRUE(std::all_of(letters.begin(), letters.end(),
                            [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
        << letters;
    const std::string reason = ": File too large";
    EXPECT_EQ(out.compare(at + temporary.size() + 6, reason.size(), reason), 0) << out;
    EXPECT_EQ(readFileBytes(file()), old);
    EXPECT_EQ(namesIn(dir()), namesBeside()) << "the partial file is removed";
    // Space again: the next open reads the file and a new save succeeds.
    ASSERT_TRUE(open());
    EXPECT_EQ(text("Names"), "<absent>");
    ASSERT_TRUE(reg.setStringValue("Names", std::string(4096, 'n').c_str(), 4096));
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), record("Names", std::string(4096, 'n')) + old);
}

// A registry folder that cannot be made: the store opens empty, and a save
// names the folder and the reason it could not be made.
TEST_F(HUnixSystemRegistryTest, AFolderThatCannotBeMadeIsNamedBySave)
{
    const struct {
        const char* what;
        std::string home;
        mode_t homeMode;
        const char* reason;
    } cases[] = {
        {"a home that is not there", home.file("gone"), 0, "No such file or directory"},
        {"a home that may not be written", home.file("locked"), 0500, "Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.homeMode != 0) {
            ASSERT_EQ(::mkdir(c.home.c_str(), c.homeMode), 0);
        }
        ScopedEnv env("HOME", c.home.c_str());
        std::string out;
        {
            AsOrdinaryUser user(home.path());
            if (c.homeMode != 0 && !user.active())
                continue; // root writes anywhere
            HUnixSystemRegistry run;
            out = captureStdout([&] {
                EXPECT_TRUE(run.openRegistry(nullptr, kCompany, kProduct));
                EXPECT_TRUE(run.setStringValue("k", "v", 1));
                EXPECT_FALSE(run.closeRegistry());
            });
        }
        EXPECT_EQ(out, "\n\n+-------+\n| Alert |\n+-------+\nfailed to write registry: cannot create the folder " +
                           c.home + "/.moravel: " + c.reason + "\n\n");
    }
}

// The lock: on the folder of the file read, held from the open to the close
// of a store that may change. A second registry object (or process) waits
// for it, briefly during play and long for the last save, then treats the
// registry as one that cannot be opened, said once, and saves nothing; the
// wait ends as soon as the holder lets go. A store opened only to read takes
// no lock and waits for none.
namespace lockwait {

// The pauses of one wait; each may act (let the holder go).
struct Waiting {
    int pauses = 0;
    int ms = 0;
    // How many times its length a pause takes (a busy machine's).
    int stretch = 1;
    std::function<void(int)> onPause; // the pause's number, from 1
};

// Each pause moves the clock on by its length: the wait's clock is the
// pauses'.
void pause(void* context, int ms)
{
    Waiting* w = static_cast<Waiting*>(context);
    w->ms += ms * w->stretch;
    ++w->pauses;
    if (w->onPause)
        w->onPause(w->pauses);
}

int64_t now(void* context)
{
    return static_cast<Waiting*>(context)->ms;
}

// The registry's waits for the lock pause and are measured through `w`.
void measure(HUnixSystemRegistry& registry, Waiting* w)
{
    registry.setLockPause(pause, w);
    registry.setLockClock(now, w);
}

// Whether another open file description could lock the folder now.
bool lockIsFree(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace lockwait

TEST_F(HUnixSystemRegistryTest, ASecondOpenWaitsForTheLockThenFails)
{
    EXPECT_GE(HUnixSystemRegistry::kLastSavesLockTimeoutMs, 30000) << "slow storage at the end of the game";
    const struct {
        const char* what;
        HSystemRegistry::Use use;
        int waitMs;
    } uses[] = {
        {"a use during play", HSystemRegistry::USE_CHANGE, HUnixSystemRegistry::kLockTimeoutMs},
        {"the last save", HSystemRegistry::USE_LAST_SAVE, HUnixSystemRegistry::kLastSavesLockTimeoutMs},
    };
    const std::string old = record("k", "v");
    writeFile(old);
    for (const auto& u : uses) {
        SCOPED_TRACE(u.what);
        ASSERT_TRUE(open());
        EXPECT_TRUE(reg.isLocked());
        EXPECT_FALSE(lockwait::lockIsFree(dir()));
        // A temporary file of a save cut short: only a holder of the lock may
        // remove it.
        home.write(".moravel/registry_Acme_Tiles.#saving#Ab12Cd", "cut short");

        HUnixSystemRegistry other;
        lockwait::Waiting w;
        lockwait::measure(other, &w);
        bool opened = true;
        const std::string out =
            captureStdout([&] { opened = other.openRegistryFor(u.use, nullptr, kCompany, kProduct); });
        EXPECT_FALSE(opened);
        EXPECT_EQ(w.ms, u.waitMs) << "the whole wait";
        EXPECT_EQ(occurrences(out, "failed to open registry: cannot lock " + dir() + ": another process of the game "
                                       "has held it for " + std::to_string(u.waitMs) + " ms"),
                  1)
            << out;
        EXPECT_EQ(occurrences(out, "failed to"), 1) << out;
        EXPECT_EQ(other.getPath(), nullptr);
        EXPECT_FALSE(other.isLocked());
        EXPECT_TRUE(other.setStringValue("k", "lost", 4));
        EXPECT_TRUE(other.closeRegistry()) << "a registry that did not open has nothing to save";
        EXPECT_EQ(readFileBytes(file()), old);
        EXPECT_TRUE(fileExists(file() + ".#saving#Ab12Cd"));

        // The holder saves, under its lock: the stray file goes.
        ASSERT_TRUE(reg.setStringValue("k", "w", 1));
        ASSERT_TRUE(reg.closeRegistry());
        EXPECT_FALSE(reg.isLocked());
        EXPECT_TRUE(lockwait::lockIsFree(dir()));
        EXPECT_EQ(namesIn(dir()), namesBeside());
        writeFile(old);
    }
}

// The wait is measured on the clock, not counted in pauses: pauses that
// take three times their length end it after a third as many. The last
// saves share one deadline, set by the first: the second and the third,
// after the first waited it out, try once and wait no more; a free lock is
// still taken at once then.
TEST_F(HUnixSystemRegistryTest, TheWaitIsMeasuredOnTheClockAndTheLastSavesShareOneDeadline)
{
    writeFile(record("k", "v"));
    ASSERT_TRUE(open());
    HUnixSystemRegistry other;
    lockwait::Waiting w;
    w.stretch = 3;
    lockwait::measure(other, &w);
    std::string out = captureStdout([&] { EXPECT_FALSE(other.openRegistry(nullptr, kCompany, kProduct)); });
    EXPECT_EQ(w.pauses, (HUnixSystemRegistry::kLockTimeoutMs + 29) / 30);
    EXPECT_NE(out.find("has held it for " + std::to_string(w.ms) + " ms"), std::string::npos) << out;

    w = lockwait::Waiting();
    for (int save = 1; save <= 3; ++save) {
        SCOPED_TRACE("last save " + std::to_string(save));
        const int pausesBefore = w.pauses;
        out = captureStdout(
            [&] { EXPECT_FALSE(other.openRegistryFor(HSystemRegistry::USE_LAST_SAVE, nullptr, kCompany, kProduct)); });
        EXPECT_EQ(w.ms, HUnixSystemRegistry::kLastSavesLockTimeoutMs) << "the deadline is the first last save's";
        EXPECT_EQ(w.pauses - pausesBefore, save == 1 ? HUnixSystemRegistry::kLastSavesLockTimeoutMs / 10 : 0);
        EXPECT_NE(out.find("has held it for " + std::to_string(HUnixSystemRegistry::kLastSavesLockTimeoutMs) + " ms"),
                  std::string::npos)
            << out;
    }
    ASSERT_TRUE(reg.closeRegistry());
    ASSERT_TRUE(other.openRegistryFor(HSystemRegistry::USE_LAST_SAVE, nullptr, kCompany, kProduct));
    EXPECT_TRUE(other.isLocked());
    EXPECT_TRUE(other.closeRegistry());
}

TEST_F(HUnixSystemRegistryTest, TheWaitEndsWhenTheHolderLetsGo)
{
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "mine", 4));
    HUnixSystemRegistry other;
    lockwait::Waiting w;
    w.onPause = [&](int) { EXPECT_TRUE(reg.closeRegistry()); };
    lockwait::measure(other, &w);
    ASSERT_TRUE(other.openRegistryFor(HSystemRegistry::USE_LAST_SAVE, nullptr, kCompany, kProduct));
    EXPECT_EQ(w.pauses, 1);
    EXPECT_TRUE(other.isLocked());
    char value[8] = {};
    ASSERT_TRUE(other.getStringValue("k", value, sizeof(value)));
    EXPECT_STREQ(value, "mine") << "the holder's save is what the next open reads";
    EXPECT_TRUE(other.closeRegistry());
}

// A store opened only to read takes no lock and waits for none: it opens
// at once with what the file holds while another store holds the lock, and
// it is never saved (a value set in it makes its close false and leaves
// the file as it is). It keeps no damaged file open, makes no copy of it,
// and removes no stray file.
TEST_F(HUnixSystemRegistryTest, AReadTakesNoLockAndWaitsForNone)
{
    writeFile(record("k", "stored"));
    home.write(".moravel/registry_Acme_Tiles.#saving#Ab12Cd", "cut short");
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "unsaved", 7));

    HUnixSystemRegistry reader;
    lockwait::Waiting w;
    lockwait::measure(reader, &w);
    ASSERT_TRUE(reader.openRegistryFor(HSystemRegistry::USE_READ, nullptr, kCompany, kProduct));
    EXPECT_EQ(w.pauses, 0) << "a read waited for the lock";
    EXPECT_FALSE(reader.isLocked());
    char value[16] = {};
    ASSERT_TRUE(reader.getStringValue("k", value, sizeof(value)));
    EXPECT_STREQ(value, "stored");
    ASSERT_TRUE(reader.setStringValue("k", "read only", 9));
    EXPECT_FALSE(reader.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), record("k", "stored"));

    ASSERT_TRUE(reg.closeRegistry());
    ASSERT_TRUE(reader.openRegistryFor(HSystemRegistry::USE_READ, nullptr, kCompany, kProduct));
    ASSERT_TRUE(reader.getStringValue("k", value, sizeof(value)));
    EXPECT_STREQ(value, "unsaved") << "the next read finds the save";
    EXPECT_TRUE(reader.closeRegistry());

    // A damaged file, read only.
    const std::string damaged = kGood + damages()[0].tail;
    writeFile(damaged);
    home.write(".moravel/registry_Acme_Tiles.#saving#Ab12Cd", "cut short");
    ASSERT_TRUE(reader.openRegistryFor(HSystemRegistry::USE_READ, nullptr, kCompany, kProduct));
    EXPECT_TRUE(reader.isDamaged());
    ASSERT_TRUE(reader.setStringValue("k", "v", 1));
    std::string err = captureStderr([&] { EXPECT_FALSE(reader.closeRegistry()); });
    EXPECT_EQ(err, "");
    EXPECT_EQ(readFileBytes(file()), damaged);
    EXPECT_EQ(namesIn(dir()), namesBeside({"registry_Acme_Tiles.#saving#Ab12Cd"}));
}

// Every path to one file meets one lock: two homes whose registry files
// are links to one file, and two homes whose registry folders are links to
// one folder. While one home's store holds the lock, the other's open waits
// for it, then reads what the first saved.
TEST_F(HUnixSystemRegistryTest, EveryPathToOneFileMeetsOneLock)
{
    const struct {
        const char* what;
        bool linkTheFolder;
    } cases[] = {
        {"two links to one file", false},
        {"two links to one folder", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir shared;
        TempDir homeA;
        TempDir homeB;
        const std::string sharedFile = shared.write("moravel/registry_Acme_Tiles", record("k", "v"));
        for (const TempDir* h : {&homeA, &homeB}) {
            if (c.linkTheFolder) {
                ASSERT_EQ(::symlink(shared.file("moravel").c_str(), h->file(".moravel").c_str()), 0);
            } else {
                ASSERT_EQ(::mkdir(h->file(".moravel").c_str(), 0700), 0);
                ASSERT_EQ(::symlink(sharedFile.c_str(), h->file(".moravel/registry_Acme_Tiles").c_str()), 0);
            }
        }
        HUnixSystemRegistry a;
        HUnixSystemRegistry b;
        {
            ScopedEnv inA("HOME", homeA.path().c_str());
            ASSERT_TRUE(a.openRegistry(nullptr, kCompany, kProduct));
        }
        ASSERT_TRUE(a.setStringValue("a", "1", 1));
        lockwait::Waiting w;
        w.onPause = [&](int) { EXPECT_TRUE(a.closeRegistry()); };
        lockwait::measure(b, &w);
        {
            ScopedEnv inB("HOME", homeB.path().c_str());
            ASSERT_TRUE(b.openRegistry(nullptr, kCompany, kProduct));
        }
        EXPECT_EQ(w.pauses, 1) << "the second home did not wait for the first";
        char value[4] = {};
        EXPECT_TRUE(b.getStringValue("a", value, sizeof(value))) << "the first home's save was not read";
        ASSERT_TRUE(b.setStringValue("b", "2", 1));
        ASSERT_TRUE(b.closeRegistry());
        EXPECT_EQ(readFileBytes(sharedFile), record("b", "2") + record("a", "1") + record("k", "v"));
        EXPECT_EQ(namesIn(shared.file("moravel")), std::vector<std::string>{"registry_Acme_Tiles"});
    }
}

// The folder locked must still be the one the path leads to, and the
// file the one it names: when the registry's folder is replaced, or its
// link changed, while the lock is waited for, the open locks the new place
// (where a third store now holds the lock, and waits for that one too) and
// reads and saves there; nothing is written where the path no longer leads.
TEST_F(HUnixSystemRegistryTest, AFolderReplacedOrALinkChangedWhileWaitingIsLockedAnew)
{
    const struct {
        const char* what;
        bool link; // the registry file a link, changed to another folder's file
    } cases[] = {
        {"the folder replaced", false},
        {"the link changed", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir other;
        ScopedEnv env("HOME", other.path().c_str());
        TempDir dotfiles;
        const std::string path = other.file(".moravel/registry_Acme_Tiles");
        std::string before; // the file the path first leads to
        std::string after;  // and the one it leads to then
        if (c.link) {
            before = dotfiles.write("one/registry", record("k", "old"));
            after = dotfiles.write("two/registry", record("k", "new"));
            ASSERT_EQ(::mkdir(other.file(".moravel").c_str(), 0700), 0);
            ASSERT_EQ(::symlink(before.c_str(), path.c_str()), 0);
        } else {
            other.write(".moravel/registry_Acme_Tiles", record("k", "old"));
            before = other.file("moved/registry_Acme_Tiles");
            after = path;
        }
        HUnixSystemRegistry holder;
        HUnixSystemRegistry third;
        HUnixSystemRegistry waiting;
        ASSERT_TRUE(holder.openRegistry(nullptr, kCompany, kProduct));
        lockwait::Waiting w;
        w.onPause = [&](int n) {
            if (n == 1) {
                // The place changes; a third store locks the new one, and
                // the first lets the old one go.
                if (c.link) {
                    ASSERT_EQ(::unlink(path.c_str()), 0);
                    ASSERT_EQ(::symlink(after.c_str(), path.c_str()), 0);
                } else {
                    ASSERT_EQ(::rename(other.file(".moravel").c_str(), other.file("moved").c_str()), 0);
                    other.write(".moravel/registry_Acme_Tiles", record("k", "new"));
                }
                ASSERT_TRUE(third.openRegistry(nullptr, kCompany, kProduct));
                ASSERT_TRUE(third.setStringValue("third", "3", 1));
                EXPECT_TRUE(holder.closeRegistry());
            } else if (n == 2) {
                EXPECT_TRUE(third.closeRegistry());
            }
        };
        lockwait::measure(waiting, &w);
        ASSERT_TRUE(waiting.openRegistry(nullptr, kCompany, kProduct));
        EXPECT_EQ(w.pauses, 2) << "the new place's lock was not waited for";
        char value[8] = {};
        EXPECT_TRUE(waiting.getStringValue("third", value, sizeof(value))) << "the third store's save was missed";
        ASSERT_TRUE(waiting.setStringValue("mine", "m", 1));
        ASSERT_TRUE(waiting.closeRegistry());
        EXPECT_EQ(readFileBytes(after), record("mine", "m") + record("third", "3") + record("k", "new"));
        EXPECT_EQ(readFileBytes(before), record("k", "old"));
    }
}

// A file left where an older version of the game kept its lock file
// ("<registry file>.lock": root's 0600 from a start under sudo, mode 000, a
// socket, a dangling link, a folder) is not the lock: the folder is locked
// all the same, nothing is said, and the file is left as it is.
TEST_F(HUnixSystemRegistryTest, AnOldLockFileOfAnyKindChangesNothing)
{
    const std::string lockFile = file() + ".lock";
    const struct {
        const char* what;
        std::function<void()> make;
        bool rootsOwn;
        mode_t type;
    } cases[] = {
        {"root's, 0600", [&] { home.write(".moravel/registry_Acme_Tiles.lock", ""); }, true, S_IFREG},
        {"mode 000",
         [&] {
             home.write(".moravel/registry_Acme_Tiles.lock", "");
             ASSERT_EQ(::chmod(lockFile.c_str(), 0000), 0);
         },
         false, S_IFREG},
        {"a socket", [&] { ASSERT_TRUE(leaveSocketAt(lockFile)); }, false, S_IFSOCK},
        {"a dangling link", [&] { ASSERT_EQ(::symlink("/nonexistent/folder/lock", lockFile.c_str()), 0); }, false,
         S_IFLNK},
        {"a folder", [&] { ASSERT_EQ(::mkdir(lockFile.c_str(), 0700), 0); }, false, S_IFDIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(record("k", "v"));
        c.make();
        ASSERT_TRUE(giveToOrdinaryUser(home.path()));
        if (c.rootsOwn && runsAsRoot()) {
            ASSERT_EQ(::lchown(lockFile.c_str(), 0, 0), 0);
            ASSERT_EQ(::chmod(lockFile.c_str(), 0600), 0);
        }
        TempDir nothing;
        std::string err;
        {
            AsOrdinaryUser user(nothing.path());
            if (c.rootsOwn && !user.active())
                continue; // the file would be this user's own
            err = captureStderr([&] {
                ASSERT_TRUE(open());
                EXPECT_TRUE(reg.isLocked());
                EXPECT_FALSE(lockwait::lockIsFree(dir()));
                ASSERT_TRUE(reg.setStringValue("k", "w", 1));
                ASSERT_TRUE(reg.closeRegistry());
            });
        }
        EXPECT_EQ(err, "");
        EXPECT_EQ(readFileBytes(file()), record("k", "w"));
        struct stat st;
        ASSERT_EQ(::lstat(lockFile.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
        if (c.rootsOwn && runsAsRoot()) {
            EXPECT_EQ(st.st_uid, 0u);
        }
        ::chmod(lockFile.c_str(), 0700);
        ::rmdir(lockFile.c_str());
        ::unlink(lockFile.c_str());
    }
}

// A folder that cannot be locked itself (here one that may be written but
// not read; a network file system that locks only files is another) is
// locked through a lock file beside the registry file, "<file>.lock",
// which is made once and never removed: a second store waits for it, then
// reads what the first saved. Nothing is told.
TEST_F(HUnixSystemRegistryTest, AFolderThatCannotBeLockedIsLockedThroughALockFile)
{
    writeFile(record("k", "v"));
    ASSERT_EQ(::chmod(dir().c_str(), 0300), 0);
    std::string err;
    {
        AsOrdinaryUser user(home.path());
        if (!user.active())
            GTEST_SKIP() << "cannot leave root here, so folder permissions do not apply";
        err = captureStderr([&] {
            ASSERT_TRUE(open());
            EXPECT_TRUE(reg.isLocked());
            ASSERT_TRUE(reg.setStringValue("k", "1", 1));
            HUnixSystemRegistry other;
            lockwait::Waiting w;
            w.onPause = [&](int) { EXPECT_TRUE(reg.closeRegistry()); };
            lockwait::measure(other, &w);
            ASSERT_TRUE(other.openRegistry(nullptr, kCompany, kProduct));
            EXPECT_EQ(w.pauses, 1) << "the second store did not wait for the lock file";
            EXPECT_TRUE(other.isLocked());
            EXPECT_EQ(readFileBytes(file()), record("k", "1"));
            ASSERT_TRUE(other.setStringValue("k", "2", 1));
            EXPECT_TRUE(other.closeRegistry());
        });
    }
    ASSERT_EQ(::chmod(dir().c_str(), 0700), 0);
    EXPECT_EQ(err, "");
    EXPECT_EQ(readFileBytes(file()), record("k", "2"));
    EXPECT_EQ(namesIn(dir()), namesBeside({"registry_Acme_Tiles.lock"}));
    struct stat st;
    ASSERT_EQ(::lstat((file() + ".lock").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// Neither the folder nor a lock file can be locked (the folder may not be
// read, and a folder stands where the lock file would): that is told once,
// on standard error and in the trace; the store opens unlocked and every
// save still happens.
TEST_F(HUnixSystemRegistryTest, ALockThatCannotBeHadIsToldOnceAndTheSaveHappens)
{
    writeFile(record("k", "v"));
    ASSERT_EQ(::mkdir((file() + ".lock").c_str(), 0700), 0);
    TempDir traceDir;
    std::string err;
    TraceToFile tracing(traceDir);
    ASSERT_EQ(::chmod(dir().c_str(), 0300), 0);
    {
        AsOrdinaryUser user(home.path());
        if (!user.active())
            GTEST_SKIP() << "cannot leave root here, so folder permissions do not apply";
        err = captureStderr([&] {
            // Reading takes no lock: nothing to tell.
            ASSERT_TRUE(reg.openRegistryFor(HSystemRegistry::USE_READ, nullptr, kCompany, kProduct));
            EXPECT_TRUE(reg.closeRegistry());
            for (const char* value : {"1", "2"}) {
                ASSERT_TRUE(open());
                EXPECT_FALSE(reg.isLocked());
                ASSERT_TRUE(reg.setStringValue("k", value, 1));
                EXPECT_TRUE(reg.closeRegistry());
            }
        });
    }
    ASSERT_EQ(::chmod(dir().c_str(), 0700), 0);
    const std::string trace = tracing.stop();
    EXPECT_EQ(readFileBytes(file()), record("k", "2"));
    EXPECT_EQ(err, "The registry folder " + dir() +
                       " cannot be locked: Permission denied. The registry is saved without the lock: windows of the "
                       "game that save at the same moment may lose each other's changes.\n");
    EXPECT_EQ(trace, "...registry folder " + dir() + " cannot be locked: Permission denied; saving without the lock\n");
    struct stat st;
    ASSERT_EQ(::lstat((file() + ".lock").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << "what stood at the lock file's name was replaced";
}

// An interrupted save leaves "<file>.#saving#XXXXXX" behind; the next save,
// which holds the lock, removes every one of them whatever its age (no save
// of another process can be under way), and nothing else: not the
// temporary files of older versions ("<file>.XXXXXX"), nor a player's own
// files of six letters or digits after the name.
TEST_F(HUnixSystemRegistryTest, StaleTemporaryFilesAreRemovedByTheNextSave)
{
    writeFile(record("k", "v"));
    const struct {
        const char* name;
        int ageSeconds;
        bool removed;
    } files[] = {
        {"registry_Acme_Tiles.#saving#a1B2c3", 120, true},
        {"registry_Acme_Tiles.#saving#ZZZZZZ", 3600, true},
        {"registry_Acme_Tiles.#saving#Z9y8X7", 0, true},
        {"registry_Acme_Tiles.a1B2c3", 120, false},
        {"registry_Acme_Tiles.backup", 120, false},
        {"registry_Acme_Tiles.bak001", 120, false},
        {"registry_Acme_Tiles.damaged", 120, false},
        {"registry_Acme_Other.#saving#a1B2c3", 120, false},
        {"registry_Acme_Tiles.#saving#a1B2c", 120, false},
        {"registry_Acme_Tiles.#saving#a1B2c3d", 120, false},
        {"registry_Acme_Tiles.#saving#a1-2c3", 120, false},
        {"registry_Acme_Tiles#saving#a1B2c3", 120, false},
        {"registry_Acme_Tiles.#Saving#a1B2c3", 120, false},
    };
    std::vector<std::string> kept = {"registry_Acme_Tiles.#saving#q1w2e3", "registry_Acme_Tiles.#saving#l1n2k3"};
    for (const auto& f : files) {
        ASSERT_TRUE(age(home.write(".moravel/" + std::string(f.name), std::string(4096, 't')), f.ageSeconds));
        if (!f.removed)
            kept.push_back(f.name);
    }
    // A folder or a link of that name is not a temporary file.
    home.write(".moravel/registry_Acme_Tiles.#saving#q1w2e3/inside", "x");
    ASSERT_EQ(::symlink("registry_Acme_Tiles.backup", home.file(".moravel/registry_Acme_Tiles.#saving#l1n2k3").c_str()),
              0);

    // No save, no removal.
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.closeRegistry());
    const std::vector<std::string> before = namesIn(dir());

    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "w", 1));
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(namesIn(dir()), namesBeside(kept));
    EXPECT_EQ(before.size(), namesBeside(kept).size() + 3);
    EXPECT_EQ(readFileBytes(file()), record("k", "w"));
    for (const auto& f : files) {
        if (!f.removed) {
            EXPECT_EQ(readFileBytes(home.file(".moravel/" + std::string(f.name))), std::string(4096, 't')) << f.name;
        }
    }
}

// A registry file that is a symbolic link (a dotfiles set-up) is read
// through it and saved over its target, which keeps its mode; the link
// stays a link, and nothing is left beside the target. A link that leads
// nowhere yet makes its target; links that go round are refused.
TEST_F(HUnixSystemRegistryTest, ASymbolicLinkStaysALink)
{
    TempDir dotfiles;
    const std::string target = dotfiles.write("registry", record("k", "v"));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    // A relative link in the folder to an absolute one.
    ASSERT_EQ(::mkdir(dir().c_str(), 0700), 0);
    ASSERT_EQ(::symlink(target.c_str(), home.file(".moravel/second").c_str()), 0);
    ASSERT_EQ(::symlink("second", file().c_str()), 0);

    ASSERT_TRUE(open());
    EXPECT_EQ(text("k"), "v");
    ASSERT_TRUE(reg.setStringValue("k", "w", 1));
    ASSERT_TRUE(reg.closeRegistry());
    char link[256] = {};
    ASSERT_EQ(::readlink(file().c_str(), link, sizeof(link) - 1), 6);
    EXPECT_STREQ(link, "second");
    EXPECT_EQ(readFileBytes(target), record("k", "w"));
    struct stat st;
    ASSERT_EQ(::lstat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(dotfiles.path()), std::vector<std::string>{"registry"});

    // A link whose target is not there yet: a new file, the owner's only,
    // whatever the creation mask.
    ASSERT_EQ(::unlink(target.c_str()), 0);
    const mode_t mask = ::umask(0);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("new", "n", 1));
    ASSERT_TRUE(reg.closeRegistry());
    ::umask(mask);
    EXPECT_EQ(readFileBytes(target), record("new", "n"));
    ASSERT_EQ(::lstat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::lstat(file().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // Links that go round.
    ASSERT_EQ(::unlink(home.file(".moravel/second").c_str()), 0);
    ASSERT_EQ(::symlink("registry_Acme_Tiles", home.file(".moravel/second").c_str()), 0);
    bool opened = true;
    const std::string out = captureStdout([&] { opened = open(); });
    EXPECT_FALSE(opened);
    EXPECT_NE(out.find("failed to open registry: cannot follow the link " + file() +
                       ": Too many levels of symbolic links"),
              std::string::npos)
        << out;
    EXPECT_FALSE(reg.isLocked());
}

// A plain file keeps its mode across a save too.
TEST_F(HUnixSystemRegistryTest, ASaveKeepsTheFilesMode)
{
    writeFile(record("k", "v"));
    ASSERT_EQ(::chmod(file().c_str(), 0644), 0);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "w", 1));
    ASSERT_TRUE(reg.closeRegistry());
    struct stat st;
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

// Root saving over another user's file (the game started with sudo and the
// player's home): the file, and the copy of a damaged one, stay the
// player's, owner and group, with the file's mode; a new file is root's,
// 0600.
TEST_F(HUnixSystemRegistryTest, ARootSaveKeepsTheOwnerOfTheFileItReplaces)
{
    if (!runsAsRoot())
        GTEST_SKIP() << "only root saves over another user's file";
    for (bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "a damaged file" : "a whole file");
        writeFile(damaged ? kGood + damages()[0].tail : record("k", "v"));
        ASSERT_EQ(::chmod(file().c_str(), 0640), 0);
        ASSERT_TRUE(giveToOrdinaryUser(home.path()));
        ASSERT_TRUE(open());
        ASSERT_TRUE(reg.setStringValue("k", "root's", 6));
        captureStderr([&] { ASSERT_TRUE(reg.closeRegistry()); });
        for (const std::string& path : damaged ? std::vector<std::string>{file(), damagedCopy()}
                                               : std::vector<std::string>{file()}) {
            SCOPED_TRACE(path);
            struct stat st;
            ASSERT_EQ(::stat(path.c_str(), &st), 0);
            EXPECT_EQ(st.st_uid, kOrdinaryUserId);
            EXPECT_EQ(st.st_gid, kOrdinaryUserId);
            EXPECT_EQ(st.st_mode & 07777, path == file() ? 0640u : 0600u);
        }
        ::unlink(damagedCopy().c_str());
    }
    ASSERT_EQ(::unlink(file().c_str()), 0);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("k", "new", 3));
    ASSERT_TRUE(reg.closeRegistry());
    struct stat st;
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// Only folders the player may trust carry the registry: the registry's
// folder of another user, or one that others may write (a link planted
// there would lead a save anywhere), and a link into such a folder are
// refused, for reading and for saving, with a message; nothing is read,
// nothing written, and the file a planted link leads to stays as it was.
TEST_F(HUnixSystemRegistryTest, AFolderOfAnotherUserOrWritableByOthersIsRefused)
{
    TempDir elsewhere;
    const std::string notes = home.write("notes.txt", "the player's notes");
    const struct {
        const char* what;
        uid_t owner;        // of the registry's folder
        mode_t mode;        // of the registry's folder
        bool linkElsewhere; // the registry file a link into `elsewhere`, 1777
        const char* reason;
    } cases[] = {
        {"a folder of another user", 12345, 0700, false, "it belongs to another user"},
        {"a folder of another user that all may write, with a link planted", 12345, 01777, false,
         "it belongs to another user"},
        {"a folder that all may write", 0, 01777, false, "other users may write to it"},
        {"a folder that the group may write", 0, 0770, false, "other users may write to it"},
        {"a link into a folder that all may write", 0, 0700, true, "other users may write to it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.owner != 0 && !runsAsRoot())
            continue; // no folder of another user can be made
        ASSERT_EQ(::mkdir(dir().c_str(), 0700), 0);
        std::string refusedFolder = dir();
        if (c.linkElsewhere) {
            const std::string target = elsewhere.write("registry", record("k", "v"));
            ASSERT_EQ(::chmod(elsewhere.path().c_str(), 01777), 0);
            ASSERT_EQ(::symlink(target.c_str(), file().c_str()), 0);
            refusedFolder = elsewhere.path();
        } else {
            ASSERT_EQ(::symlink(notes.c_str(), file().c_str()), 0);
        }
        if (c.owner != 0) {
            ASSERT_EQ(::chown(dir().c_str(), c.owner, c.owner), 0);
        }
        ASSERT_EQ(::chmod(dir().c_str(), c.mode), 0);
        for (HSystemRegistry::Use use : {HSystemRegistry::USE_READ, HSystemRegistry::USE_CHANGE}) {
            const std::string out = captureStdout([&] {
                EXPECT_FALSE(reg.openRegistryFor(use, nullptr, kCompany, kProduct));
                EXPECT_TRUE(reg.setStringValue("k", "w", 1));
                EXPECT_TRUE(reg.closeRegistry()) << "a registry that did not open has nothing to save";
            });
            EXPECT_EQ(out, "\n\n+-------+\n| Alert |\n+-------+\nfailed to open registry: refusing the folder " +
                               refusedFolder + ": " + c.reason + "\n\n");
        }
        EXPECT_EQ(readFileBytes(notes), "the player's notes");
        if (c.linkElsewhere) {
            EXPECT_EQ(readFileBytes(elsewhere.file("registry")), record("k", "v"));
            EXPECT_EQ(::unlink(elsewhere.file("registry").c_str()), 0);
            ASSERT_EQ(::chmod(elsewhere.path().c_str(), 0700), 0);
        }
        ASSERT_EQ(::unlink(file().c_str()), 0);
        ASSERT_EQ(::rmdir(dir().c_str()), 0);
    }
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
    void runThatChangesValuesAndCloses(const std::string& alert)
    {
        const std::string out = captureStdout([&] { EXPECT_FALSE(open()); });
        EXPECT_NE(out.find(alert), std::string::npos) << out;
        EXPECT_EQ(occurrences(out, "failed to"), 1) << out;
        EXPECT_EQ(reg.getHead(), nullptr);
        EXPECT_EQ(reg.getPath(), nullptr) << "nothing is left that could be saved over the file";
        EXPECT_FALSE(reg.isLocked());
        reg.setStringValue("Volume", "10", 3);
        reg.setU32Value("Fullscreen", 1);
        EXPECT_TRUE(reg.closeRegistry());
        EXPECT_EQ(namesIn(dir()), namesBeside()) << "no temporary file either";
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
        runThatChangesValuesAndCloses("failed to open registry: cannot read " + file() + ": Permission denied");
    }
    ASSERT_EQ(::chmod(file().c_str(), 0600), 0);
    EXPECT_EQ(readFileBytes(file()), oldFile);
}

// Only a regular file is read, and nothing waits on what is not one: a
// folder, a FIFO without a writer, a link to a device that never ends. Each
// is reported by what it is and left as it is.
TEST_F(HUnixSystemRegistryUnreadableTest, WhatIsNotARegularFileIsNeitherReadNorReplaced)
{
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* reason;
        mode_t type;
    } cases[] = {
        {"a folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0700), 0); }, "Is a directory",
         S_IFDIR},
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         "it is a FIFO, not a regular file", S_IFIFO},
        {"a link to /dev/zero", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
         "it is a device, not a regular file", S_IFLNK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir other;
        ScopedEnv env("HOME", other.path().c_str());
        const std::string path = other.file(".moravel/registry_Acme_Tiles");
        ASSERT_EQ(::mkdir(other.file(".moravel").c_str(), 0700), 0);
        c.make(path);
        HUnixSystemRegistry run;
        bool opened = true;
        const std::string out = captureStdout([&] { opened = run.openRegistry(nullptr, kCompany, kProduct); });
        EXPECT_FALSE(opened);
        const std::string target = c.type == S_IFLNK ? "/dev/zero" : path;
        EXPECT_NE(out.find("failed to open registry: cannot read " + target + ": " + c.reason), std::string::npos)
            << out;
        run.setStringValue("Volume", "10", 3);
        EXPECT_TRUE(run.closeRegistry());
        struct stat st;
        ASSERT_EQ(::lstat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
        EXPECT_EQ(namesIn(other.file(".moravel")), namesBeside());
    }
    EXPECT_FALSE(fileExists("/dev/zero.lock"));
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
