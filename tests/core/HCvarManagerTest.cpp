// Console variables: "+set" parsing, reading values as numbers, the archive
// and its round trip, commands, and a manager without an engine.
#include "engine/core/HCvarManager.h"

#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

// The archive's entries ("name = ... }\n"), sorted: the traversal order is the interpreter's.
std::vector<std::string> entries(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find("\n}\n", start)) != std::string::npos; start = end + 3)
        out.push_back(text.substr(start, end + 3 - start));
    std::sort(out.begin(), out.end());
    return out;
}

class HCvarManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(cvars.initCvarManager());
        fs.initFileSystem(dir.path().c_str());
    }

    void TearDown() override
    {
        HPlatform::s_setTraceFile(nullptr);
        if (traceFile)
            traceFile->close();
        cvars.shutdownCvarManager();
    }

    // Switches tracing on into a file of the test's directory.
    void startTrace()
    {
        traceFile = fs.openFileForWrite("trace.txt");
        ASSERT_NE(traceFile, nullptr);
        HPlatform::s_setTraceFile(traceFile);
    }

    std::string trace() const { return readFileBytes(dir.file("trace.txt")); }

    // The archive text of the current variables.
    std::string archive(HCvarManager& manager)
    {
        EXPECT_TRUE(manager.archiveCvars("vars.cfg", &fs));
        return readFileBytes(dir.file("vars.cfg"));
    }

    bool load(HCvarManager& manager, const std::string& text)
    {
        dir.write("load.cfg", text);
        testing::internal::CaptureStderr();
        const bool ok = manager.loadCvars("load.cfg", &fs);
        testing::internal::GetCapturedStderr();
        return ok;
    }

    TempDir dir;
    HStandardFileSystem fs;
    HFile* traceFile = nullptr;
    HCvarManager cvars;
};

TEST_F(HCvarManagerTest, CommandLineTokens)
{
    struct Case {
        const char* text;
        std::map<std::string, std::string> set;
        std::vector<std::string> unset;
    };
    const Case cases[] = {
        {"+set alpha 1 +set beta demo.dem", {{"alpha", "1"}, {"beta", "demo.dem"}}, {}},
        {"+SET a 1;+set b 2", {{"a", "1"}, {"b", "2"}}, {}},
        {"  ;; +set a 1 ;;; +sEt b two  ", {{"a", "1"}, {"b", "two"}}, {}},
        {"+set a", {{"a", ""}}, {}},
        {"+set a +set b 1", {{"a", "+set"}}, {"b", "1"}},
        {"+set", {}, {"+set"}},
        {"x +set a 1", {{"a", "1"}}, {"x"}},
        {"+set a 1 +set a 2", {{"a", "2"}}, {}},
        {"", {}, {}},
    };
    for (const Case& c : cases) {
        HCvarManager manager;
        ASSERT_TRUE(manager.initCvarManager());
        manager.parseCommandLine(c.text);
        for (const auto& kv : c.set)
            EXPECT_STREQ(manager.getVariableString(kv.first.c_str()), kv.second.c_str()) << c.text;
        for (const std::string& name : c.unset)
            EXPECT_EQ(manager.getVariableString(name.c_str()), nullptr) << c.text << ": " << name;
        manager.shutdownCvarManager();
    }
    cvars.parseCommandLine(nullptr);
}

TEST_F(HCvarManagerTest, CommandLineValuesGetFlagsZeroAndUnknownTokensAreTraced)
{
    startTrace();
    cvars.parseCommandLine("x +set alpha 1 +set beta demo.dem");
    EXPECT_EQ(trace(), "Unknown command line token 'x'");
    const std::string text = archive(cvars);
    EXPECT_NE(text.find("alpha = \n{\n\tvalue = \"1\",\n\tflags = \"0\",\n}\n"), std::string::npos) << text;
    EXPECT_NE(text.find("beta = \n{\n\tvalue = \"demo.dem\",\n\tflags = \"0\",\n}\n"), std::string::npos) << text;
}

TEST_F(HCvarManagerTest, ALongTokenIsCutAt1023Characters)
{
    const std::string value(1500, 'v');
    cvars.parseCommandLine(("+set long " + value + " +set after 1").c_str());
    EXPECT_EQ(std::string(cvars.getVariableString("long")), std::string(1023, 'v'));
    EXPECT_STREQ(cvars.getVariableString("after"), "1");
}

TEST_F(HCvarManagerTest, KeepFlagAndOverwrite)
{
    cvars.addVariable("v", "first", HCvarManager::CVAR_NOT_ARCHIVED);
    cvars.addVariable("v", "second", HCvarManager::CVAR_KEEP);
    EXPECT_STREQ(cvars.getVariableString("v"), "first");
    EXPECT_EQ(archive(cvars), "") << "the flags stayed 2 as well";

    cvars.addVariable("v", "third", 0);
    EXPECT_STREQ(cvars.getVariableString("v"), "third");
    EXPECT_EQ(archive(cvars), "v = \n{\n\tvalue = \"third\",\n\tflags = \"0\",\n}\n");

    // A new name with the keep bit is simply added.
    cvars.addVariable("w", "kept", HCvarManager::CVAR_KEEP);
    EXPECT_STREQ(cvars.getVariableString("w"), "kept");
}

TEST_F(HCvarManagerTest, SetVariableStringChangesOnlyExistingVariables)
{
    DiagnosticRecorder diagnostics;
    cvars.addVariable("v", "1", 1);
    cvars.setVariableString("v", "2");
    EXPECT_STREQ(cvars.getVariableString("v"), "2");
    EXPECT_EQ(archive(cvars), "v = \n{\n\tvalue = \"2\",\n\tflags = \"1\",\n}\n") << "its flags stay";

    cvars.setVariableString("missing", "x");
    EXPECT_EQ(diagnostics.count("HCvarManager::setVariableString - no variable 'missing' exists"), 1);
    EXPECT_EQ(cvars.getVariableString("missing"), nullptr);
}

TEST_F(HCvarManagerTest, NumbersFromValues)
{
    const struct {
        const char* value;
        int asInt;
    } cases[] = {
        {"12abc", 12}, {"abc", 0},  {"0x10", 0}, {"  42", 42}, {"-7", -7}, {"", 0}, {"3.9", 3},
        {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        cvars.addVariable("n", c.value, 0);
        EXPECT_EQ(cvars.getVariableInt("n"), c.asInt) << c.value;
    }
    cvars.addVariable("f", "2.5x", 0);
    EXPECT_EQ(cvars.getVariableFloat("f"), 2.5f);
    cvars.addVariable("f", "1e400", 0);
    EXPECT_TRUE(std::isinf(cvars.getVariableFloat("f")));

    DiagnosticRecorder diagnostics;
    EXPECT_EQ(cvars.getVariableInt("missing"), 0);
    EXPECT_EQ(cvars.getVariableFloat("missing"), 0.0f);
    EXPECT_EQ(diagnostics.count("*** WARNING: no variable for 'missing' found\n"), 2);
}

TEST_F(HCvarManagerTest, ArchiveFormatAndWhatItSkips)
{
    cvars.addVariable("c_soundDriver", "default", 0);
    EXPECT_EQ(archive(cvars), "c_soundDriver = \n{\n\tvalue = \"default\",\n\tflags = \"0\",\n}\n");

    HCvarManager other;
    ASSERT_TRUE(other.initCvarManager());
    other.addVariable("kept", "1", HCvarManager::CVAR_KEEP);
    other.addVariable("skip2", "1", 2);
    other.addVariable("skip3", "1", 3);
    for (const char* name : {"bad name", "1abc", "end", "a.b", "", "x-y"})
        other.addVariable(name, "1", 0);
    const std::string text = archive(other);
    EXPECT_EQ(text, "kept = \n{\n\tvalue = \"1\",\n\tflags = \"1\",\n}\n");
    other.shutdownCvarManager();
}

TEST_F(HCvarManagerTest, ArchiveRoundTripRestoresEveryValue)
{
    const std::map<std::string, std::string> values = {
        {"quote", "say \"hi\""},
        {"backslash", "C:\\games\\qv\\"},
        {"trailingBackslash", "\\"},
        {"closeAndInject", "\" } os = { value = \"x"},
        {"controls", "line1\nline2\r\ttab\x01" "1\x7f"},
        {"digitsAfterEscape", std::string("\x02") + "345"},
        {"highBytes", "caf\xc3\xa9 \xff"},
        {"brackets", "]] [[ --[[ ]]"},
        {"empty", ""},
        {"long", std::string(3000, 'q') + "\"\\"},
    };
    for (const auto& kv : values)
        cvars.addVariable(kv.first.c_str(), kv.second.c_str(), 0);
    const std::string text = archive(cvars);

    HCvarManager restored;
    ASSERT_TRUE(restored.initCvarManager());
    ASSERT_TRUE(load(restored, text)) << text;
    for (const auto& kv : values) {
        const char* value = restored.getVariableString(kv.first.c_str());
        ASSERT_NE(value, nullptr) << kv.first;
        EXPECT_EQ(std::string(value), kv.second) << kv.first;
    }
    EXPECT_EQ(restored.getVariableString("os"), nullptr);
    EXPECT_EQ(entries(archive(restored)), entries(text)) << "archiving the restored set gives the same entries";
    restored.shutdownCvarManager();
}

TEST_F(HCvarManagerTest, LoadTracesEveryStepAndReportsTheChunk)
{
    startTrace();
    EXPECT_TRUE(cvars.loadCvars("nofile.cfg", &fs)) << "a missing archive is not an error";
    EXPECT_EQ(trace(), ">>>HCvarManager::loadCvars( \"nofile.cfg\" )\n...attempting open: failed\n<<<\n");

    const std::string good = "a = { value = \"1\", flags = \"0\" }\n";
    dir.write("good.cfg", good);
    const size_t before = trace().size();
    EXPECT_TRUE(cvars.loadCvars("good.cfg", &fs));
    EXPECT_EQ(trace().substr(before), ">>>HCvarManager::loadCvars( \"good.cfg\" )\n...attempting open:  ok\n"
                                      "...file size = " +
                                          std::to_string(good.size()) +
                                          " bytes\n...reading\n...parsing\n...closing\n<<<\n");
    EXPECT_STREQ(cvars.getVariableString("a"), "1");

    // The archive's own result: a chunk that fails, and a precompiled one.
    EXPECT_FALSE(load(cvars, "b = { value = \"1\" \n"));
    EXPECT_FALSE(load(cvars, std::string("\x1bLua\x51\x00\x01\x04\x08\x04\x08\x00", 12)));
    EXPECT_FALSE(load(cvars, "while true do end"));
    EXPECT_EQ(cvars.getVariableString("b"), nullptr);
}

TEST_F(HCvarManagerTest, LoadingReplacesVariablesWhateverTheirFlags)
{
    cvars.addVariable("a", "old", HCvarManager::CVAR_KEEP);
    ASSERT_TRUE(load(cvars, "a = { value = 'new', flags = '0' } n = { value = 5, flags = 0 }"));
    EXPECT_STREQ(cvars.getVariableString("a"), "new");
    EXPECT_STREQ(cvars.getVariableString("n"), "5") << "a number value reads as its text";
    EXPECT_EQ(cvars.getVariableInt("n"), 5);
}

TEST_F(HCvarManagerTest, AGlobalThatIsNoTableIsReplacedNotIndexed)
{
    DiagnosticRecorder diagnostics;
    ASSERT_TRUE(load(cvars, "num = 5 str = 'text' flag = true"));
    EXPECT_EQ(cvars.getVariableString("num"), nullptr);
    EXPECT_EQ(cvars.getVariableString("str"), nullptr);

    cvars.setVariableString("str", "x");
    EXPECT_EQ(diagnostics.count("no variable 'str' exists"), 1);

    cvars.addVariable("num", "1", HCvarManager::CVAR_KEEP); // not a variable, so nothing to keep
    cvars.addVariable("str", "2", 0);
    cvars.addCommand("flag", nullptr, nullptr, 0);
    EXPECT_STREQ(cvars.getVariableString("num"), "1");
    EXPECT_STREQ(cvars.getVariableString("str"), "2");
    EXPECT_STREQ(cvars.getVariableString("flag"), "(nil)");
}

bool commandA(const char*, void* parm)
{
    ++*static_cast<int*>(parm);
    return true;
}

bool commandB(const char*, void*)
{
    return false;
}

TEST_F(HCvarManagerTest, CommandsComeBackOnlyAsAdded)
{
    int counter = 0;
    cvars.addCommand("cmd", commandA, &counter, 0);
    void* parm = nullptr;
    HCvarManager::CommandFunction fn = cvars.getCommand("cmd", &parm);
    ASSERT_EQ(fn, &commandA);
    EXPECT_EQ(parm, &counter);
    EXPECT_TRUE(fn("", parm));
    EXPECT_EQ(counter, 1);

    cvars.addCommand("cmd", commandB, nullptr, HCvarManager::CVAR_KEEP);
    EXPECT_EQ(cvars.getCommand("cmd", &parm), &commandA) << "the keep bit kept the first";
    cvars.addCommand("cmd", commandB, nullptr, 0);
    EXPECT_EQ(cvars.getCommand("cmd", &parm), &commandB);
    EXPECT_EQ(parm, nullptr);

    void* untouched = &counter;
    EXPECT_EQ(cvars.getCommand("missing", &untouched), nullptr);
    EXPECT_EQ(untouched, &counter);

    // A variable has no function.
    cvars.addVariable("plain", "1", 0);
    EXPECT_EQ(cvars.getCommand("plain", &untouched), nullptr);
    EXPECT_EQ(untouched, &counter);

    // Command entries archive like variables.
    cvars.addCommand("cmd", commandA, &counter, 0);
    const std::string text = archive(cvars);
    char address[64];
    std::snprintf(address, sizeof(address), "%p", reinterpret_cast<void*>(&commandA));
    EXPECT_NE(text.find(std::string("cmd = \n{\n\tvalue = \"") + address + "\",\n\tflags = \"0\",\n}\n"),
              std::string::npos)
        << text;
}

TEST_F(HCvarManagerTest, AnArchiveCannotHandOutAPointer)
{
    DiagnosticRecorder diagnostics;
    int counter = 0;
    char address[64];
    char parmAddress[64];
    std::snprintf(address, sizeof(address), "%p", reinterpret_cast<void*>(&commandA));
    std::snprintf(parmAddress, sizeof(parmAddress), "%p", static_cast<void*>(&counter));

    // Even the address of a real function, written by an archive or a
    // script, is not a command.
    for (const std::string& value : {std::string(address), std::string("0x41414141")}) {
        ASSERT_TRUE(load(cvars, "forged = { value = '" + value + "', flags = '0', parm = '" + parmAddress + "' }"));
        void* parm = &diagnostics;
        EXPECT_EQ(cvars.getCommand("forged", &parm), nullptr) << value;
        EXPECT_EQ(parm, nullptr) << value;
    }

    // A real command whose text a script rewrote.
    cvars.addCommand("cmd", commandA, &counter, 0);
    ASSERT_TRUE(load(cvars, "cmd.value = '0x41414141'"));
    void* parm = nullptr;
    EXPECT_EQ(cvars.getCommand("cmd", &parm), nullptr);
    EXPECT_GE(diagnostics.count("HCvarManager::getCommand"), 1);
}

TEST_F(HCvarManagerTest, ASecondInitKeepsTheVariables)
{
    cvars.addVariable("v", "1", 0);
    EXPECT_TRUE(cvars.initCvarManager());
    EXPECT_STREQ(cvars.getVariableString("v"), "1");
    cvars.shutdownCvarManager();
    EXPECT_EQ(cvars.getVariableString("v"), nullptr);
    ASSERT_TRUE(cvars.initCvarManager());
    EXPECT_EQ(cvars.getVariableString("v"), nullptr) << "variables vanish with the engine";
}

// A file system whose files take no bytes.
class FullFile : public HFile {
public:
    int read(void*, int) override { return 0; }
    int write(const void*, int) override { return 0; }
    bool rewind() override { return false; }
};

class FullFileSystem : public HFileSystem {
public:
    bool fileExists(const char*) override { return false; }
    HFile* openFileForRead(const char*) override { return nullptr; }
    HFile* openFileForWrite(const char*) override
    {
        m_file.m_setFileSystem(this);
        ++m_iOpened;
        return &m_file;
    }
    int64_t getLastModTime(const char*) override { return 0; }
    void m_closeFile(HFile*) override { ++m_iClosed; }

    FullFile m_file;
    int m_iOpened = 0;
    int m_iClosed = 0;
};

TEST_F(HCvarManagerTest, ArchiveReportsFilesItCannotWrite)
{
    cvars.addVariable("v", "1", 0);
    FullFileSystem full;
    EXPECT_FALSE(cvars.archiveCvars("vars.cfg", &full));
    EXPECT_EQ(full.m_iOpened, 1);
    EXPECT_EQ(full.m_iClosed, 1) << "closed all the same";

    TempDir other;
    HStandardFileSystem missingDir;
    missingDir.initFileSystem((other.path() + "/no/such/dir").c_str());
    EXPECT_FALSE(cvars.archiveCvars("vars.cfg", &missingDir));
    EXPECT_FALSE(cvars.archiveCvars("vars.cfg", nullptr));
}

TEST(HCvarManager, WithoutAnEngineReadsAreEmptyAndWritesDoNothing)
{
    HCvarManager cvars; // never initialised, as after a failed initCvarManager
    DiagnosticRecorder diagnostics;
    TempDir dir;
    HStandardFileSystem fs;
    fs.initFileSystem(dir.path().c_str());
    dir.write("vars.cfg", "v = { value = '1', flags = '0' }");

    cvars.addVariable("v", "1", 0);
    cvars.setVariableString("v", "2");
    cvars.parseCommandLine("+set v 3");
    int counter = 0;
    cvars.addCommand("cmd", commandA, &counter, 0);
    EXPECT_FALSE(cvars.loadCvars("vars.cfg", &fs));
    EXPECT_FALSE(cvars.archiveCvars("out.cfg", &fs));
    EXPECT_FALSE(fileExists(dir.file("out.cfg")));

    EXPECT_EQ(cvars.getVariableString("v"), nullptr);
    EXPECT_EQ(cvars.getVariableInt("v"), 0);
    EXPECT_EQ(cvars.getVariableFloat("v"), 0.0f);
    EXPECT_EQ(diagnostics.count("*** WARNING: no variable for 'v' found\n"), 2);
    void* parm = &counter;
    EXPECT_EQ(cvars.getCommand("cmd", &parm), nullptr);
    EXPECT_EQ(parm, &counter);
    cvars.shutdownCvarManager();

    // Once initialised, nothing of the above is there.
    ASSERT_TRUE(cvars.initCvarManager());
    EXPECT_EQ(cvars.getVariableString("v"), nullptr);
}

} // namespace
