// Best times: the table of a first start, the ranking of a finished game,
// the name entry (length, cut and filtered names, the last name saved at
// once), the best-times dialog (browsing, blinking, Clear with its
// confirmation), hostile registry entries, quit requests, and the pictures.
#include "engine/core/HUtil.h"
#include "game/QVBestTimesDialog.h"
#include "game/QVEnterNameDialog.h"
#include "game/QVAreYouSureDialog.h"
#include "tests/game/GameScreen.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/InputEvents.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const kDefaultNames[8] = {"Vot", "Ressa", "Ondi", "Brum", "Tamsi", "Kelp", "Pell", "Snorkel"};

// Screen places in the best-times dialog.
const HScreenRect kBestOk = screen::bestTimesOkButton();
const HScreenRect kBestClear = screen::bestTimesClearButton();
const HScreenRect kBestNext = screen::bestTimesNextButton();
const HScreenRect kBestPrevious = screen::bestTimesPreviousButton();
const HScreenRect kBestTitle = screen::bestTimesTitle();
// The confirmation's buttons.
const HScreenRect kYes = screen::clearConfirmationButton(true);
const HScreenRect kNo = screen::clearConfirmationButton(false);
// The name entry's OK button.
const HScreenRect kNameOk = screen::nameEntryOkButton();

HEvent enterAt(uint64_t time)
{
    return typedAt(time, 13);
}

QVHighScore entry(const char* name, uint32_t tiles, uint32_t gameTime, uint32_t realTime)
{
    QVHighScore e{};
    e.tag = QVHighScore::kTag;
    HUtil::s_strcpy(e.name, name, sizeof(e.name));
    e.gameTime = gameTime;
    e.realTime = realTime;
    e.remainingTiles = tiles;
    return e;
}

// The text lines of one place in the open best-times dialog.
std::vector<std::string> row(QVBestTimesDialog* d, int place)
{
    return {d->getNameLine(place)->getText(), d->getGameTimeLine(place)->getText(),
            d->getRealTimeLine(place)->getText(), d->getTilesLine(place)->getText()};
}

// A layout's eight entries as another run stored them: names <prefix><place>,
// `tiles` left, game times 100, 200, ... and real times 10 s less.
std::vector<QVHighScore> storedTable(const std::string& prefix, uint32_t tiles)
{
    std::vector<QVHighScore> out;
    for (uint32_t place = 0; place < 8; ++place) {
        const uint32_t t = 100 * (place + 1);
        out.push_back(entry((prefix + std::to_string(place)).c_str(), tiles, t, t - 10));
    }
    return out;
}

std::vector<RegistryRecord> tableRecords(int layout, const std::vector<QVHighScore>& table)
{
    std::vector<RegistryRecord> out;
    for (size_t place = 0; place < table.size(); ++place) {
        const std::vector<RegistryRecord> more = highScoreRecords(layout, static_cast<int>(place), table[place]);
        out.insert(out.end(), more.begin(), more.end());
    }
    return out;
}

std::vector<RegistryRecord> joined(std::vector<RegistryRecord> a, const std::vector<RegistryRecord>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every record of `before` whose key is not in `changed` is in `after` with
// the same value; the keys of `after` are those of `before`.
void expectOnlyChanged(const std::string& before, const std::string& after, const std::vector<std::string>& changed)
{
    const std::map<std::string, std::string> was = registryByKey(before);
    std::map<std::string, std::string> is = registryByKey(after);
    EXPECT_EQ(is.size(), was.size()) << "keys were added";
    for (const auto& [key, value] : was) {
        bool mayChange = false;
        for (const std::string& c : changed)
            mayChange = mayChange || key.rfind(c, 0) == 0;
        if (!mayChange) {
            EXPECT_EQ(is[key], value) << key;
        }
    }
}

} // namespace

TEST(QinvarBestTimes, AFirstStartShowsTheDefaultNamesWithEmptyTimes)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    for (int layout = 0; layout < 18; ++layout) {
        for (int place = 0; place < 8; ++place) {
            const QVHighScore& e = g.m_aHighScores[layout][place];
            EXPECT_EQ(e.tag, 768u);
            EXPECT_STREQ(e.name, kDefaultNames[place]);
            EXPECT_EQ(e.gameTime, 5999u);
            EXPECT_EQ(e.realTime, 5999u);
            EXPECT_EQ(e.remainingTiles, 144u);
        }
    }
    EXPECT_EQ(g.getLastHighScoreLayout(), -1);
    EXPECT_EQ(g.getLastHighScorePlace(), -1);

    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.doBestTimesDialog(0); };
    s.script().batch({commandAt(2000)});
    s.script().batch({moveTo(2100, 5, 5)}, [&] {
        QVBestTimesDialog* d = openDialog<QVBestTimesDialog>();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->getShownLayout(), 0);
        for (int place = 0; place < 8; ++place)
            EXPECT_EQ(row(d, place), (std::vector<std::string>{kDefaultNames[place], "99:59", "99:59", "144"}));
        EXPECT_TRUE(s.session().savePng(screenshotPath("besttimes_first_start.png")));
    });
    s.script().batch(clickIn(2200, kBestOk));
    s.script().batch({moveTo(2300, 6, 6)}, [&] { EXPECT_EQ(openDialogCount(), 0); });
    s.session().run();
    // Looking at the table writes nothing.
    EXPECT_FALSE(fileExists(s.session().registryPath()));
}

// The finished game takes the first place whose entry it beats in the
// table the registry holds: fewer tiles left, then a smaller game time, then
// a smaller real time; a tie goes after the older entry. Then the name is
// asked, the layout stored and the table shown. A game that makes no place
// leaves the file as it was.
TEST(QinvarBestTimes, AFinishedGameIsRankedAgainstTheLayoutsTable)
{
    struct Case {
        const char* what;
        int32_t tiles, gameTime, realTime;
        int32_t place; // -1: not in the table
    };
    const std::vector<Case> cases = {
        {"smaller game time, no tiles left", 0, 250, 250, 0},
        {"equal tiles and game time, smaller real time", 0, 300, 270, 0},
        {"equal in all three to the best: after it", 0, 300, 280, 1},
        {"between two equal game times", 0, 300, 285, 1},
        {"more tiles, beats a 10-tile entry by game time", 10, 150, 150, 4},
        {"fewer tiles than the last entry", 30, 10, 10, 7},
        {"equal to the last entry: no place", 40, 50, 50, -1},
        {"a full board: no place", 144, 1, 1, -1},
    };
    const QVHighScore table[8] = {entry("A", 0, 300, 280),  entry("B", 0, 300, 290), entry("C", 0, 400, 350),
                                  entry("D", 0, 500, 500),  entry("E", 10, 200, 200), entry("F", 20, 100, 100),
                                  entry("G", 20, 100, 150), entry("H", 40, 50, 50)};
    std::vector<RegistryRecord> stored;
    for (int place = 0; place < 8; ++place) {
        const std::vector<RegistryRecord> more = highScoreRecords(3, place, table[place]);
        stored.insert(stored.end(), more.begin(), more.end());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        writeRegistry(s.session(), stored);
        const std::string before = readFileBytes(s.session().registryPath());
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.m_options.layout = 3;
        HUtil::s_strcpy(g.m_options.lastHighScoreName, "Nadia", sizeof(g.m_options.lastHighScoreName));
        finishGame(g, c.tiles, c.gameTime, c.realTime);
        g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };

        int nameDialogs = -1;
        int bestTimesLayout = -1;
        s.script().batch({commandAt(2000)});
        s.script().batch({enterAt(2100)}, [&] {
            nameDialogs = openDialog<QVEnterNameDialog>() ? openDialogCount() : 0;
        });
        s.script().batch({enterAt(2200)}, [&] {
            if (QVBestTimesDialog* d = openDialog<QVBestTimesDialog>())
                bestTimesLayout = d->getShownLayout();
        });
        s.session().run();

        EXPECT_EQ(g.getLastHighScorePlace(), c.place);
        EXPECT_EQ(g.getLastHighScoreLayout(), c.place < 0 ? -1 : 3);
        if (c.place < 0) {
            EXPECT_EQ(nameDialogs, 0);
            EXPECT_EQ(bestTimesLayout, -1);
            for (int place = 0; place < 8; ++place)
                EXPECT_STREQ(g.m_aHighScores[3][place].name, table[place].name);
            EXPECT_EQ(readFileBytes(s.session().registryPath()), before);
            continue;
        }
        EXPECT_EQ(nameDialogs, 1);
        EXPECT_EQ(bestTimesLayout, 3);
        const QVHighScore& made = g.m_aHighScores[3][c.place];
        EXPECT_STREQ(made.name, "Nadia");
        EXPECT_EQ(made.tag, 768u);
        EXPECT_EQ(made.remainingTiles, static_cast<uint32_t>(c.tiles));
        EXPECT_EQ(made.gameTime, static_cast<uint32_t>(c.gameTime));
        EXPECT_EQ(made.realTime, static_cast<uint32_t>(c.realTime));
        // The entries from the place on moved down one; the last dropped.
        const std::string registry = readFileBytes(s.session().registryPath());
        for (int place = 0; place < 8; ++place) {
            const char* want = place < c.place ? table[place].name
                                               : (place == c.place ? "Nadia" : table[place - 1].name);
            EXPECT_STREQ(g.m_aHighScores[3][place].name, want) << place;
            EXPECT_EQ(storedName(registry, 3, place), want) << place;
        }
        std::string value;
        ASSERT_TRUE(registryValue(registry, "HStl:3x" + std::to_string(c.place), &value));
        EXPECT_EQ(value, u32Bytes(static_cast<uint32_t>(c.tiles)));
    }
}

// A game that ended with no more moves and 20 tiles left enters a default
// table at the top.
TEST(QinvarBestTimes, TwentyTilesLeftTopsADefaultTable)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    finishGame(g, 20, 700, 640);
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };
    s.script().batch({commandAt(2000)});
    s.script().batch({moveTo(2100, 5, 5)}, [&] {
        QVEnterNameDialog* d = openDialog<QVEnterNameDialog>();
        ASSERT_NE(d, nullptr);
        EXPECT_STREQ(d->getScoreLine()->getText(), "11:40");
        EXPECT_TRUE(s.session().savePng(screenshotPath("entername.png")));
    });
    s.script().batch(clickIn(2200, kNameOk));
    s.script().batch({moveTo(2300, 5, 5)}, [&] {
        QVBestTimesDialog* d = openDialog<QVBestTimesDialog>();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(row(d, 0)[1], "11:40");
        EXPECT_EQ(row(d, 0)[2], "10:40");
        EXPECT_EQ(row(d, 0)[3], "20");
        EXPECT_EQ(row(d, 1)[0], "Vot");
        EXPECT_EQ(d->getNameLine(0)->getTextLineEffects(), MVDialogItemTextLine::kEffectBlink);
        EXPECT_EQ(d->getNameLine(1)->getTextLineEffects(), 0u);
        EXPECT_TRUE(s.session().savePng(screenshotPath("besttimes_new_entry.png")));
    });
    s.script().batch(clickIn(2400, kBestOk));
    s.session().run();
    EXPECT_EQ(g.getLastHighScorePlace(), 0);
    EXPECT_EQ(g.getLastHighScoreLayout(), 0);
    EXPECT_EQ(g.m_aHighScores[0][7].remainingTiles, 144u);
    EXPECT_STREQ(g.m_aHighScores[0][7].name, "Pell");
}

// The name has at most 12 printable ASCII characters, whether typed or
// offered; the name entered is saved with the options at once.
TEST(QinvarBestTimes, TheNameEntryTakesTwelvePrintableCharacters)
{
    const passwd* pw = ::getpwuid(::getuid());
    std::string login = pw && pw->pw_name ? pw->pw_name : "";
    if (login.size() > 24)
        login.resize(24);
    std::string loginShown;
    for (char c : login) {
        if (c >= 32 && c <= 126)
            loginShown.push_back(c);
    }
    if (loginShown.size() > 12)
        loginShown.resize(12);

    struct Case {
        const char* what;
        std::string lastName;
        std::vector<char> typed; // 8 is backspace
        std::string entered;
    };
    const std::vector<Case> cases = {
        {"the last name", "Ilse", {}, "Ilse"},
        {"a long last name is cut to 12", "Bartholomew-Longname", {}, "Bartholomew-"},
        {"no last name: the login name", "", {}, loginShown},
        {"13 typed characters keep 12",
         "X",
         {8, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M'},
         "ABCDEFGHIJKL"},
        {"characters outside 32 to 126 are refused",
         "X",
         {8, 'A', static_cast<char>(200), 127, 7, static_cast<char>(0xFF), ' ', '~', 'B'},
         "A ~B"},
        {"an offered name keeps only its printable characters", "\x01Zo\xFF" "e", {}, "Zoe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        HUtil::s_strcpy(g.m_options.lastHighScoreName, c.lastName.c_str(), sizeof(g.m_options.lastHighScoreName));
        finishGame(g, 0, 100, 90);
        g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };
        s.script().batch({commandAt(2000)});
        std::vector<HEvent> keys;
        for (char k : c.typed)
            keys.push_back(typedAt(2100, k));
        s.script().batch(keys);
        s.script().batch({moveTo(2200, 5, 5)}, [&] {
            QVEnterNameDialog* d = openDialog<QVEnterNameDialog>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(std::string(d->getEditLine()->getText()), c.entered);
        });
        s.script().batch({enterAt(2300)});
        // The best times are up: the options already hold the name.
        s.script().batch({moveTo(2400, 5, 5)}, [&] {
            ASSERT_NE(openDialog<QVBestTimesDialog>(), nullptr);
            std::string value;
            ASSERT_TRUE(registryValue(readFileBytes(s.session().registryPath()), "LastHighScoreName", &value));
            EXPECT_EQ(std::string(value.c_str()), c.entered);
        });
        s.script().batch({enterAt(2500)});
        s.session().run();
        EXPECT_EQ(std::string(g.m_aHighScores[0][0].name), c.entered);
        EXPECT_EQ(std::string(g.m_options.lastHighScoreName), c.entered);
    }
}

// The arrows step through the 18 layouts, wrapping both ways; the entry
// made last blinks only on its own layout.
TEST(QinvarBestTimes, TheArrowsWrapAndTheNewEntryBlinksOnItsOwnLayout)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.m_aHighScores[17][2] = entry("Last", 8, 400, 380);
    g.m_aHighScores[0][0] = entry("First", 0, 100, 90);
    g.m_iLastHighScoreLayout = 17;
    g.m_iLastHighScorePlace = 2;
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.doBestTimesDialog(17); };

    auto expectShown = [&](int layout, const char* firstName) {
        QVBestTimesDialog* d = openDialog<QVBestTimesDialog>();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->getShownLayout(), layout);
        EXPECT_EQ(row(d, 0)[0], firstName);
        for (int place = 0; place < 8; ++place) {
            const uint32_t want = (layout == 17 && place == 2) ? MVDialogItemTextLine::kEffectBlink : 0;
            EXPECT_EQ(d->getNameLine(place)->getTextLineEffects(), want) << place;
            EXPECT_EQ(d->getGameTimeLine(place)->getTextLineEffects(), want) << place;
            EXPECT_EQ(d->getRealTimeLine(place)->getTextLineEffects(), want) << place;
            EXPECT_EQ(d->getTilesLine(place)->getTextLineEffects(), want) << place;
        }
    };
    s.script().batch({commandAt(2000)});
    s.script().batch({moveTo(2100, 5, 5)}, [&] {
        expectShown(17, "Vot");
        EXPECT_EQ(row(openDialog<QVBestTimesDialog>(), 2), (std::vector<std::string>{"Last", "06:40", "06:20", "8"}));
        EXPECT_TRUE(s.session().savePng(screenshotPath("besttimes_layout18.png")));
    });
    s.script().batch(clickIn(2200, kBestNext));
    s.script().batch({moveTo(2300, 5, 5)}, [&] {
        expectShown(0, "First");
        EXPECT_TRUE(s.session().savePng(screenshotPath("besttimes_layout1.png")));
    });
    s.script().batch(clickIn(2400, kBestPrevious));
    s.script().batch({moveTo(2500, 5, 5)}, [&] { expectShown(17, "Vot"); });
    s.script().batch(clickIn(2600, kBestPrevious));
    s.script().batch({moveTo(2700, 5, 5)}, [&] { expectShown(16, "Vot"); });
    s.script().batch(clickIn(2800, kBestNext));
    s.script().batch(clickIn(2900, kBestNext));
    s.script().batch({moveTo(3000, 5, 5)}, [&] { expectShown(0, "First"); });
    s.script().batch(clickIn(3100, kBestPrevious));
    // The layout title closes the dialog.
    s.script().batch(clickIn(3200, kBestTitle));
    s.script().batch({moveTo(3300, 5, 5)}, [&] { EXPECT_EQ(openDialogCount(), 0); });
    s.session().run();
    // Browsing pauses the clock and changes nothing.
    EXPECT_EQ(g.m_getPauseCount(), 0);
    EXPECT_EQ(g.m_getPauseTime().getTime64(), 1200u);
    EXPECT_FALSE(fileExists(s.session().registryPath()));
}

// Clear asks first; yes clears the shown layout to "nobody" and stores it,
// so the next start shows it too; no changes nothing.
TEST(QinvarBestTimes, ClearPersistsAfterItsConfirmation)
{
    std::string registry;
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.m_aHighScores[2][0] = entry("Keep", 0, 100, 90);
        g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.doBestTimesDialog(2); };
        s.script().batch({commandAt(2000)});
        s.script().batch(clickIn(2100, kBestClear));
        s.script().batch({moveTo(2200, 5, 5)}, [&] {
            ASSERT_EQ(openDialogCount(), 2);
            ASSERT_NE(openDialog<QVAreYouSureDialog>(), nullptr);
            EXPECT_TRUE(s.session().savePng(screenshotPath("besttimes_clear_areyousure.png")));
        });
        s.script().batch(clickIn(2300, yes ? kYes : kNo));
        s.script().batch({moveTo(2400, 5, 5)}, [&] {
            ASSERT_EQ(openDialogCount(), 1);
            QVBestTimesDialog* d = openDialog<QVBestTimesDialog>();
            for (int place = 0; place < 8; ++place) {
                const std::string want = yes ? "nobody" : (place == 0 ? "Keep" : kDefaultNames[place]);
                EXPECT_EQ(row(d, place)[0], want) << place;
            }
            if (yes) {
                EXPECT_EQ(row(d, 0), (std::vector<std::string>{"nobody", "99:59", "99:59", "144"}));
            }
        });
        s.script().batch(clickIn(2500, kBestOk));
        s.session().run();
        registry = readFileBytes(s.session().registryPath());
        if (!yes) {
            EXPECT_TRUE(registry.empty());
            continue;
        }
        for (int place = 0; place < 8; ++place) {
            EXPECT_STREQ(g.m_aHighScores[2][place].name, "nobody");
            EXPECT_EQ(storedName(registry, 2, place), "nobody");
        }
        EXPECT_EQ(storedName(registry, 0, 0), "<none>") << "Clear writes its own layout only";
    }

    // The next start.
    ProbeSession again;
    writeRegistry(again.session(), registryRecords(registry));
    ASSERT_TRUE(again.session().start());
    for (int place = 0; place < 8; ++place) {
        EXPECT_STREQ(again.probe().m_aHighScores[2][place].name, "nobody");
        EXPECT_STREQ(again.probe().m_aHighScores[0][place].name, kDefaultNames[place]);
    }
}

// Clear forgets the newest-entry marker of its layout: the cleared rows
// stop blinking, now and when the dialog is opened again. A marker on
// another layout is kept.
TEST(QinvarBestTimes, ClearForgetsTheNewestEntryOfItsLayout)
{
    for (int32_t markedLayout : {2, 5}) {
        SCOPED_TRACE("the newest entry on layout " + std::to_string(markedLayout + 1));
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.m_aHighScores[markedLayout][0] = entry("New", 0, 100, 90);
        g.m_iLastHighScoreLayout = markedLayout;
        g.m_iLastHighScorePlace = 0;
        g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.doBestTimesDialog(2); };
        const auto blinking = [] {
            int lines = 0;
            if (QVBestTimesDialog* d = openDialog<QVBestTimesDialog>()) {
                for (int place = 0; place < 8; ++place)
                    lines += d->getNameLine(place)->getTextLineEffects() != 0 ? 1 : 0;
            }
            return lines;
        };
        s.script().batch({commandAt(2000)});
        s.script().batch({moveTo(2050, 5, 5)}, [&] { EXPECT_EQ(blinking(), markedLayout == 2 ? 1 : 0); });
        s.script().batch(clickIn(2100, kBestClear));
        s.script().batch(clickIn(2300, kYes));
        s.script().batch({moveTo(2400, 5, 5)}, [&] {
            ASSERT_EQ(openDialogCount(), 1);
            EXPECT_EQ(blinking(), 0) << "a cleared row blinks";
        });
        s.script().batch(clickIn(2500, kBestOk));
        s.script().batch({commandAt(2600)});
        s.script().batch({moveTo(2700, 5, 5)}, [&] { EXPECT_EQ(blinking(), 0) << "opened again"; });
        s.script().batch(clickIn(2800, kBestOk));
        s.session().run();
        EXPECT_EQ(g.getLastHighScoreLayout(), markedLayout == 2 ? -1 : markedLayout);
        EXPECT_EQ(g.getLastHighScorePlace(), markedLayout == 2 ? -1 : 0);
    }
}

// The result of a game that ended is ranked once, by whatever leaves its
// end screen first: the exit button (the name entry, then the quit, with no
// best times), Continue (the name entry and the best times), a termination
// signal (no dialog: the last name entered, the options left as they are).
// Whatever comes after ranks nothing again. A game in play ranks nothing.
TEST(QinvarBestTimes, AFinishedGameIsRankedOnceByWhateverLeavesItsEndScreen)
{
    enum Leaving { EXIT, CONTINUE, TERMINATION, TERMINATION_IN_PLAY };
    const struct {
        const char* what;
        Leaving leaving;
        int dialogs;        // the dialogs that came up, one after another
        int32_t stateAfter; // once the result was ranked
        bool stored;
    } cases[] = {
        {"the exit button", EXIT, 1, GS_QUITTING, true},
        {"continue", CONTINUE, 2, GS_WON, true},
        {"a termination signal", TERMINATION, 0, GS_WON, true},
        {"a termination signal in play", TERMINATION_IN_PLAY, 0, GS_PLAYING, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        HUtil::s_strcpy(g.m_options.lastHighScoreName, "Nadia", sizeof(g.m_options.lastHighScoreName));
        finishGame(g, 0, 100, 90);
        g.m_setGameState(c.leaving == TERMINATION_IN_PLAY ? GS_PLAYING : GS_WON);
        int dialogs = 0;
        int32_t state = -1;
        g.onCommand = [&](QinvarDialogProbe& p, uint32_t) {
            if (c.leaving == EXIT)
                p.quit();
            else if (c.leaving == CONTINUE)
                p.m_rankFinishedGame(Qinvar::HE_ASK_AND_SHOW);
            else
                p.m_endByTermination();
            state = p.getState();
            // Anything after ranks nothing more.
            p.m_endByTermination();
            p.m_rankFinishedGame(Qinvar::HE_ASK_AND_SHOW);
            if (c.leaving == CONTINUE)
                p.restartGame(false);
        };
        s.script().batch({commandAt(2000)});
        for (int i = 0; i < 3; ++i) {
            s.script().batch({moveTo(2100 + 200 * static_cast<uint64_t>(i), 5, 5)},
                             [&] { dialogs += openDialogCount() > 0 ? 1 : 0; });
            s.script().batch({enterAt(2200 + 200 * static_cast<uint64_t>(i))});
        }
        s.session().run();
        EXPECT_EQ(dialogs, c.dialogs);
        EXPECT_EQ(state, c.stateAfter);
        const std::string registry = readFileBytes(s.session().registryPath());
        if (!c.stored) {
            EXPECT_TRUE(registry.empty());
            continue;
        }
        const std::vector<std::string> names = storedNames(registry, 0);
        EXPECT_EQ(std::count(names.begin(), names.end(), "Nadia"), 1) << testing::PrintToString(names);
        EXPECT_EQ(names[0], "Nadia");
        std::string last;
        EXPECT_EQ(registryValue(registry, "LastHighScoreName", &last), c.leaving != TERMINATION)
            << "the options are saved only after a name entry";
    }
}

// A quit request in the name entry, the best times or the Clear
// confirmation quits the game, after keeping what was decided.
TEST(QinvarBestTimes, AQuitRequestKeepsWhatWasDecidedAndQuits)
{
    // In the name entry: the entry is kept under the name typed so far.
    {
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        HUtil::s_strcpy(g.m_options.lastHighScoreName, "Q", sizeof(g.m_options.lastHighScoreName));
        finishGame(g, 0, 100, 90);
        bool bestTimesShown = false;
        g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };
        s.script().batch({commandAt(2000)});
        s.script().batch({typedAt(2100, 'u'), typedAt(2100, 'i'), typedAt(2100, 'n')});
        s.script().batch({InputEvents::s_quit(2200)});
        s.script().batch({moveTo(2300, 5, 5)}, [&] { bestTimesShown = openDialogCount() > 0; });
        s.session().run();
        EXPECT_FALSE(bestTimesShown);
        EXPECT_EQ(g.getState(), GS_QUITTING);
        EXPECT_STREQ(g.m_aHighScores[0][0].name, "Quin");
        const std::string registry = readFileBytes(s.session().registryPath());
        EXPECT_EQ(storedName(registry, 0, 0), "Quin");
        std::string value;
        ASSERT_TRUE(registryValue(registry, "LastHighScoreName", &value));
        EXPECT_EQ(std::string(value.c_str()), "Quin");
    }
    // In the best times after a new entry, and in the Clear confirmation:
    // nothing is cleared, the entry stays stored, both dialogs close.
    for (bool inConfirmation : {false, true}) {
        SCOPED_TRACE(inConfirmation ? "in the confirmation" : "in the best times");
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        HUtil::s_strcpy(g.m_options.lastHighScoreName, "Rhea", sizeof(g.m_options.lastHighScoreName));
        finishGame(g, 4, 100, 90);
        int dialogsAfter = -1;
        g.onCommand = [&](QinvarDialogProbe& p, uint32_t) {
            p.checkForHighScore();
            dialogsAfter = openDialogCount();
        };
        s.script().batch({commandAt(2000)});
        s.script().batch({enterAt(2100)});
        if (inConfirmation)
            s.script().batch(clickIn(2200, kBestClear));
        s.script().batch({InputEvents::s_quit(2300)});
        s.session().run();
        EXPECT_EQ(dialogsAfter, 0);
        EXPECT_EQ(g.getState(), GS_QUITTING);
        EXPECT_EQ(g.m_getPauseCount(), 0);
        EXPECT_STREQ(g.m_aHighScores[0][0].name, "Rhea");
        EXPECT_EQ(storedName(readFileBytes(s.session().registryPath()), 0, 0), "Rhea");
    }
}

// Entries are read whole or not at all: a missing value, a wrong tag or a
// value no game can have gives the place's default entry; names are
// terminated within their 32 bytes.
TEST(QinvarBestTimes, DamagedRegistryEntriesLoadAsTheDefaults)
{
    auto full = [](int place, const std::string& name, uint32_t tag, uint32_t gameTime, uint32_t realTime,
                   uint32_t tiles) {
        const std::string at = "0x" + std::to_string(place);
        return std::vector<RegistryRecord>{{"HSn:" + at, name},
                                           {"HSv:" + at, u32Bytes(tag)},
                                           {"HSgt:" + at, u32Bytes(gameTime)},
                                           {"HSrt:" + at, u32Bytes(realTime)},
                                           {"HStl:" + at, u32Bytes(tiles)}};
    };
    std::vector<RegistryRecord> records;
    auto add = [&](const std::vector<RegistryRecord>& more) { records.insert(records.end(), more.begin(), more.end()); };
    std::string padded("Good");
    padded.resize(32, '\0');
    add(full(0, padded, 768, 100, 90, 0));                  // a good entry
    add(full(1, std::string(40, 'N'), 768, 110, 95, 0));    // a name without a terminator
    add(full(2, "Tag", 769, 120, 100, 0));                  // a wrong tag
    add(full(3, "Neg", 768, 0x80000000u, 100, 0));          // a time that reads as negative
    add(full(4, "Many", 768, 130, 100, 145));               // more tiles than a board has
    add(full(5, "Al", 768, 140, 100, 2));                   // a short name value
    std::vector<RegistryRecord> missing = full(6, "Gap", 768, 150, 100, 2);
    missing.erase(missing.begin() + 3);                     // no real time
    add(missing);
    add(full(7, "Short", 768, 160, 100, 2));
    records.back().value = u32Bytes(2).substr(0, 3);        // a 3-byte tile count

    ProbeSession s;
    writeRegistry(s.session(), records);
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    const QVHighScore* t = g.m_aHighScores[0];
    EXPECT_STREQ(t[0].name, "Good");
    EXPECT_EQ(t[0].gameTime, 100u);
    EXPECT_EQ(std::string(t[1].name), std::string(31, 'N'));
    EXPECT_EQ(t[1].gameTime, 110u);
    EXPECT_STREQ(t[2].name, "Ondi");
    EXPECT_STREQ(t[3].name, "Brum");
    EXPECT_STREQ(t[4].name, "Tamsi");
    EXPECT_STREQ(t[5].name, "Al");
    EXPECT_EQ(t[5].remainingTiles, 2u);
    EXPECT_STREQ(t[6].name, "Pell");
    EXPECT_STREQ(t[7].name, "Snorkel");
    for (int place : {2, 3, 4, 6, 7}) {
        EXPECT_EQ(t[place].gameTime, 5999u) << place;
        EXPECT_EQ(t[place].remainingTiles, 144u) << place;
        EXPECT_EQ(t[place].tag, 768u) << place;
    }

    // With useDefaults the registry is not read at all.
    g.m_loadHighScores(true);
    for (int place = 0; place < 8; ++place)
        EXPECT_STREQ(g.m_aHighScores[0][place].name, kDefaultNames[place]);
}

// Storing re-reads the layout: an entry another window stored since this
// one started is ranked with the new one, and no other layout is written,
// whatever this window's table holds.
TEST(QinvarBestTimes, AStoreRanksIntoWhatAnotherWindowStoredAndWritesOnlyItsLayout)
{
    ProbeSession s;
    const std::vector<QVHighScore> first = storedTable("A", 0);
    const std::vector<RegistryRecord> layout5 = tableRecords(5, storedTable("F", 2));
    writeRegistry(s.session(), joined(tableRecords(0, first), layout5));
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    EXPECT_STREQ(g.m_aHighScores[0][1].name, "A1");

    // The other window: "Bea" at place 1 of layout 0.
    std::vector<QVHighScore> theirs = first;
    theirs.insert(theirs.begin() + 1, entry("Bea", 0, 150, 140));
    theirs.pop_back();
    writeRegistry(s.session(), joined(tableRecords(0, theirs), layout5));
    const std::string before = readFileBytes(s.session().registryPath());
    // This window's idea of layout 5 is stale; it must not reach the file.
    g.m_aHighScores[5][0] = entry("Stale", 0, 1, 1);

    HUtil::s_strcpy(g.m_options.lastHighScoreName, "Amy", sizeof(g.m_options.lastHighScoreName));
    finishGame(g, 0, 250, 240);
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };
    s.script().batch({commandAt(2000)});
    s.script().batch({enterAt(2100)});
    s.script().batch({enterAt(2200)});
    s.session().run();

    const std::string after = readFileBytes(s.session().registryPath());
    EXPECT_EQ(storedNames(after, 0), (std::vector<std::string>{"A0", "Bea", "A1", "Amy", "A2", "A3", "A4", "A5"}));
    EXPECT_EQ(g.getLastHighScorePlace(), 3) << "the new entry's place among both windows' entries";
    EXPECT_STREQ(g.m_aHighScores[0][1].name, "Bea");
    // Layout 5 as the file held it; the options were read, so they are saved.
    std::map<std::string, std::string> keys;
    for (const RegistryRecord& r : registryRecords(after))
        keys[r.key] = r.value;
    for (const RegistryRecord& r : layout5)
        EXPECT_EQ(keys[r.key], r.value) << r.key;
    EXPECT_EQ(keys.count("HSn:1x0"), 0u) << "a layout not played was written";
    EXPECT_EQ(storedName(before, 0, 1), "Bea");
}

// A registry that could not be read at start-up leaves a table in memory
// that is not the player's: it is never written. The store re-reads the
// layout once the file can be read, every other entry survives, and of the
// options only the name entered is written.
TEST(QinvarBestTimes, ATableThatNeverLoadedIsNeverWritten)
{
    ProbeSession s;
    makeRegistryUnreadable(s.session());
    testing::internal::CaptureStdout();
    ASSERT_TRUE(s.session().start());
    const std::string shown = testing::internal::GetCapturedStdout();
    EXPECT_NE(shown.find("Qinvar MahJong could not load high scores."), std::string::npos) << shown;
    QinvarDialogProbe& g = s.probe();
    EXPECT_STREQ(g.m_aHighScores[0][0].name, "nobody");

    const std::vector<RegistryRecord> options = {{"LastHighScoreName", std::string("Ada") + std::string(22, '\0')},
                                                 {"Tileset", u32Bytes(3)},
                                                 {"Autohint", u32Bytes(0)},
                                                 {"Sound Volume", floatBytes(0.5f)}};
    replaceUnreadableRegistry(s.session(), joined(joined(options, tableRecords(0, storedTable("A", 10))),
                                                  tableRecords(1, storedTable("B", 0))));
    const std::string before = readFileBytes(s.session().registryPath());
    HUtil::s_strcpy(g.m_options.lastHighScoreName, "Amy", sizeof(g.m_options.lastHighScoreName));
    finishGame(g, 4, 900, 880);
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };
    s.script().batch({commandAt(2000)});
    s.script().batch({enterAt(2100)});
    s.script().batch({enterAt(2200)});
    testing::internal::CaptureStdout();
    s.session().run();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the registry was readable again";

    const std::string after = readFileBytes(s.session().registryPath());
    EXPECT_EQ(storedNames(after, 0), (std::vector<std::string>{"Amy", "A0", "A1", "A2", "A3", "A4", "A5", "A6"}));
    expectOnlyChanged(before, after, {"HSn:0x", "HSv:0x", "HSgt:0x", "HSrt:0x", "HStl:0x", "LastHighScoreName"});
    std::string name;
    ASSERT_TRUE(registryValue(after, "LastHighScoreName", &name));
    EXPECT_EQ(std::string(name.c_str()), "Amy");
}

// An entry whose store failed stays in the table, unsaved, and is stored
// with the next entry of its layout, both ranked into what the file holds.
TEST(QinvarBestTimes, AnEntryThatCouldNotBeStoredGoesWithTheNextOne)
{
    ProbeSession s;
    makeRegistryUnreadable(s.session());
    testing::internal::CaptureStdout();
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };
    HUtil::s_strcpy(g.m_options.lastHighScoreName, "Amy", sizeof(g.m_options.lastHighScoreName));
    finishGame(g, 0, 250, 240);
    s.script().batch({commandAt(2000)});
    s.script().batch({enterAt(2100)});
    s.script().batch({enterAt(2200)});
    // Readable again, with another run's table; the next game is worse.
    s.script().batch({commandAt(3000)}, [&] {
        replaceUnreadableRegistry(s.session(), tableRecords(0, storedTable("A", 0)));
        HUtil::s_strcpy(g.m_options.lastHighScoreName, "Bob", sizeof(g.m_options.lastHighScoreName));
        finishGame(g, 0, 450, 440);
    });
    s.script().batch({enterAt(3100)});
    s.script().batch({enterAt(3200)});
    s.session().run();
    const std::string shown = testing::internal::GetCapturedStdout();
    EXPECT_NE(shown.find("Qinvar MahJong could not open registry."), std::string::npos) << shown;

    const std::string after = readFileBytes(s.session().registryPath());
    EXPECT_EQ(storedNames(after, 0), (std::vector<std::string>{"A0", "A1", "Amy", "A2", "A3", "Bob", "A4", "A5"}));
    EXPECT_EQ(g.getLastHighScorePlace(), 5);
}

// An entry and a name whose save failed stay pending: they are written at
// the next use of the registry that succeeds, whatever it is (here an
// options save, as a board's start makes), before the partner link ends the
// process, or at the latest when the game ends; the entry ranked into what
// the file holds then.
TEST(QinvarBestTimes, WhatCouldNotBeSavedIsWrittenAtTheNextUseOrAtTheEnd)
{
    // Also the commands: 0 ranks the game.
    enum When { kNextUse = 1, kPartnerLink, kEnd };
    for (When when : {kNextUse, kPartnerLink, kEnd}) {
        SCOPED_TRACE(when == kNextUse ? "at the next use" : (when == kPartnerLink ? "at the link" : "at the end"));
        ProbeSession s;
        makeRegistryUnreadable(s.session());
        testing::internal::CaptureStdout();
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.onCommand = [](QinvarDialogProbe& p, uint32_t which) {
            if (which == 0)
                p.checkForHighScore();
            else if (which == kNextUse)
                p.m_saveOptions();
            else
                p.goToPartnerSite();
        };
        HUtil::s_strcpy(g.m_options.lastHighScoreName, "Amy", sizeof(g.m_options.lastHighScoreName));
        finishGame(g, 0, 250, 240);
        const std::vector<std::string> want = {"A0", "A1", "Amy", "A2", "A3", "A4", "A5", "A6"};
        auto expectStored = [&](const std::string& registry) {
            EXPECT_EQ(storedNames(registry, 0), want);
            std::string name;
            ASSERT_TRUE(registryValue(registry, "LastHighScoreName", &name));
            EXPECT_EQ(std::string(name.c_str()), "Amy");
        };
        s.script().batch({commandAt(2000)});
        s.script().batch({enterAt(2100)});
        s.script().batch({enterAt(2200)});
        s.script().batch({moveTo(2300, 5, 5)}, [&] {
            EXPECT_TRUE(g.hasPendingSaves());
            replaceUnreadableRegistry(s.session(), tableRecords(0, storedTable("A", 0)));
        });
        if (when != kEnd) {
            s.script().batch({commandAt(2400, when)});
            s.script().batch({moveTo(2500, 6, 6)}, [&] {
                EXPECT_FALSE(g.hasPendingSaves());
                expectStored(readFileBytes(s.session().registryPath()));
            });
        }
        s.session().run();
        const std::string shown = testing::internal::GetCapturedStdout();
        EXPECT_NE(shown.find("Qinvar MahJong could not open registry."), std::string::npos);
        EXPECT_EQ(shown.find("Failure"), std::string::npos) << shown;
        expectStored(readFileBytes(s.session().registryPath()));
        if (when == kPartnerLink) {
            EXPECT_EQ(g.partnerCalls, 1);
            expectStored(g.registryAtPartner);
        }
        EXPECT_FALSE(g.hasPendingSaves());
        EXPECT_EQ(g.getLastHighScorePlace(), 2) << "the entry's place among the file's";
    }
}

// A Clear whose save failed (the file cannot be read) is told, and the table
// stays cleared: shown again, and in the file once the registry is fine
// again, at the next ranking on its layout (the entry ranked into the
// cleared table, not into what the file still holds) or at the end.
TEST(QinvarBestTimes, AClearThatCouldNotBeStoredStaysCleared)
{
    for (bool ranked : {true, false}) {
        SCOPED_TRACE(ranked ? "a game ranked next" : "the game ends");
        ProbeSession s;
        const std::vector<RegistryRecord> stored = tableRecords(0, storedTable("A", 0));
        writeRegistry(s.session(), stored);
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        ASSERT_STREQ(g.m_aHighScores[0][0].name, "A0");
        std::remove(s.session().registryPath().c_str());
        makeRegistryUnreadable(s.session());
        g.onCommand = [](QinvarDialogProbe& p, uint32_t which) {
            if (which == 0)
                p.doBestTimesDialog(0);
            else
                p.checkForHighScore();
        };
        testing::internal::CaptureStdout();
        s.script().batch({commandAt(2000)});
        s.script().batch(clickIn(2100, kBestClear));
        s.script().batch(clickIn(2300, kYes));
        s.script().batch(clickIn(2500, kBestOk), [&] {
            replaceUnreadableRegistry(s.session(), stored);
            EXPECT_TRUE(g.hasPendingSaves());
        });
        // Shown again: still cleared.
        s.script().batch({commandAt(2600)});
        s.script().batch({moveTo(2700, 5, 5)}, [&] {
            QVBestTimesDialog* d = openDialog<QVBestTimesDialog>();
            ASSERT_NE(d, nullptr);
            for (int place = 0; place < 8; ++place)
                EXPECT_EQ(row(d, place)[0], "nobody") << place;
        });
        s.script().batch(clickIn(2800, kBestOk));
        if (ranked) {
            HUtil::s_strcpy(g.m_options.lastHighScoreName, "Amy", sizeof(g.m_options.lastHighScoreName));
            finishGame(g, 0, 5000, 4990);
            s.script().batch({commandAt(3000, 1)});
            s.script().batch({enterAt(3100)});
            s.script().batch({enterAt(3200)}, [&] {
                EXPECT_FALSE(g.hasPendingSaves());
                EXPECT_EQ(storedNames(readFileBytes(s.session().registryPath()), 0),
                          (std::vector<std::string>{"Amy", "nobody", "nobody", "nobody", "nobody", "nobody",
                                                    "nobody", "nobody"}));
            });
        }
        s.session().run();
        const std::string shown = testing::internal::GetCapturedStdout();
        EXPECT_NE(shown.find("Qinvar MahJong could not open registry."), std::string::npos) << shown;
        const std::vector<std::string> names = storedNames(readFileBytes(s.session().registryPath()), 0);
        EXPECT_EQ(names[0], ranked ? "Amy" : "nobody");
        for (size_t place = 1; place < names.size(); ++place)
            EXPECT_EQ(names[place], "nobody") << place;
        EXPECT_FALSE(g.hasPendingSaves());
    }
}

// A game whose time fell outside what a best time holds is not ranked: no
// name is asked and the file stays as it was.
TEST(QinvarBestTimes, AGameWithATimeOutOfRangeIsNotRanked)
{
    const struct {
        const char* what;
        int32_t gameSeconds, realSeconds;
        bool outOfRange;
    } cases[] = {
        {"held after a clock jump", INT32_MAX, INT32_MAX, true},
        {"a negative game time", -5, 10, false},
        {"a negative real time", 10, -5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        writeRegistry(s.session(), tableRecords(0, storedTable("A", 0)));
        const std::string before = readFileBytes(s.session().registryPath());
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        finishGame(g, 0, c.gameSeconds, c.realSeconds);
        g.m_gameStats.timeOutOfRange = c.outOfRange;
        int dialogs = -1;
        g.onCommand = [&](QinvarDialogProbe& p, uint32_t) { p.checkForHighScore(); };
        s.script().batch({commandAt(2000)});
        s.script().batch({moveTo(2100, 5, 5)}, [&] { dialogs = openDialogCount(); });
        s.session().run();
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(g.getLastHighScorePlace(), -1);
        EXPECT_STREQ(g.m_aHighScores[0][0].name, "A0");
        EXPECT_EQ(readFileBytes(s.session().registryPath()), before);
    }
}
