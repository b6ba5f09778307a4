// The generator itself: a second run gives the very bytes the build made, the
// folder tree holds exactly the archive's entries, the screen previews are
// written, and bad requests fail without leaving a partial archive behind.
#include "tests/support/TempDir.h"
#include "tests/support/TestPaths.h"
#include "tests/tools/ArchiveReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// Runs the generator with `args` (no shell involved); its exit status, or -1.
int runGenerator(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {buildProgram("mkarchive")};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0); // its complaints are expected
    pid_t pid = 0;
    const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Every file under `dir`, as paths relative to it.
void listFiles(const std::string& dir, const std::string& prefix, std::set<std::string>* out)
{
    DIR* d = opendir(dir.c_str());
    if (d == nullptr)
        return;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        const std::string full = dir + "/" + name;
        if (stat(full.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            listFiles(full, prefix + name + "/", out);
        else
            out->insert(prefix + name);
    }
    closedir(d);
}

TEST(ArchiveGenerator, SecondRunGivesTheSameBytesAndTheTreeMatches)
{
    TempDir dir;
    ASSERT_EQ(runGenerator({"--archive", dir.file("again.mvz"), "--tree", dir.file("tree"), "--screens", dir.file("screens")}), 0);
    const std::string built = readFileBytes(buildArchivePath());
    ASSERT_FALSE(built.empty()) << buildArchivePath();
    EXPECT_TRUE(readFileBytes(dir.file("again.mvz")) == built) << "two runs gave different archives";

    ArchiveReader archive;
    ASSERT_TRUE(archive.open(dir.file("again.mvz")));
    std::set<std::string> files;
    listFiles(dir.file("tree"), "", &files);
    EXPECT_EQ(files, std::set<std::string>(archive.names().begin(), archive.names().end()));
    for (const std::string& name : archive.names())
        EXPECT_TRUE(readFileBytes(dir.file("tree/" + name)) == archive.bytes(name)) << name;

    // The composite previews of the screens and dialogs: 640 x 480 PNGs.
    std::set<std::string> previews;
    listFiles(dir.file("screens"), "", &previews);
    for (const char* must : {"start.png", "playing.png", "options.png", "besttimes.png", "rules_1.png", "rules_2.png"})
        EXPECT_EQ(previews.count(must), 1u) << must;
    for (const std::string& name : previews) {
        const std::string png = readFileBytes(dir.file("screens/" + name));
        ASSERT_GE(png.size(), 24u) << name;
        EXPECT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << name;
        const auto be32 = [&png](size_t i) {
            return uint32_t(uint8_t(png[i])) << 24 | uint32_t(uint8_t(png[i + 1])) << 16 |
                   uint32_t(uint8_t(png[i + 2])) << 8 | uint32_t(uint8_t(png[i + 3]));
        };
        EXPECT_EQ(be32(16), 640u) << name;
        EXPECT_EQ(be32(20), 480u) << name;
    }
}

TEST(ArchiveGenerator, BadRequestsFailAndLeaveNothing)
{
    TempDir dir;
    EXPECT_EQ(runGenerator({}), 2);
    EXPECT_EQ(runGenerator({"--archive"}), 2);
    EXPECT_EQ(runGenerator({"--colour", "red"}), 2);
    // A folder where the archive should go cannot be replaced by it.
    dir.write("taken.mvz/keep", "x");
    EXPECT_NE(runGenerator({"--archive", dir.file("taken.mvz")}), 0);
    EXPECT_FALSE(fileExists(dir.file("taken.mvz.partial")));
    EXPECT_EQ(readFileBytes(dir.file("taken.mvz/keep")), "x");
}

} // namespace
