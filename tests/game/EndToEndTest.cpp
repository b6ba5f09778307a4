// Whole games played through the real program (build/bin/qvgame), as a
// player would play them, under SDL's dummy drivers and driven by demo
// files whose clicks are worked out from the board the run deals: a game
// cleared pair by pair with a pause, a focus loss and a hint on the way,
// ending in the name entry and the best times; a game that runs out of
// moves and is ended from the no-more-moves dialog; options changed in the
// options dialog and read back by the next run; and a journal recorded
// during a game that replays to the same registry file. What is checked is
// what the program leaves behind: its exit code, its output and the
// per-user registry file.
#include "tests/game/PlayerSession.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Move = BoardSolver::Move;
using Session = PlayerSession;

// The name in a best-time record: its 32 bytes up to the first NUL.
std::string nameOf(const std::string& value)
{
    return value.substr(0, value.find('\0'));
}

class EndToEndTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath() << " (build the archive)"; }

    // Runs the game over the session's demo in the sandbox (-s, -demo and
    // `extra` arguments) and expects a clean exit with nothing printed.
    void play(const ProgramSandbox& box, const Session& s, const std::vector<std::string>& extra = {})
    {
        ASSERT_TRUE(s.demo.writeTo(box.work().file("demo.bin")));
        std::vector<std::string> args = {"-s", "-demo", "demo.bin"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ChildResult r = box.run(buildProgram("qvgame"), args, {}, 30);
        EXPECT_FALSE(r.timedOut) << "the demo did not end the run";
        EXPECT_TRUE(r.exited) << "signal " << r.signal << "\n" << r.err;
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(r.out, "") << "a message box";
    }
    static std::string registryOf(const ProgramSandbox& box)
    {
        return readFileBytes(gameRegistryPath(box.home().path()));
    }
    static uint32_t u32Key(const std::string& registry, const std::string& key)
    {
        std::string value;
        EXPECT_TRUE(registryValue(registry, key, &value)) << key;
        EXPECT_EQ(value.size(), 4u) << key;
        return u32Of(value);
    }
    static float floatKey(const std::string& registry, const std::string& key)
    {
        std::string value;
        EXPECT_TRUE(registryValue(registry, key, &value)) << key;
        return floatOf(value);
    }

    HScreenPoint centre(int32_t slot) const { return ArchiveBoard::s_faceCentre(mirror.board.tiles[slot]); }

    // The demo of a whole won game: start, a hint, pairs with a pause by the
    // pause button and one by a focus loss in between, the continue button,
    // the name, the best times closed, and a quit from the start screen.
    // Fills the times the best-time entry must hold.
    Session wonGame(const std::vector<Move>& moves, uint64_t seedTime, uint32_t* realSeconds,
                    uint32_t* gameSeconds)
    {
        Session s(seedTime);
        const uint64_t start = s.click(screen::startButton(), 1000);
        s.click(screen::hintButton(), 700); // 30 seconds of penalty
        uint64_t paused = 0;
        uint64_t last = 0;
        for (size_t i = 0; i < moves.size(); ++i) {
            if (i == 10) {
                // The pause button, 20 s of pause ticking by, then a click on
                // the board area (where no tile lies) resumes.
                const uint64_t from = s.click(screen::pauseButton(), 500);
                s.idle(10000);
                s.idle(10000);
                const uint64_t to = s.click(HScreenPoint{630, 5}, 0);
                paused += to - from;
            }
            if (i == 40) {
                // The window loses the focus: the game pauses; it gains it
                // again and the player clicks the board to go on.
                s.t += 500;
                const uint64_t from = s.t;
                s.demo.activate(s.t, false);
                s.idle(3000);
                s.t += 2000;
                s.demo.activate(s.t, true);
                const uint64_t to = s.click(HScreenPoint{630, 5}, 500);
                paused += to - from;
            }
            s.click(centre(moves[i].first), 350);
            last = s.click(centre(moves[i].second), 250);
            s.idle(200);
        }
        *realSeconds = static_cast<uint32_t>((last - start - paused) / 1000);
        *gameSeconds = *realSeconds + 30;
        s.click(screen::continueButton(), 1500);
        // The name entry: its offered text (the login name) erased, a name
        // typed, Enter.
        s.typeName("ada");
        s.key('\r');
        // The best times, then the start screen again.
        s.click(screen::bestTimesOkButton(), 1000);
        s.idle(500);
        s.quit();
        return s;
    }

    ArchiveBoard mirror;
};

TEST_F(EndToEndTest, AWonGameEndsInTheBestTimesWithThePenaltyAndWithoutThePauses)
{
    std::vector<Move> moves;
    const uint64_t seedTime = mirror.findSeedTime(10026, 40, [&](ArchiveBoard& m) {
        return BoardSolver(m.board).findClearingMoves(400, &moves);
    });
    ASSERT_NE(seedTime, 0u) << "no deal cleared within the search's budget";
    ASSERT_EQ(moves.size(), 72u);

    uint32_t real = 0;
    uint32_t game = 0;
    const Session s = wonGame(moves, seedTime, &real, &game);
    ProgramSandbox box;
    play(box, s);

    const std::string registry = registryOf(box);
    ASSERT_FALSE(registry.empty()) << "no registry file";
    std::string name;
    ASSERT_TRUE(registryValue(registry, "HSn:0x0", &name));
    EXPECT_EQ(name.size(), 32u);
    EXPECT_EQ(nameOf(name), "ada");
    EXPECT_EQ(u32Key(registry, "HSv:0x0"), 768u);
    EXPECT_EQ(u32Key(registry, "HStl:0x0"), 0u) << "the board was cleared";
    EXPECT_EQ(u32Key(registry, "HSrt:0x0"), real) << "the real time leaves out both pauses";
    EXPECT_EQ(u32Key(registry, "HSgt:0x0"), game);
    EXPECT_EQ(u32Key(registry, "HSgt:0x0") - u32Key(registry, "HSrt:0x0"), 30u) << "one hint's penalty";
    // The first start's table moved down one place.
    ASSERT_TRUE(registryValue(registry, "HSn:0x1", &name));
    EXPECT_EQ(nameOf(name), "Vot");
    EXPECT_EQ(u32Key(registry, "HSgt:0x1"), 5999u);
    ASSERT_TRUE(registryValue(registry, "HSn:0x7", &name));
    EXPECT_EQ(nameOf(name), "Pell") << "the last default entry dropped out";
    // The name is offered again next time.
    ASSERT_TRUE(registryValue(registry, "LastHighScoreName", &name));
    EXPECT_EQ(nameOf(name), "ada");
    // Only the layout played is written.
    EXPECT_FALSE(registryValue(registry, "HSn:1x0", &name));
}

TEST_F(EndToEndTest, AGameWithoutMovesIsEndedFromTheDialogAndEntersItsTilesLeft)
{
    std::vector<Move> moves;
    const uint64_t seedTime = findEarlyDeadEnd(mirror, &moves);
    ASSERT_NE(seedTime, 0u) << "no deal ran out of moves early";
    const uint32_t tilesLeft = 144u - 2u * static_cast<uint32_t>(moves.size());

    Session s(seedTime);
    const uint64_t start = s.click(screen::startButton(), 1000);
    uint64_t last = 0;
    for (const Move& m : moves) {
        s.click(centre(m.first), 300);
        last = s.click(centre(m.second), 300);
    }
    // The last pair left no free pair: the no-more-moves dialog is up and
    // takes the next click, on its end-game button.
    s.click(screen::endGameButton(), 2000);
    s.click(screen::continueButton(), 1000);
    s.typeName("bo");
    s.key('\r');
    s.click(screen::bestTimesOkButton(), 1000);
    s.quit();

    ProgramSandbox box;
    play(box, s);
    const std::string registry = registryOf(box);
    ASSERT_FALSE(registry.empty()) << "no registry file";
    std::string name;
    ASSERT_TRUE(registryValue(registry, "HSn:0x0", &name));
    EXPECT_EQ(nameOf(name), "bo");
    EXPECT_EQ(u32Key(registry, "HStl:0x0"), tilesLeft);
    const uint32_t seconds = static_cast<uint32_t>((last - start) / 1000);
    EXPECT_EQ(u32Key(registry, "HSrt:0x0"), seconds) << "the dialog's time is not counted";
    EXPECT_EQ(u32Key(registry, "HSgt:0x0"), seconds) << "no penalty";
}

TEST_F(EndToEndTest, OptionsSetInTheDialogAreKeptForTheNextRun)
{
    ProgramSandbox box;
    // First run: music from 0.25 to 0.5, sound from 1.0 to 0.375, automatic
    // hints off; the dialog saves them as it closes.
    Session first(5000);
    first.click(screen::optionsButton(), 500);
    first.drag({screen::sliderX(0.25f), screen::kMusicSliderY}, {screen::sliderX(0.5f), screen::kMusicSliderY});
    first.drag({screen::sliderX(1.0f), screen::kSoundSliderY}, {screen::sliderX(0.375f), screen::kSoundSliderY});
    first.click(screen::autoHintButton());
    first.click(screen::optionsOkButton());
    first.quit();
    play(box, first);
    std::string registry = registryOf(box);
    ASSERT_FALSE(registry.empty());
    EXPECT_EQ(floatKey(registry, "Music Volume"), 0.5f);
    EXPECT_EQ(floatKey(registry, "Sound Volume"), 0.375f);
    EXPECT_EQ(u32Key(registry, "Autohint"), 0u);

    // Second run, same HOME: the knobs are where the first run left them (a
    // press anywhere else would grab nothing), so dragging each from there
    // moves it on; the switch is left alone and the dialog saves it as read.
    Session second(9000);
    second.click(screen::optionsButton(), 500);
    const int32_t soundTo = screen::sliderX(0.375f) + 32;
    const int32_t musicTo = screen::sliderX(0.5f) - 24;
    second.drag({screen::sliderX(0.375f), screen::kSoundSliderY}, {soundTo, screen::kSoundSliderY});
    second.drag({screen::sliderX(0.5f), screen::kMusicSliderY}, {musicTo, screen::kMusicSliderY});
    second.click(screen::optionsOkButton());
    second.quit();
    play(box, second);
    registry = registryOf(box);
    EXPECT_EQ(floatKey(registry, "Sound Volume"), screen::sliderValueAt(soundTo));
    EXPECT_EQ(floatKey(registry, "Music Volume"), screen::sliderValueAt(musicTo));
    EXPECT_EQ(u32Key(registry, "Autohint"), 0u) << "read back, and saved as read";
}

TEST_F(EndToEndTest, AJournalOfAGameReplaysToTheSameRegistryFile)
{
    std::vector<Move> moves;
    const uint64_t seedTime = mirror.findSeedTime(10026, 40, [&](ArchiveBoard& m) {
        return BoardSolver(m.board).findClearingMoves(400, &moves);
    });
    ASSERT_NE(seedTime, 0u);
    uint32_t real = 0;
    uint32_t game = 0;
    const Session s = wonGame(moves, seedTime, &real, &game);

    ProgramSandbox recorded;
    play(recorded, s, {"-journal"});
    const std::string journal = recorded.workFile("journal.bin");
    // Everything the game handled came from the demo, up to its quit.
    EXPECT_EQ(journal, s.demo.bytes());
    const std::string registry = registryOf(recorded);
    ASSERT_FALSE(registry.empty());

    // The journal played back in a fresh HOME leaves the same file, byte for byte.
    ProgramSandbox replayed;
    replayed.work().write("journal.bin", journal);
    const ChildResult r =
        replayed.run(buildProgram("qvgame"), {"-s", "-demo", "journal.bin"}, {}, 30);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(registryOf(replayed), registry);
}

} // namespace
