// The directory file system and its files.
#include "engine/core/HFile.h"
#include "engine/core/HStandardFileSystem.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

class HStandardFileSystemTest : public testing::Test {
protected:
    void SetUp() override { fs.initFileSystem(dir.path().c_str()); }

    TempDir dir;
    HStandardFileSystem fs;
};

TEST_F(HStandardFileSystemTest, ReadsSequentiallyAndRewinds)
{
    dir.write("ten.bin", "0123456789");
    HFile* f = fs.openFileForRead("ten.bin");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->length(), 10);
    EXPECT_EQ(std::string(f->getName()), dir.path() + "/ten.bin");
    char buf[100];
    EXPECT_EQ(f->read(buf, sizeof(buf)), 10);
    EXPECT_EQ(f->read(buf, sizeof(buf)), 0);
    EXPECT_TRUE(f->rewind());
    EXPECT_EQ(f->read(buf, 4), 4);
    EXPECT_EQ(std::memcmp(buf, "0123", 4), 0);
    EXPECT_EQ(f->read(buf, -1), 0);
    EXPECT_EQ(f->write("x", 1), 0) << "a file opened for reading is not written";
    f->close();
}

TEST_F(HStandardFileSystemTest, WriteTruncatesAndCounts)
{
    dir.write("trace.txt", "old content");
    HFile* f = fs.openFileForWrite("trace.txt");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->length(), 0);
    EXPECT_EQ(f->write("abc", 3), 3);
    EXPECT_EQ(f->write("abc", -5), 0);
    char buf[4];
    EXPECT_EQ(f->read(buf, 4), 0) << "a file opened for writing is not read";
    f->close();
    EXPECT_EQ(readFileBytes(dir.file("trace.txt")), "abc");
}

TEST_F(HStandardFileSystemTest, SixteenSlotsAndTheLowestFreeOneIsReused)
{
    dir.write("a.txt", "a");
    std::vector<HFile*> open;
    for (int i = 0; i < HFileSystem::kMaxOpenFiles; ++i) {
        HFile* f = fs.openFileForRead("a.txt");
        ASSERT_NE(f, nullptr) << i;
        open.push_back(f);
    }
    DiagnosticRecorder diagnostics;
    EXPECT_EQ(fs.openFileForRead("a.txt"), nullptr);
    EXPECT_EQ(fs.openFileForWrite("b.txt"), nullptr);
    EXPECT_FALSE(fs.fileExists(dir.file("a.txt").c_str()));
    EXPECT_EQ(diagnostics.count("HSFS::m_openFileForRead - too many open files"), 1);
    EXPECT_EQ(diagnostics.count("HSFS::m_openFileForWrite - too many open files"), 1);
    EXPECT_EQ(diagnostics.count("HSFS::fileExists - too many open files"), 1);

    open[5]->close();
    HFile* again = fs.openFileForRead("a.txt");
    EXPECT_EQ(again, open[5]) << "the freed slot is taken";
    for (HFile* f : open)
        f->close();
}

TEST_F(HStandardFileSystemTest, FailedOpenLeavesTheSlotFree)
{
    EXPECT_EQ(fs.openFileForRead("missing.txt"), nullptr);
    EXPECT_EQ(fs.openFileForWrite("no/such/dir/x.txt"), nullptr);
    HStandardFile* first = fs.m_findFreeStandardFile();
    dir.write("a.txt", "a");
    HFile* f = fs.openFileForRead("a.txt");
    EXPECT_EQ(f, first) << "the failed opens kept no slot";
    ASSERT_NE(f, nullptr);
    f->close();
}

TEST_F(HStandardFileSystemTest, OnlyRegularFilesAreOpenedForReading)
{
    // A pipe nobody writes would block a plain open; a device never ends;
    // a directory holds no bytes. None takes a slot, and none blocks.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0700), 0);
    HStandardFileSystem root;
    root.initFileSystem("");
    const struct {
        HStandardFileSystem* files;
        std::string name;
        int error;
    } cases[] = {
        {&fs, "pipe", EINVAL},
        {&fs, "folder", EISDIR},
        {&root, "/dev/zero", EINVAL},
        {&root, "/dev/null", EINVAL},
        {&root, "/", EISDIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HStandardFile* const first = c.files->m_findFreeStandardFile();
        errno = 0;
        EXPECT_EQ(c.files->openFileForRead(c.name.c_str()), nullptr);
        EXPECT_EQ(errno, c.error);
        EXPECT_FALSE(c.files->fileExists(c.files == &fs ? dir.file(c.name).c_str() : c.name.c_str()));
        EXPECT_EQ(c.files->m_findFreeStandardFile(), first);
    }
    // A regular file reached through a link is still one.
    dir.write("real.bin", "abc");
    ASSERT_EQ(::symlink(dir.file("real.bin").c_str(), dir.file("link.bin").c_str()), 0);
    HFile* f = fs.openFileForRead("link.bin");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->length(), 3);
    f->close();
}

TEST_F(HStandardFileSystemTest, FileExistsUsesTheNameAsPassed)
{
    dir.write("only-here.txt", "x");
    EXPECT_FALSE(fs.fileExists("only-here.txt")) << "not looked for under the asset directory";
    EXPECT_TRUE(fs.fileExists(dir.file("only-here.txt").c_str()));
    EXPECT_NE(fs.m_findFreeStandardFile(), nullptr);
    EXPECT_GT(fs.getLastModTime(dir.file("only-here.txt").c_str()), 0);
    EXPECT_EQ(fs.getLastModTime(dir.file("missing").c_str()), 0);
}

TEST_F(HStandardFileSystemTest, ClosingTwiceAndShutdownWithOpenFilesWarn)
{
    dir.write("a.txt", "a");
    HFile* f = fs.openFileForRead("a.txt");
    ASSERT_NE(f, nullptr);
    DiagnosticRecorder diagnostics;
    fs.shutdownFileSystem();
    EXPECT_EQ(diagnostics.count("HStandardFileSystem::shutdown - file '"), 1);
    EXPECT_TRUE(f->isOpen()) << "shutdown warns but closes nothing";
    f->close();
    f->close();
    EXPECT_EQ(diagnostics.count("HSFS::m_closeFile - attempted to close unopened file"), 1);
}

TEST(HStandardFileSystem, PathIsAssetDirSlashNameEvenWithAnEmptyDir)
{
    TempDir dir;
    dir.write("a.txt", "a");
    HStandardFileSystem fs;
    fs.initFileSystem("");
    // "/<name>": an empty asset directory gives an absolute path.
    const std::string relative = dir.file("a.txt").substr(1);
    HFile* f = fs.openFileForRead(relative.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string(f->getName()), dir.file("a.txt"));
    f->close();

    fs.initFileSystem((dir.path() + "/").c_str());
    f = fs.openFileForRead("a.txt");
    ASSERT_NE(f, nullptr) << "a doubled slash is accepted";
    EXPECT_EQ(std::string(f->getName()), dir.path() + "//a.txt");
    f->close();
}

} // namespace
