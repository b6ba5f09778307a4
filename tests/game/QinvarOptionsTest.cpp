// The player's options: the defaults of a first start, the registry round
// trip of every key, hostile registry values, the options dialog (the
// full-screen choice, the live sliders, the automatic-hint switch, the best
// times, the partner link, a quit request) and its pictures.
#include "engine/core/HUtil.h"
#include "game/QVBestTimesDialog.h"
#include "game/QVOptionsDialog.h"
#include "tests/game/GameScreen.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/InputEvents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

// Screen places of the options dialog's items.
const HScreenRect kOkButton = screen::optionsOkButton();
const HScreenRect kBestTimesButton = screen::optionsBestTimesButton();
const HScreenRect kVisitButton = screen::optionsVisitButton();
const HScreenRect kFullscreenButton = screen::fullscreenButton();
const HScreenRect kAutoHintButton = screen::autoHintButton();
// A slider's knob centre at value v, and the tracks' heights.
int32_t knobX(float v)
{
    return screen::sliderX(v);
}
constexpr int32_t kSoundY = screen::kSoundSliderY;
constexpr int32_t kMusicY = screen::kMusicSliderY;

void expectDefaults(const QVOptions& o)
{
    EXPECT_EQ(o.soundVolume, 1.0f);
    EXPECT_EQ(o.musicVolume, 0.25f);
    EXPECT_EQ(o.autoHint, 1);
    EXPECT_EQ(o.tileSet, 0);
    EXPECT_EQ(o.background, 0);
    EXPECT_EQ(o.layout, 0);
    EXPECT_EQ(o.fullscreen, 0);
    EXPECT_STREQ(o.lastHighScoreName, "");
}

std::string registryOf(ProbeSession& s)
{
    return readFileBytes(s.session().registryPath());
}

} // namespace

TEST(QinvarOptions, AFirstStartGivesTheDefaults)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    expectDefaults(s.probe().m_options);
    EXPECT_FLOAT_EQ(s.probe().getMusicVolume(), 0.25f);
    EXPECT_FLOAT_EQ(s.probe().getSoundVolume(), 1.0f);
}

TEST(QinvarOptions, EveryKeyIsWrittenInItsOrderAndFormatAndReadBack)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QVOptions& o = s.probe().m_options;
    // As the pickers, the dialog and the name entry set them.
    o.setSoundVolume(0.5f);
    o.setMusicVolume(0.75f);
    o.setAutoHint(0);
    o.setTileSet(3);
    o.setBackground(7);
    o.setLayout(11);
    o.setFullscreen(1);
    o.setLastHighScoreName("Mirela");
    s.probe().m_saveOptions();

    // New keys go to the head of the file: it lists them last written first.
    const std::vector<RegistryRecord> records = registryRecords(registryOf(s));
    const std::vector<std::string> keys = {"LastHighScoreName", "Fullscreen", "Layout",       "Background",
                                           "Tileset",           "Music Volume", "Sound Volume", "Autohint"};
    ASSERT_EQ(records.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(records[i].key, keys[i]) << i;
    EXPECT_EQ(records[0].value, std::string("Mirela") + std::string(19, '\0'));
    EXPECT_EQ(records[1].value, u32Bytes(1));
    EXPECT_EQ(records[2].value, u32Bytes(11));
    EXPECT_EQ(records[3].value, u32Bytes(7));
    EXPECT_EQ(records[4].value, u32Bytes(3));
    EXPECT_EQ(records[5].value, floatBytes(0.75f));
    EXPECT_EQ(records[6].value, floatBytes(0.5f));
    EXPECT_EQ(records[7].value, u32Bytes(0));

    o = QVOptions();
    EXPECT_TRUE(s.probe().m_loadOptions());
    EXPECT_EQ(o.soundVolume, 0.5f);
    EXPECT_EQ(o.musicVolume, 0.75f);
    EXPECT_EQ(o.autoHint, 0);
    EXPECT_EQ(o.tileSet, 3);
    EXPECT_EQ(o.background, 7);
    EXPECT_EQ(o.layout, 11);
    EXPECT_EQ(o.fullscreen, 1);
    EXPECT_STREQ(o.lastHighScoreName, "Mirela");
}

TEST(QinvarOptions, StoredIndicesOutsideTheirRangeWrapAtStartUp)
{
    ProbeSession s;
    writeRegistry(s.session(), {{"Layout", u32Bytes(25)}, {"Tileset", u32Bytes(0xFFFFFFFFu)},
                                {"Background", u32Bytes(0xFFFFFFFBu)}});
    ASSERT_TRUE(s.session().start());
    EXPECT_EQ(s.probe().m_options.layout, 0);
    EXPECT_EQ(s.probe().m_options.tileSet, 8);
    EXPECT_EQ(s.probe().m_options.background, 9);
}

TEST(QinvarOptions, HostileRegistryValuesAreSanitised)
{
    struct Case {
        const char* what;
        std::vector<RegistryRecord> records;
        float sound, music;
        int32_t autoHint, tileSet, background, layout, fullscreen;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<Case> cases = {
        {"nothing stored", {}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"automatic hints 0", {{"Autohint", u32Bytes(0)}}, 1.0f, 0.25f, 0, 0, 0, 0, 0},
        {"automatic hints 2", {{"Autohint", u32Bytes(2)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"automatic hints all bits", {{"Autohint", u32Bytes(0xFFFFFFFFu)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"automatic hints 0, 2 bytes", {{"Autohint", std::string(2, '\0')}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"automatic hints 0, 8 bytes", {{"Autohint", std::string(8, '\0')}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"full screen 1", {{"Fullscreen", u32Bytes(1)}}, 1.0f, 0.25f, 1, 0, 0, 0, 1},
        {"full screen 2", {{"Fullscreen", u32Bytes(2)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"full screen all bits", {{"Fullscreen", u32Bytes(0xFFFFFFFFu)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"full screen 1, 1 byte", {{"Fullscreen", std::string(1, '\1')}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"sound 0.5", {{"Sound Volume", floatBytes(0.5f)}}, 0.5f, 0.25f, 1, 0, 0, 0, 0},
        {"sound NaN", {{"Sound Volume", floatBytes(nan)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"sound -1", {{"Sound Volume", floatBytes(-1.0f)}}, 0.0f, 0.25f, 1, 0, 0, 0, 0},
        {"sound 7", {{"Sound Volume", floatBytes(7.0f)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"sound infinite", {{"Sound Volume", floatBytes(inf)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"sound 0.5, 3 bytes", {{"Sound Volume", floatBytes(0.5f).substr(0, 3)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"music 0.5", {{"Music Volume", floatBytes(0.5f)}}, 1.0f, 0.5f, 1, 0, 0, 0, 0},
        {"music NaN", {{"Music Volume", floatBytes(nan)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"music -1", {{"Music Volume", floatBytes(-1.0f)}}, 1.0f, 0.0f, 1, 0, 0, 0, 0},
        {"music 7", {{"Music Volume", floatBytes(7.0f)}}, 1.0f, 1.0f, 1, 0, 0, 0, 0},
        {"music 0.5, 2 bytes", {{"Music Volume", floatBytes(0.5f).substr(0, 2)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"layout 17", {{"Layout", u32Bytes(17)}}, 1.0f, 0.25f, 1, 0, 0, 17, 0},
        {"layout 25", {{"Layout", u32Bytes(25)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"layout 18", {{"Layout", u32Bytes(18)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"layout -1", {{"Layout", u32Bytes(0xFFFFFFFFu)}}, 1.0f, 0.25f, 1, 0, 0, 17, 0},
        {"layout 5, 2 bytes", {{"Layout", u32Bytes(5).substr(0, 2)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"tile set -1", {{"Tileset", u32Bytes(0xFFFFFFFFu)}}, 1.0f, 0.25f, 1, 8, 0, 0, 0},
        {"tile set most negative", {{"Tileset", u32Bytes(0x80000000u)}}, 1.0f, 0.25f, 1, 8, 0, 0, 0},
        {"tile set 9", {{"Tileset", u32Bytes(9)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"table top 10", {{"Background", u32Bytes(10)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
        {"table top -5", {{"Background", u32Bytes(0xFFFFFFFBu)}}, 1.0f, 0.25f, 1, 0, 9, 0, 0},
        {"table top largest", {{"Background", u32Bytes(0x7FFFFFFFu)}}, 1.0f, 0.25f, 1, 0, 0, 0, 0},
    };

    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QVOptions& o = s.probe().m_options;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeRegistry(s.session(), c.records);
        // As at start-up: the construction defaults, then the registry.
        o = QVOptions();
        EXPECT_TRUE(s.probe().m_loadOptions());
        EXPECT_EQ(o.soundVolume, c.sound);
        EXPECT_EQ(o.musicVolume, c.music);
        EXPECT_EQ(o.autoHint, c.autoHint);
        EXPECT_EQ(o.tileSet, c.tileSet);
        EXPECT_EQ(o.background, c.background);
        EXPECT_EQ(o.layout, c.layout);
        EXPECT_EQ(o.fullscreen, c.fullscreen);
    }

    // A last name longer than its field, without a terminator, arrives cut
    // and terminated.
    writeRegistry(s.session(), {{"LastHighScoreName", std::string(40, 'Q')}});
    o = QVOptions();
    s.probe().m_loadOptions();
    EXPECT_EQ(std::string(o.lastHighScoreName), std::string(24, 'Q'));
}

// Options the registry could not give at start-up are the defaults, not the
// player's choice: a later save writes only the options set in this run
// (and a name entered), whatever their values (a choice changed back to the
// default is still his); every other option keeps what the file holds,
// also what it gains from another window meanwhile.
TEST(QinvarOptions, OptionsThatNeverLoadedAreNotSavedAsChosen)
{
    ProbeSession s;
    makeRegistryUnreadable(s.session());
    testing::internal::CaptureStdout();
    ASSERT_TRUE(s.session().start());
    testing::internal::GetCapturedStdout();
    QinvarDialogProbe& g = s.probe();
    QVOptions& o = g.m_options;
    EXPECT_EQ(o.tileSet, 0);
    EXPECT_EQ(o.autoHint, 1);

    const std::vector<RegistryRecord> stored = chosenOptionRecords(7);
    replaceUnreadableRegistry(s.session(), stored);
    o.setTileSet(6);
    o.setSoundVolume(0.75f);
    HUtil::s_strcpy(o.lastHighScoreName, "Zed", sizeof(o.lastHighScoreName)); // offered, not entered
    g.m_saveOptions();
    std::vector<RegistryRecord> want = stored;
    want[3].value = u32Bytes(6);
    want[5].value = floatBytes(0.75f);
    EXPECT_EQ(readFileBytes(s.session().registryPath()), registryBytes(want));

    // Another window changes the table top and turns automatic hints on;
    // this one turns them off and saves again.
    want[2].value = u32Bytes(9);
    want[4].value = u32Bytes(1);
    writeRegistry(s.session(), want);
    o.setAutoHint(0);
    g.m_saveOptions();
    want[4].value = u32Bytes(0);
    EXPECT_EQ(readFileBytes(s.session().registryPath()), registryBytes(want))
        << "automatic hints were turned off in this run";

    // Back to what start-up had: the tile set by the picker (6 and 3 more
    // wrap to 0), the sound volume by the slider's way.
    g.adjustTileSetPreview(3);
    o.setSoundVolume(1.0f);
    g.m_saveOptions();
    want[3].value = u32Bytes(0);
    want[5].value = floatBytes(1.0f);
    EXPECT_EQ(readFileBytes(s.session().registryPath()), registryBytes(want)) << "the choices changed back";
}

// Options read at start-up are not written back as this run's: a save
// writes what this window set since its last save and leaves another
// window's later choices in the file, also those it made after this
// window's earlier save of the same option.
TEST(QinvarOptions, ASaveLeavesWhatAnotherWindowChoseSinceTheStart)
{
    ProbeSession s;
    const std::vector<RegistryRecord> stored = chosenOptionRecords(7);
    writeRegistry(s.session(), stored);
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    EXPECT_EQ(g.m_options.autoHint, 0);

    // The other window turns automatic hints on and picks table top 9.
    std::vector<RegistryRecord> want = stored;
    want[2].value = u32Bytes(9);
    want[4].value = u32Bytes(1);
    writeRegistry(s.session(), want);
    // This one picks the next layout and saves.
    g.adjustLayoutPreview(1);
    g.m_saveOptions();
    want[1].value = u32Bytes(8);
    EXPECT_EQ(readFileBytes(s.session().registryPath()), registryBytes(want));

    // The other window picks layout 2; this one saves again without
    // touching the layout, then picks the next table top (its own 4 was
    // the last it saw): its layout 8, saved already, is not written again.
    want[1].value = u32Bytes(2);
    writeRegistry(s.session(), want);
    g.m_saveOptions();
    EXPECT_EQ(readFileBytes(s.session().registryPath()), registryBytes(want)) << "a save with nothing set";
    g.adjustBackgroundPreview(1);
    g.m_saveOptions();
    want[2].value = u32Bytes(5);
    EXPECT_EQ(readFileBytes(s.session().registryPath()), registryBytes(want)) << "the earlier layout came back";
}

// The full-screen switch of the dialog changes only the record; a changed
// choice queues one switch when the dialog closes, which the main loop then
// carries out (saving the new choice); a choice toggled back queues nothing.
// Alt+Enter, as the art beside the switch says, flips it too while the
// dialog is up: the dialog takes the request, the game does not see it.
TEST(QinvarOptionsDialog, AChangedFullScreenChoiceQueuesExactlyOneSwitch)
{
    const struct {
        const char* what;
        std::vector<bool> byKey; // each flip: Alt+Enter (true) or a click on the switch
    } cases[] = {
        {"one click", {false}},
        {"two clicks", {false, false}},
        {"three clicks", {false, false, false}},
        {"Alt+Enter", {true}},
        {"Alt+Enter twice", {true, true}},
        {"a click, then Alt+Enter", {false, true}},
        {"Alt+Enter, a click, Alt+Enter", {true, false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.quickToggle = 1; // the display device's own switch works
        g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.m_doOptionsDialog(); };
        int32_t shownWhileOpen = -1;
        s.script().batch({commandAt(2000)});
        for (size_t i = 0; i < c.byKey.size(); ++i) {
            const uint64_t t = 2100 + 100 * static_cast<uint64_t>(i);
            if (c.byKey[i])
                s.script().batch({moveTo(t, 10, 10), InputEvents::s_toggleFullscreen(t + 10)});
            else
                s.script().batch(clickIn(t, kFullscreenButton));
        }
        s.script().batch({moveTo(2800, 10, 10)}, [&] {
            // Only the record changed while the dialog is up.
            shownWhileOpen = g.m_options.fullscreen;
            std::string value;
            EXPECT_FALSE(registryValue(registryOf(s), "Fullscreen", &value));
            EXPECT_EQ(g.toggleEvents, 0);
        });
        s.script().batch(clickIn(2900, kOkButton));
        s.script().batch({InputEvents::s_timestamp(4000)});
        s.session().run();

        const int32_t chosen = static_cast<int32_t>(c.byKey.size() % 2);
        EXPECT_EQ(shownWhileOpen, chosen);
        EXPECT_EQ(g.toggleEvents, chosen);
        EXPECT_EQ(g.m_options.fullscreen, chosen);
        std::string value;
        ASSERT_TRUE(registryValue(registryOf(s), "Fullscreen", &value));
        EXPECT_EQ(value, u32Bytes(static_cast<uint32_t>(chosen)));
        EXPECT_EQ(g.m_getPauseCount(), 0);
    }
}

// The music slider sets the mixer's music volume while the knob moves; the
// sound slider the sound volume; both are saved when the dialog closes.
TEST(QinvarOptionsDialog, TheSlidersChangeTheVolumesWhileDragged)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) {
        p.m_playSoundtrack(true);
        p.m_doOptionsDialog();
    };
    int fullPeak = 0;
    s.script().batch({commandAt(2000)});
    s.script().batch({moveTo(2100, knobX(0.25f), kMusicY), pressAt(2100, knobX(0.25f), kMusicY)});
    s.script().batch({moveTo(2200, knobX(1.0f) + 30, kMusicY)});
    s.script().batch({moveTo(2300, knobX(0.0f) - 30, kMusicY)}, [&] {
        EXPECT_EQ(g.m_options.musicVolume, 1.0f);
        EXPECT_EQ(g.getSoundtrackVolume(), 1.0f);
        fullPeak = soundtrackPeak(g);
        EXPECT_GT(fullPeak, 1000);
    });
    s.script().batch({moveTo(2400, knobX(0.5f), kMusicY)}, [&] {
        EXPECT_EQ(g.m_options.musicVolume, 0.0f);
        EXPECT_EQ(soundtrackPeak(g), 0);
    });
    s.script().batch({releaseAt(2500, knobX(0.5f), kMusicY)}, [&] {
        EXPECT_EQ(g.m_options.musicVolume, 0.5f);
        const int half = soundtrackPeak(g);
        EXPECT_NEAR(static_cast<double>(half) / fullPeak, 0.5, 0.05);
    });
    // The sound slider: from 1.0 down to 0.375.
    s.script().batch({moveTo(2600, knobX(1.0f), kSoundY), pressAt(2600, knobX(1.0f), kSoundY)});
    s.script().batch({moveTo(2700, knobX(0.375f), kSoundY)});
    s.script().batch({releaseAt(2800, knobX(0.375f), kSoundY)}, [&] {
        EXPECT_EQ(g.m_options.soundVolume, 0.375f);
        EXPECT_EQ(g.getSoundVolume(), 0.375f);
        // Nothing is saved while the dialog is up.
        std::string value;
        EXPECT_FALSE(registryValue(registryOf(s), "Sound Volume", &value));
    });
    s.script().batch(clickIn(2900, kOkButton));
    s.session().run();

    std::string value;
    ASSERT_TRUE(registryValue(registryOf(s), "Sound Volume", &value));
    EXPECT_EQ(floatOf(value), 0.375f);
    ASSERT_TRUE(registryValue(registryOf(s), "Music Volume", &value));
    EXPECT_EQ(floatOf(value), 0.5f);
}

// The items where the player sees them; "Best Times" takes Enter, "Ok
// Button" holds the focus; the sliders show the volumes.
TEST(QinvarOptionsDialog, TheItemsAreLaidOutOverTheBoard)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.m_options.soundVolume = 0.5f;
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.m_doOptionsDialog(); };
    s.script().batch({commandAt(2000)});
    s.script().batch({moveTo(2100, 5, 5)}, [&] {
        QVOptionsDialog* d = openDialog<QVOptionsDialog>();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(rectText(d->getDialogRect()), rectText(screen::boardArea()));
        EXPECT_EQ(rectText(d->getOkButton()->getDialogItemRect()), rectText(kOkButton));
        EXPECT_EQ(rectText(d->getBestTimesButton()->getDialogItemRect()), rectText(kBestTimesButton));
        EXPECT_EQ(rectText(d->getVisitPartnerButton()->getDialogItemRect()), rectText(kVisitButton));
        EXPECT_EQ(rectText(d->getFullscreenButton()->getDialogItemRect()), rectText(kFullscreenButton));
        EXPECT_EQ(rectText(d->getAutoHintButton()->getDialogItemRect()), rectText(kAutoHintButton));
        // The knobs centred on the track: sound at 0.5, music at 0.25.
        EXPECT_EQ(rectText(d->getSoundSlider()->getDialogItemRect()), rectText(screen::sliderKnob(kSoundY, 0.5f)));
        EXPECT_EQ(rectText(d->getMusicSlider()->getDialogItemRect()), rectText(screen::sliderKnob(kMusicY, 0.25f)));
        EXPECT_EQ(d->getDefaultItem(), d->getBestTimesButton());
        EXPECT_EQ(d->getFocusItem(), d->getOkButton());
        EXPECT_STREQ(d->getFullscreenButton()->getDialogItemName(), "Fullscreen Button");
        EXPECT_STREQ(d->getAutoHintButton()->getDialogItemName(), "autoHints Button");
        EXPECT_TRUE(g.isPaused());
        EXPECT_TRUE(s.session().savePng(screenshotPath("options.png")));
    });
    s.script().batch(clickIn(2200, kFullscreenButton));
    s.script().batch({moveTo(2300, 5, 5)}, [&] {
        EXPECT_TRUE(s.session().savePng(screenshotPath("options_fullscreen_on.png")));
    });
    s.script().batch({typedAt(2400, 13)}, [&] { EXPECT_EQ(openDialogCount(), 1); });
    // Enter opened the best times; close them, then the options.
    s.script().batch({typedAt(2500, 13)}, [&] { EXPECT_EQ(openDialogCount(), 2); });
    s.script().batch(clickIn(2600, kFullscreenButton));
    s.script().batch(clickIn(2700, kOkButton));
    s.session().run();
    EXPECT_EQ(g.toggleEvents, 0);
    EXPECT_FALSE(g.isPaused());
}

// The automatic-hint switch flips the option and restarts its idle time.
TEST(QinvarOptionsDialog, TheAutomaticHintSwitchRestartsTheIdleTime)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.m_doOptionsDialog(); };
    s.script().batch({commandAt(2000)});
    s.script().batch(clickIn(7000, kAutoHintButton));
    s.script().batch({moveTo(7100, 5, 5)}, [&] {
        EXPECT_EQ(g.m_options.autoHint, 0);
        EXPECT_EQ(g.m_lastActionTime.getTime64(), 7000u);
    });
    s.script().batch(clickIn(9000, kAutoHintButton));
    s.script().batch({moveTo(9100, 5, 5)}, [&] {
        EXPECT_EQ(g.m_options.autoHint, 1);
        EXPECT_EQ(g.m_lastActionTime.getTime64(), 9000u);
    });
    s.script().batch(clickIn(9200, kAutoHintButton));
    s.script().batch(clickIn(9300, kOkButton));
    s.session().run();
    std::string value;
    ASSERT_TRUE(registryValue(registryOf(s), "Autohint", &value));
    EXPECT_EQ(value, u32Bytes(0));
    // The dialog's time is pause time: 2000 to 9300.
    EXPECT_EQ(g.m_getPauseTime().getTime64(), 7300u);
}

// "Best Times" shows the table of the chosen layout over the options
// dialog, which stays open after it.
TEST(QinvarOptionsDialog, BestTimesShowsTheChosenLayoutAndReturns)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.m_options.layout = 5;
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.m_doOptionsDialog(); };
    s.script().batch({commandAt(2000)});
    s.script().batch(clickIn(2100, kBestTimesButton));
    s.script().batch({moveTo(2200, 5, 5)}, [&] {
        ASSERT_EQ(openDialogCount(), 2);
        EXPECT_EQ(openDialog<QVBestTimesDialog>()->getShownLayout(), 5);
    });
    // The best-times dialog's OK button shows only while lit.
    s.script().batch(clickIn(2300, screen::bestTimesOkButton()));
    s.script().batch({moveTo(2400, 5, 5)}, [&] { EXPECT_EQ(openDialogCount(), 1); });
    s.script().batch(clickIn(2500, kOkButton));
    s.script().batch({moveTo(2600, 6, 6)}, [&] { EXPECT_EQ(openDialogCount(), 0); });
    s.session().run();
    EXPECT_EQ(g.getState(), GS_QUITTING); // only by the script's final quit
}

// A quit request in the dialog, or in the best-times dialog over it, keeps
// the choices made (the full-screen one for the next start, without a
// switch now) and quits.
TEST(QinvarOptionsDialog, AQuitRequestKeepsTheChoicesAndQuits)
{
    for (bool inBestTimes : {false, true}) {
        SCOPED_TRACE(inBestTimes ? "in the best times" : "in the options");
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        int dialogsAfter = -1;
        g.onCommand = [&](QinvarDialogProbe& p, uint32_t) {
            p.m_doOptionsDialog();
            dialogsAfter = openDialogCount();
        };
        s.script().batch({commandAt(2000)});
        s.script().batch(clickIn(2100, kFullscreenButton));
        s.script().batch({moveTo(2200, knobX(1.0f), kSoundY), pressAt(2200, knobX(1.0f), kSoundY)});
        s.script().batch({moveTo(2300, knobX(0.5f), kSoundY), releaseAt(2300, knobX(0.5f), kSoundY)});
        if (inBestTimes)
            s.script().batch(clickIn(2400, kBestTimesButton));
        s.script().batch({InputEvents::s_quit(2500)});
        s.session().run();

        EXPECT_EQ(dialogsAfter, 0);
        EXPECT_EQ(g.getState(), GS_QUITTING);
        EXPECT_EQ(g.toggleEvents, 0);
        EXPECT_EQ(g.m_getPauseCount(), 0);
        std::string value;
        ASSERT_TRUE(registryValue(registryOf(s), "Sound Volume", &value));
        EXPECT_EQ(floatOf(value), 0.5f);
        ASSERT_TRUE(registryValue(registryOf(s), "Fullscreen", &value));
        EXPECT_EQ(value, u32Bytes(1));
    }
}

// "Visit Partner" saves the options before the link ends the process (a
// volume moved in the same dialog is kept) but no full-screen value: the
// switch flipped on the way is dropped, and the mode the window is in was
// not chosen here (the link shuts the display down itself).
TEST(QinvarOptionsDialog, VisitPartnerSavesTheOptionsButNoFullScreenValue)
{
    for (int32_t fullscreen : {0, 1}) {
        SCOPED_TRACE(fullscreen);
        ProbeSession s;
        if (fullscreen)
            writeRegistry(s.session(), {{"Fullscreen", u32Bytes(1)}});
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        ASSERT_EQ(g.m_options.fullscreen, fullscreen);
        g.quickToggle = 1;
        g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.m_doOptionsDialog(); };
        s.script().batch({commandAt(2000)});
        s.script().batch({moveTo(2100, knobX(1.0f), kSoundY), pressAt(2100, knobX(1.0f), kSoundY)});
        s.script().batch({moveTo(2200, knobX(0.25f), kSoundY), releaseAt(2200, knobX(0.25f), kSoundY)});
        // A full-screen choice made on the way is not a switch to make.
        s.script().batch(clickIn(2300, kFullscreenButton));
        s.script().batch(clickIn(2400, kVisitButton));
        s.session().run();

        EXPECT_EQ(g.partnerCalls, 1);
        EXPECT_EQ(g.partnerDefault, "http://www.moravel.example.org/");
        EXPECT_EQ(g.partnerCompany, "Moravel");
        EXPECT_EQ(g.partnerProduct, "Qinvar");
        // The archive's "config.txt" names the partner.
        EXPECT_EQ(g.partnerAddress, "https://www.moravel.example/qinvar");
        std::string value;
        ASSERT_TRUE(registryValue(g.registryAtPartner, "Sound Volume", &value));
        EXPECT_EQ(floatOf(value), 0.25f);
        EXPECT_EQ(registryValue(g.registryAtPartner, "Fullscreen", &value), fullscreen == 1);
        if (fullscreen == 1) {
            EXPECT_EQ(value, u32Bytes(1));
        }
        EXPECT_EQ(g.m_options.fullscreen, fullscreen);
        EXPECT_EQ(g.quickToggleCalls, 0) << "the link switched the screen";
        EXPECT_EQ(g.toggleEvents, 0);
    }
}

// The link ends the game as a quit does: from an end screen, the result is
// ranked first, the name asked when it makes the table, and the entry is in
// the file before the link opens.
TEST(QinvarOptionsDialog, VisitPartnerFromAnEndScreenStoresTheResultFirst)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    HUtil::s_strcpy(g.m_options.lastHighScoreName, "Nadia", sizeof(g.m_options.lastHighScoreName));
    finishGame(g, 0, 100, 90);
    g.m_setGameState(GS_WON);
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.m_doOptionsDialog(); };
    bool nameEntry = false;
    s.script().batch({commandAt(2000)});
    s.script().batch(clickIn(2100, kVisitButton));
    s.script().batch({moveTo(2200, 5, 5)}, [&] { nameEntry = openDialogCount() == 1; });
    s.script().batch({typedAt(2300, 13)});
    s.session().run();
    EXPECT_TRUE(nameEntry) << "no name entry before the link";
    EXPECT_EQ(g.partnerCalls, 1);
    EXPECT_EQ(storedName(g.registryAtPartner, 0, 0), "Nadia");
}
