// The installed game: "cmake --install" of this build into a fresh prefix
// puts both programs in bin/ and the resource archive in Resources/, the
// layout the resource lookup expects beside the programs' folder, and each
// installed program starts from there and quits from its start screen.
#include "tests/support/DemoWriter.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

#if defined(QV_CMAKE_COMMAND) && defined(QV_BUILD_DIR)

bool executable(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

TEST(Install, BothProgramsStartFromTheInstalledTree)
{
    TempDir prefix;
    const std::string cmake = QV_CMAKE_COMMAND;
    const std::string build = QV_BUILD_DIR;
    const std::string to = prefix.path();
    const ChildResult installed = runInChild(
        [&]() {
            ::execl(cmake.c_str(), cmake.c_str(), "--install", build.c_str(), "--prefix", to.c_str(),
                    static_cast<char*>(nullptr));
            _exit(127);
        },
        60);
    ASSERT_TRUE(installed.exited) << installed.err;
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;

    EXPECT_TRUE(executable(prefix.file("bin/qvgame")));
    EXPECT_TRUE(executable(prefix.file("bin/qvgame-shared")));
    const std::string archive = readFileBytes(prefix.file("Resources/qinvar.mvz"));
    EXPECT_FALSE(archive.empty());
    EXPECT_EQ(archive, readFileBytes(build + "/Resources/qinvar.mvz")) << "the archive the build made";

    for (const char* name : {"qvgame", "qvgame-shared"}) {
        SCOPED_TRACE(name);
        ProgramSandbox box;
        const DemoWriter quit = DemoWriter().timestamp(1000).mouseMove(1100, 320, 240).quit(1500);
        ASSERT_TRUE(quit.writeTo(box.work().file("quit.bin")));
        const ChildResult r = box.run(prefix.file(std::string("bin/") + name), {"-s", "-demo", "quit.bin"});
        EXPECT_FALSE(r.timedOut);
        EXPECT_TRUE(r.exited) << "signal " << r.signal;
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(r.out.find("Missing Resource File"), std::string::npos) << r.out;
        EXPECT_EQ(r.out, "") << "no message box at all";
    }
}

#endif

} // namespace
