// Message boxes, alerts and the trace file.
#include "engine/core/HErrorManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string captured(void (*show)())
{
    testing::internal::CaptureStdout();
    show();
    return testing::internal::GetCapturedStdout();
}

TEST(HErrorManager, MessageBoxFramesTheTitle)
{
    EXPECT_EQ(captured([] { HErrorManager::s_alert("Value %d is bad", 7); }),
              "\n\n+-------+\n| Alert |\n+-------+\nValue 7 is bad\n\n");
    EXPECT_EQ(captured([] { HErrorManager::s_messageBox(49, "", "text"); }), "\n\n+--+\n|  |\n+--+\ntext\n\n");
}

TEST(HErrorManager, TitleAndTextAreNotFormatStrings)
{
    EXPECT_EQ(captured([] { HErrorManager::s_messageBox(0, "%s%n", "%s", "ok"); }),
              "\n\n+------+\n| %s%n |\n+------+\nok\n\n");
    EXPECT_EQ(captured([] { HPlatform::s_messageBox(0, "T", "100% %d"); }), "\n\n+---+\n| T |\n+---+\n100% %d\n\n");
}

TEST(HErrorManager, LongMessagesAreCutAt1023Characters)
{
    const std::string out = captured([] {
        const std::string longText(2000, 'x');
        HErrorManager::s_alert("%s", longText.c_str());
    });
    const std::string header = "\n\n+-------+\n| Alert |\n+-------+\n";
    EXPECT_EQ(out, header + std::string(1023, 'x') + "\n\n");
}

TEST(HErrorManager, VerifyFailedShowsOnlyTheFirstTime)
{
    std::string first = captured([] { EXPECT_EQ(HErrorManager::s_verifyFailed("first %d", 1), 1); });
    EXPECT_EQ(first, "\n\n+---------------+\n| Verify Failed |\n+---------------+\nfirst 1\n\n");
    EXPECT_EQ(captured([] { EXPECT_EQ(HErrorManager::s_verifyFailed("second"), 0); }), "");
}

TEST(HErrorManager, DeveloperDiagnosticsAreSilent)
{
    EXPECT_EQ(captured([] {
                  HErrorManager::s_db_alert("quiet %d", 1);
                  HErrorManager::s_db_trace("quiet %s", "too");
              }),
              "");
    DiagnosticRecorder diagnostics;
    HErrorManager::s_db_alert("seen %d", 3);
    EXPECT_EQ(diagnostics.count("seen 3"), 1);
}

TEST(HPlatform, TraceReachesTheDiskAtOnce)
{
    TempDir dir;
    HStandardFileSystem fs;
    fs.initFileSystem(dir.path().c_str());
    HFile* trace = fs.openFileForWrite("trace.txt");
    ASSERT_NE(trace, nullptr);

    HErrorManager::s_trace("before\n"); // no trace file yet: goes nowhere
    HPlatform::s_setTraceFile(trace);
    HErrorManager::s_trace("...Creating display device\n");
    EXPECT_EQ(readFileBytes(dir.file("trace.txt")), "...Creating display device\n");
    HErrorManager::s_trace("%d%%\n", 50);
    EXPECT_EQ(readFileBytes(dir.file("trace.txt")), "...Creating display device\n50%\n");

    HPlatform::s_setTraceFile(nullptr);
    trace->close();
    HErrorManager::s_trace("after\n");
    EXPECT_EQ(readFileBytes(dir.file("trace.txt")), "...Creating display device\n50%\n");
}

} // namespace
