// The framework's message box and slide show run on the game, and the
// partner address: "config.txt", the registry, and the browser started with
// it in a child process.
#include "framework/HPuzzleGame.h"

#include "engine/core/HSystemRegistry.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DialogTestGame.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptedInput.h"
#include "tests/support/TempDir.h"
#include "ui/MVDialog.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kStart = 40000;
const char kDefaultAddress[] = "http://www.moravel.example.org/";

// The message box's art on a 640 x 480 screen: background 300 x 200 at
// (170, 140), first button (60 x 30) at (230, 295), second at (350, 295).
class HPuzzleGameDialogsTest : public ::testing::Test {
protected:
    HPuzzleGameDialogsTest() : input(game.getEventManager(), kStart)
    {
        game.setGameClock(MvTime::s_fromTime64(kStart));
        game.setReadFileSystem(&files);
        DialogTestGame::s_addArt(&files, "box.tga", 300, 200);
        DialogTestGame::s_addArt(&files, "yes.tga", 60, 30);
        DialogTestGame::s_addArt(&files, "yeslit.tga", 60, 30);
        DialogTestGame::s_addArt(&files, "no.tga", 60, 30);
        DialogTestGame::s_addArt(&files, "nolit.tga", 60, 30);
        for (const char* name : {"s0.tga", "s1.tga"})
            DialogTestGame::s_addArt(&files, name, 400, 300);
        for (const char* name : {"d.tga", "dl.tga", "n.tga", "nl.tga", "p.tga", "pl.tga"})
            DialogTestGame::s_addArt(&files, name, 40, 20);
    }

    int32_t liveSurfaces() { return game.screen()->surfacesMade() - game.screen()->surfacesDestroyed(); }
    int messageBox(int delayMs, bool second = true)
    {
        return game.m_doMessageDialog(-1, -1, delayMs, "box.tga", "yes.tga", "yeslit.tga", second ? "no.tga" : nullptr,
                                      second ? "nolit.tga" : nullptr);
    }

    DialogTestGame game;
    ScriptedInput input;
    MemoryFileSystem files;
};

TEST_F(HPuzzleGameDialogsTest, MessageBoxTellsWhatClosedIt)
{
    struct Case {
        const char* name;
        void (*script)(ScriptedInput&);
        int expected;
    };
    const Case cases[] = {
        {"first button", [](ScriptedInput& in) { in.pressAt(kStart + 10, 240, 300); }, 1},
        {"second button", [](ScriptedInput& in) { in.pressAt(kStart + 10, 360, 300); }, 0},
        {"Enter (the second button)", [](ScriptedInput& in) { in.keyAt(kStart + 10, 13); }, 0},
        {"window closed", [](ScriptedInput& in) { in.quitAt(kStart + 10); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t before = liveSurfaces();
        c.script(input);
        game.getDirtyList()->clearDirtyList();
        EXPECT_EQ(messageBox(0), c.expected);
        // The art is given back and the screen is to be redrawn.
        EXPECT_EQ(liveSurfaces(), before);
        ASSERT_EQ(game.getDirtyList()->getRectangleCount(), 1);
        EXPECT_EQ(game.getDirtyList()->getRectangle(0)->right, 640);
        EXPECT_EQ(MVDialog::sm_modalStack.getNumItems(), 0);
        // The quit request is reported, not passed on.
        for (const HEvent& e : game.drainEvents())
            EXPECT_NE(e.type, ET_QUIT);
    }
}

TEST_F(HPuzzleGameDialogsTest, MessageBoxHoldsTheFirstButtonBackForItsDelay)
{
    // Without a second button Enter goes to the first, which is held back.
    // The single button sits at (290, 295).
    input.keyAt(kStart + 100, 13).pressAt(kStart + 2999, 300, 300).pressAt(kStart + 3050, 300, 300);
    EXPECT_EQ(messageBox(3000, false), 1);
    EXPECT_EQ(game.getGameClock().getTime64(), kStart + 3050);
}

TEST_F(HPuzzleGameDialogsTest, ANegativeDelayHoldsNothingBack)
{
    input.pressAt(kStart + 5, 300, 300);
    EXPECT_EQ(messageBox(-100, false), 1);
}

TEST_F(HPuzzleGameDialogsTest, SlideShowPagesAndGivesEverythingBack)
{
    const char* slides[] = {"s0.tga", "s1.tga"};
    // Slides 400 x 300 at (0, 0): next at (346, 270), done at (100, 275).
    input.pressAt(kStart + 10, 350, 275).quitAt(kStart + 15).pressAt(kStart + 20, 110, 280);
    const int32_t before = liveSurfaces();
    EXPECT_EQ(game.m_doSlideShowDialog(0, 0, "d.tga", "dl.tga", "n.tga", "nl.tga", "p.tga", "pl.tga", slides, 2), 1);
    EXPECT_EQ(liveSurfaces(), before);
    EXPECT_EQ(input.pending(), 0);
    // The window's close during the show reaches the main loop afterwards.
    bool quit = false;
    for (const HEvent& e : game.drainEvents())
        quit = quit || e.type == ET_QUIT;
    EXPECT_TRUE(quit);
}

TEST_F(HPuzzleGameDialogsTest, SlideShowWithoutSlidesReturnsAtOnce)
{
    const char* slides[] = {"s0.tga"};
    input.pressAt(kStart + 10, 110, 280);
    EXPECT_EQ(game.m_doSlideShowDialog(0, 0, "d.tga", "dl.tga", "n.tga", "nl.tga", "p.tga", "pl.tga", slides, 0), 1);
    EXPECT_EQ(game.m_doSlideShowDialog(0, 0, "d.tga", "dl.tga", "n.tga", "nl.tga", "p.tga", "pl.tga", nullptr, 3), 1);
    EXPECT_EQ(files.totalOpens(), 0);
    EXPECT_EQ(input.pending(), 1);
    EXPECT_EQ(game.getGameClock().getTime64(), kStart);
}

// --- The partner address ---------------------------------------------------

class PartnerAddressTest : public ::testing::Test {
protected:
    PartnerAddressTest() : home("HOME", homeDir.path().c_str())
    {
        game.setReadFileSystem(&files);
        game.getCvarManager()->initCvarManager();
    }
    ~PartnerAddressTest() override { game.getCvarManager()->shutdownCvarManager(); }

    static void setRegistry(const char* company, const char* product, const char* value)
    {
        HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
        ASSERT_TRUE(registry->openRegistry(nullptr, company, product));
        ASSERT_TRUE(registry->setStringValue("partnerURL", value, static_cast<int>(std::string(value).size()) + 1));
        ASSERT_TRUE(registry->closeRegistry());
    }
    std::string find(const char* company = "Co", const char* product = "Game")
    {
        char out[1024];
        return game.m_findPartnerURL(kDefaultAddress, company, product, out, sizeof(out));
    }

    TempDir homeDir;
    ScopedEnv home;
    DialogTestGame game;
    MemoryFileSystem files;
};

TEST_F(PartnerAddressTest, ConfigSecondLineNamesTheAddress)
{
    struct Case {
        const char* name;
        const char* config; // null: no "config.txt"
        const char* expected;
    };
    const Case cases[] = {
        {"valid", "Qinvar 1.0\r\npartnerURL=http://partner.example.com/games\r\n",
         "http://partner.example.com/games"},
        {"missing", nullptr, kDefaultAddress},
        {"one line", "partnerURL=http://first.example.com/\r\n", kDefaultAddress},
        {"LF only", "Qinvar\npartnerURL=http://lf.example.com/\n", "http://lf.example.com/"},
        {"no line end", "Qinvar\r\npartnerURL=http://end.example.com/", "http://end.example.com/"},
        {"wrong prefix", "Qinvar\r\nPartnerURL=http://case.example.com/\r\n", kDefaultAddress},
        {"other key", "Qinvar\r\nhomeURL=http://home.example.com/\r\n", kDefaultAddress},
        {"empty address", "Qinvar\r\npartnerURL=\r\n", kDefaultAddress},
        {"blank after the key", "Qinvar\r\npartnerURL= http://late.example.com/\r\n", kDefaultAddress},
        {"cut at a blank", "Qinvar\r\npartnerURL=http://a.example.com/x y\r\n", "http://a.example.com/x"},
        {"empty file", "", kDefaultAddress},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem local;
        game.setReadFileSystem(&local);
        if (c.config)
            local.add("config.txt", std::string(c.config));
        EXPECT_EQ(find(), c.expected);
        EXPECT_EQ(local.openFiles(), 0);
        game.setReadFileSystem(&files);
    }
}

TEST_F(PartnerAddressTest, OnlyTheFirst1023BytesOfConfigAreRead)
{
    // The second line begins past what is read.
    files.add("config.txt", std::string(1030, 'x') + "\r\npartnerURL=http://far.example.com/\r\n");
    EXPECT_EQ(find(), kDefaultAddress);
    // An address that the limit cuts is not taken: its end is missing.
    files.add("config.txt", std::string(1000, 'x') + "\r\npartnerURL=http://near.example.com/long/path\r\n");
    EXPECT_EQ(find(), kDefaultAddress);
    // One that ends within the limit is.
    files.add("config.txt", std::string(900, 'x') + "\r\npartnerURL=http://near.example.com/\r\n" +
                                std::string(200, 'y'));
    EXPECT_EQ(find(), "http://near.example.com/");
}

TEST_F(PartnerAddressTest, TheRegistryOverridesConfig)
{
    files.add("config.txt", std::string("Qinvar\r\npartnerURL=http://config.example.com/\r\n"));
    setRegistry("Co", "Game", "http://registry.example.com/");
    EXPECT_EQ(find(), "http://registry.example.com/");
    // Another company's registry holds nothing.
    EXPECT_EQ(find("Other", "Game"), "http://config.example.com/");
    // An empty value names no address.
    setRegistry("Co", "Game", "");
    EXPECT_EQ(find(), "http://config.example.com/");
}

TEST_F(PartnerAddressTest, GetPartnerURLHasNoDefaultAndReadsTheRegistryOfTheConsoleVariables)
{
    EXPECT_STREQ(game.getPartnerURL(), "");
    files.add("config.txt", std::string("Qinvar\r\npartnerURL=http://config.example.com/\r\n"));
    EXPECT_STREQ(game.getPartnerURL(), "http://config.example.com/");

    setRegistry("Maker", "Tiles", "http://registry.example.com/");
    // Without the console variables the registry is not asked.
    EXPECT_STREQ(game.getPartnerURL(), "http://config.example.com/");
    game.getCvarManager()->addVariable("companyName", "Maker", 0);
    game.getCvarManager()->addVariable("productName", "Tiles", 0);
    EXPECT_STREQ(game.getPartnerURL(), "http://registry.example.com/");
}

TEST_F(PartnerAddressTest, ABlankSecondLineKeepsGetPartnerURLEmpty)
{
    files.add("config.txt", std::string("Qinvar\r\n\r\n"));
    EXPECT_STREQ(game.getPartnerURL(), "");
}

// --- Opening the address ---------------------------------------------------

class PartnerSiteTest : public PartnerAddressTest {
protected:
    PartnerSiteTest()
    {
        // Stub browsers, the only programs on the search path: each writes
        // its name and then its arguments, one a line.
        const std::string args = work.file("browser-args");
        for (const char* name : {"links", "lynx"}) {
            const std::string path = stubs.write(name, std::string("#!/bin/sh\n{ printf '%s\\n' '") + name +
                                                          "'; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } >> '" +
                                                          args + "'\n");
            ::chmod(path.c_str(), 0755);
        }
    }
    // Runs the call in a child process with the stubs first on the path, no
    // display, and the work directory as the current directory.
    ChildResult open(const std::function<void(DialogTestGame&)>& call)
    {
        return runInChild([&] {
            ::setenv("PATH", stubs.path().c_str(), 1);
            ::unsetenv("DISPLAY");
            if (::chdir(work.path().c_str()) != 0)
                _exit(90);
            call(game);
            _exit(91); // the call returned
        });
    }
    std::vector<std::string> browserLines()
    {
        std::vector<std::string> lines;
        std::string text = readFileBytes(work.file("browser-args"));
        size_t start = 0;
        for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            lines.push_back(text.substr(start, nl - start));
        return lines;
    }

    TempDir stubs;
    TempDir work;
};

TEST_F(PartnerSiteTest, TheAddressReachesTheBrowserIntact)
{
    files.add("config.txt", std::string("Qinvar\r\npartnerURL=http://partner.example.com/games?id=42\r\n"));
    const ChildResult r = open([](DialogTestGame& g) { g.goToPartnerSite(kDefaultAddress, "Co", "Game"); });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(browserLines(), (std::vector<std::string>{"links", "http://partner.example.com/games?id=42"}));
}

TEST_F(PartnerSiteTest, TheDefaultAddressIsOpenedWithoutConfigOrRegistry)
{
    const ChildResult r = open([](DialogTestGame& g) { g.goToPartnerSite(kDefaultAddress, "Co", "Game"); });
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(browserLines(), (std::vector<std::string>{"links", kDefaultAddress}));
}

TEST_F(PartnerSiteTest, NothingInTheAddressRunsAsACommand)
{
    const std::string hostile =
        "http://evil.example.com/$(touch${IFS}pwned1)`touch${IFS}pwned2`;touch${IFS}pwned3|touch${IFS}pwned4&x'\"";
    files.add("config.txt", "Qinvar\r\npartnerURL=" + hostile + "\r\n");
    const ChildResult r = open([](DialogTestGame& g) { g.goToPartnerSite(kDefaultAddress, "Co", "Game"); });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    // One argument, the address exactly as the configuration names it, and
    // nothing else started.
    EXPECT_EQ(browserLines(), (std::vector<std::string>{"links", hostile}));
    for (const char* file : {"pwned1", "pwned2", "pwned3", "pwned4"})
        EXPECT_FALSE(fileExists(work.file(file))) << file;
}

TEST_F(PartnerSiteTest, AnAddressThatIsNoWebAddressOpensNothing)
{
    for (const char* address : {"file:///etc/passwd", "--help", "~/x"}) {
        SCOPED_TRACE(address);
        setRegistry("Co", "Game", address);
        const ChildResult r = open([](DialogTestGame& g) { g.goToPartnerSite(kDefaultAddress, "Co", "Game"); });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, std::string("You should be looking at [") + address + "],\n but we can't launch a browser.\n");
        EXPECT_TRUE(browserLines().empty());
    }
}

TEST_F(PartnerSiteTest, HomePageOpensItsAddressAndNullDoesNothing)
{
    ChildResult r = open([](DialogTestGame& g) { g.m_gotoHomePage("http://home.example.com/"); });
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(browserLines(), (std::vector<std::string>{"links", "http://home.example.com/"}));

    r = open([](DialogTestGame& g) { g.m_gotoHomePage(nullptr); });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 91);
}

} // namespace
