// The per-user registry: its file's exact bytes and record order, the typed
// helpers, damaged files, and saves that must not lose the old file.
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnixSystemRegistry.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <ftw.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kCompany = "Acme";
const char* const kProduct = "Tiles";

// One record of the registry file.
std::string record(const std::string& key, const std::string& value)
{
    const uint32_t n = static_cast<uint32_t>(value.size());
    std::string out = key;
    out.push_back('\0');
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return out + value;
}

std::string lengthBytes(uint32_t n)
{
    std::string out;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return out;
}

int chownToNobody(const char* path, const struct stat*, int, struct FTW*)
{
    return ::lchown(path, 65534, 65534);
}

// File permissions do not bind root, so while this object lives the process
// acts as an ordinary user who owns `tree`. Without root it changes nothing.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const std::string& tree) : m_bSwitched(false)
    {
        if (::geteuid() != 0)
            return;
        ::nftw(tree.c_str(), chownToNobody, 16, FTW_PHYS);
        m_bSwitched = ::seteuid(65534) == 0;
    }
    ~AsOrdinaryUser()
    {
        if (m_bSwitched && ::seteuid(0) != 0)
            std::abort();
    }
    // True when permissions now apply to this process.
    bool active() const { return ::geteuid() != 0; }

private:
    bool m_bSwitched;
};

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
    return names;
}

std::string captureStdout(const std::function<void()>& run)
{
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
}

class HUnixSystemRegistryTest : public testing::Test {
protected:
    HUnixSystemRegistryTest() : home(), env("HOME", home.path().c_str()), reg() {}

    std::string dir() const { return home.file(".moravel"); }
    std::string file() const { return home.file(".moravel/registry_Acme_Tiles"); }
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

    // Every close with entries rewrites the file, changed or not.
    ASSERT_TRUE(open());
    EXPECT_EQ(text("a"), "longer value");
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), record("c", "1") + b + record("a", "longer value"));
    EXPECT_EQ(namesIn(dir()), std::vector<std::string>{"registry_Acme_Tiles"}) << "no temporary file is left";
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

// A damaged file loads as the records before the damage, and the next save
// writes exactly those.
TEST_F(HUnixSystemRegistryTest, DamagedFilesKeepTheRecordsBeforeTheDamage)
{
    const std::string good = record("first", "one") + record("second", std::string("\x00\x01\x02", 3));
    const struct {
        const char* what;
        std::string tail;
    } cases[] = {
        {"length 0xFFFFFFFF", std::string("third\0", 6) + lengthBytes(0xFFFFFFFFu) + "abc"},
        {"length past the end", std::string("third\0", 6) + lengthBytes(100) + "abc"},
        {"truncated last value", std::string("third\0", 6) + lengthBytes(8) + "abcdefg"},
        {"length above the cap", std::string("third\0", 6) +
                                     lengthBytes(HUnixSystemRegistry::kMaxValueLength + 1) +
                                     std::string(HUnixSystemRegistry::kMaxValueLength + 1, 'v')},
        {"length cut short", std::string("third\0", 6) + std::string("\x03\x00", 2)},
        {"key without its NUL at the end", "thi"},
        {"key without a NUL within 1024 bytes", std::string(1500, 'k') + std::string("\0", 1) + lengthBytes(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(good + c.tail);
        ASSERT_TRUE(open());
        EXPECT_EQ(text("first"), "one");
        char bytes[8];
        int copied = 0;
        ASSERT_TRUE(reg.getBinaryValue("second", bytes, sizeof(bytes), &copied));
        EXPECT_EQ(std::string(bytes, copied), std::string("\x00\x01\x02", 3));
        EXPECT_EQ(text("third"), "<absent>");
        ASSERT_TRUE(reg.closeRegistry());
        EXPECT_EQ(readFileBytes(file()), good);
    }
}

TEST_F(HUnixSystemRegistryTest, AnEmptyFileIsAnEmptyStore)
{
    writeFile("");
    ASSERT_TRUE(open());
    EXPECT_EQ(reg.getHead(), nullptr);
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), "");
}

TEST_F(HUnixSystemRegistryTest, AFailedSaveKeepsTheOldFileAndTheEntries)
{
    const std::string old = record("Volume", "200");
    writeFile(old);
    ASSERT_TRUE(open());
    ASSERT_TRUE(reg.setStringValue("Layout", "Turtle", 7));
    ASSERT_EQ(::chmod(dir().c_str(), 0500), 0);
    {
        AsOrdinaryUser user(home.path());
        if (!user.active())
            GTEST_SKIP() << "cannot leave root here, so directory permissions do not apply";
        std::string out;
        out = captureStdout([&] { EXPECT_FALSE(reg.closeRegistry()); });
        EXPECT_NE(out.find("failed to open registry: Permission denied"), std::string::npos) << out;
        EXPECT_EQ(readFileBytes(file()), old);
        EXPECT_EQ(namesIn(dir()), std::vector<std::string>{"registry_Acme_Tiles"});
        EXPECT_NE(reg.getPath(), nullptr);
        EXPECT_EQ(text("Layout"), "Turtle") << "the entries stay for the next close";
        // The pending store is not replaced by the file while it cannot be saved.
        captureStdout([&] { EXPECT_FALSE(open()); });
        EXPECT_EQ(text("Layout"), "Turtle");
    }
    ASSERT_EQ(::chmod(dir().c_str(), 0700), 0);
    ASSERT_TRUE(reg.closeRegistry());
    EXPECT_EQ(readFileBytes(file()), record("Layout", std::string("Turtle\0", 7)) + old);
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
    ASSERT_TRUE(reg.closeRegistry()) << "the entries were kept for another try";
    EXPECT_EQ(readFileBytes(file()), record("Names", std::string(4096, 'n')) + old);
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
