// The game's buttons, in the game started in the test's process: where each
// one sits and which pictures it shows, which buttons each game state (and
// a suspended game) shows, the pictures that follow the selection and the
// pause, the hidden buttons that let clicks through to the game, and what
// each button does when it is pressed.
#include "engine/core/HObjectList.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/QinvarSession.h"
#include "ui/MVControlDelegate.h"
#include "ui/UIControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// The game with its protected state opened up for the tests.
class ButtonsGame : public Qinvar {
public:
    // Straight into the member: the tests put the game in states that the
    // play flow would reach only through whole games.
    void setState(int32_t state) { m_iGameState = state; }
    void setSuspended(bool suspended) { m_bSuspended = suspended; }
    UIControl* showMovesButton() const { return m_pShowMovesButton; }
    UIControl* undoButton() const { return m_pUndoButton; }
    UIControl* shuffleButton() const { return m_pShuffleButton; }
    UIControl* newGameButton() const { return m_pNewGameButton; }
};

// The buttons in the order the game creates them.
enum Button {
    B_EXIT,
    B_OPTIONS,
    B_SHOW_MOVES,
    B_HINT,
    B_PAUSE,
    B_NEW_GAME,
    B_RULES,
    B_SHUFFLE,
    B_UNDO,
    B_START,
    B_CONTINUE_NO_MORE_MOVES,
    B_CONTINUE_WON,
    B_TABLE_TOP_DOWN,
    B_TABLE_TOP_UP,
    B_TILE_SET_DOWN,
    B_TILE_SET_UP,
    B_LAYOUT_DOWN,
    B_LAYOUT_UP,
    B_LABEL_TIME,
    B_LABEL_MOVES,
    B_LABEL_TILES,
    B_COUNT
};

const char* const kNames[B_COUNT] = {
    "exit",        "options",        "show moves",    "hint",          "pause",         "new game",
    "rules",       "shuffle",        "undo",          "start",         "continue (no more moves)",
    "continue (won)", "table top -", "table top +",   "tile set -",    "tile set +",    "layout -",
    "layout +",    "label time",     "label moves",   "label tiles",
};

struct Placement {
    int32_t x, y;
    int normal; // -1: none
    int lit;
};

// Where each button sits and its pictures (the lit one is also the pushed one).
const Placement kPlacements[B_COUNT] = {
    {35, 447, QVS_EXIT, QVS_EXIT_LIT},
    {17, 175, QVS_OPTIONS, QVS_OPTIONS_LIT},
    {0, 292, QVS_SHOW_MOVES, QVS_SHOW_MOVES_LIT},
    {6, 257, QVS_HINT, QVS_HINT_LIT},
    {16, 327, QVS_PAUSE, QVS_PAUSE_LIT},
    {1, 105, QVS_NEW_GAME, QVS_NEW_GAME_LIT},
    {27, 210, QVS_RULES, QVS_RULES_LIT},
    {12, 397, QVS_SHUFFLE, QVS_SHUFFLE_LIT},
    {35, 362, QVS_UNDO, QVS_UNDO_LIT},
    {324, 429, QVS_START_BUTTON, QVS_START_BUTTON_LIT},
    {248, 334, -1, QVS_CONTINUE_LIT},
    {248, 334, -1, QVS_CONTINUE_LIT},
    {202, 87, QVS_ARROW_LEFT, QVS_ARROW_LEFT_LIT},
    {238, 87, QVS_ARROW_RIGHT, QVS_ARROW_RIGHT_LIT},
    {498, 86, QVS_ARROW_LEFT, QVS_ARROW_LEFT_LIT},
    {533, 86, QVS_ARROW_RIGHT, QVS_ARROW_RIGHT_LIT},
    {260, 151, QVS_ARROW_LEFT, QVS_ARROW_LEFT_LIT},
    {474, 151, QVS_ARROW_RIGHT, QVS_ARROW_RIGHT_LIT},
    {134, 444, QVS_SCORE_LABEL, QVS_SCORE_LABEL},
    {303, 444, QVS_AVAILABLE_LABEL, QVS_AVAILABLE_LABEL},
    {460, 444, QVS_TILES_LEFT_LABEL, QVS_TILES_LEFT_LABEL},
};

const char* const kClick = "sound/qv_guiclick.wav";
const char* const kArrow = "sound/qv_click.wav";
const char* const kHintSound = "sound/qv_hint.ogg";

HEvent mouse(HEventType type, uint32_t keyCode, int32_t x, int32_t y, uint64_t time)
{
    HEvent e = DemoWriter::s_make(type, time);
    e.keyCode = keyCode;
    e.point = HScreenPoint{x, y};
    return e;
}

HEvent press(int32_t x, int32_t y, uint64_t time = 2000)
{
    return mouse(ET_KEYDOWN, KC_LBUTTON, x, y, time);
}

HEvent release(int32_t x, int32_t y, uint64_t time = 2010)
{
    return mouse(ET_KEYUP, KC_LBUTTON, x, y, time);
}

HEvent move(int32_t x, int32_t y, uint64_t time = 2000)
{
    return mouse(ET_MOUSEMOVE, 0, x, y, time);
}

class ControlsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(session.start());
        const HObjectList* list = game().getUIManager()->getControlList();
        ASSERT_NE(list, nullptr);
        for (HContainerNode* n = list->beginIteration(); n; n = list->next(n))
            buttons.push_back(static_cast<UIControl*>(n->getNodeContents()));
        // The manager keeps the newest first.
        std::reverse(buttons.begin(), buttons.end());
        ASSERT_EQ(buttons.size(), static_cast<size_t>(B_COUNT));
        quietVoices();
    }

    ButtonsGame& game() { return static_cast<ButtonsGame&>(session.game()); }
    UIControl* button(Button b) { return buttons[b]; }
    MVSprite* sprite(int slot) { return slot < 0 ? nullptr : game().getSprite(static_cast<QVSprite_t>(slot)); }
    MVSprite* shown(Button b)
    {
        return static_cast<MVControlDelegate*>(button(b)->getControlDelegate())->m_getSpriteForControl(button(b));
    }
    // A point inside the button that no other button covers.
    HScreenPoint inside(Button b)
    {
        const HScreenRect& r = button(b)->getControlRect();
        return HScreenPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // The silent device never pulls the mixer, so a voice once started stays
    // busy: every check starts from idle voices.
    void quietVoices() { game().getMixer()->shutdownStreamingAudioSource(); }
    bool playing(const char* name) { return game().getSoundManager()->m_soundIsPlaying(name); }

    // Through the framework's routing, as the main loop offers it; true when
    // a control took the event.
    bool offer(const HEvent& e) { return game().m_processEvent(e); }

    std::vector<Button> activeButtons()
    {
        std::vector<Button> out;
        for (int b = 0; b < B_COUNT; ++b) {
            if (buttons[b]->isActive())
                out.push_back(static_cast<Button>(b));
        }
        return out;
    }

    QinvarSession session{1000, [] { return new ButtonsGame(); }};
    std::vector<UIControl*> buttons;
};

std::string names(const std::vector<Button>& list)
{
    std::string out;
    for (Button b : list)
        out += std::string(out.empty() ? "" : ", ") + kNames[b];
    return out;
}

TEST_F(ControlsTest, EachButtonSitsInPlaceWithItsPictures)
{
    for (int b = 0; b < B_COUNT; ++b) {
        SCOPED_TRACE(kNames[b]);
        const Placement& p = kPlacements[b];
        UIControl* c = button(static_cast<Button>(b));
        // No class record of their own.
        EXPECT_EQ(c->getClassInfo(), &UIControl::sm_classInfoUIControl);
        // Sized by the lit picture, which is also the pushed one.
        MVSprite* lit = sprite(p.lit);
        ASSERT_NE(lit, nullptr);
        const HScreenRect& r = c->getControlRect();
        EXPECT_EQ(r.left, p.x);
        EXPECT_EQ(r.top, p.y);
        EXPECT_EQ(r.right, p.x + lit->getSpriteWidth());
        EXPECT_EQ(r.bottom, p.y + lit->getSpriteHeight());

        if (!c->isEnabled())
            continue;
        // Unlit, lit, pushed (the hint and pause buttons' own pictures are
        // checked where they swap).
        if (b == B_HINT || b == B_PAUSE)
            continue;
        c->m_setLit(false);
        c->m_setPushed(false);
        EXPECT_EQ(shown(static_cast<Button>(b)), sprite(p.normal));
        c->m_setLit(true);
        EXPECT_EQ(shown(static_cast<Button>(b)), lit);
        c->m_setLit(false);
        c->m_setPushed(true);
        EXPECT_EQ(shown(static_cast<Button>(b)), lit);
        c->m_setPushed(false);
    }
    // The game keeps the buttons that the play flow reaches.
    EXPECT_EQ(game().showMovesButton(), button(B_SHOW_MOVES));
    EXPECT_EQ(game().undoButton(), button(B_UNDO));
    EXPECT_EQ(game().getUndoButton(), button(B_UNDO));
    EXPECT_EQ(game().shuffleButton(), button(B_SHUFFLE));
    EXPECT_EQ(game().newGameButton(), button(B_NEW_GAME));
}

TEST_F(ControlsTest, TheNoMatchMessageIsCentredAboveTheBoardsMiddle)
{
    MVSprite* message = sprite(QVS_NO_MATCH);
    ASSERT_NE(message, nullptr);
    const int32_t w = message->getSpriteWidth();
    const int32_t h = message->getSpriteHeight();
    const HScreenRect& area = game().getNoMatchArea();
    EXPECT_EQ(area.left, (515 - w) / 2 + 125);
    EXPECT_EQ(area.top, (480 - h) / 2 - 50);
    EXPECT_EQ(area.right, area.left + w);
    EXPECT_EQ(area.bottom, area.top + h);
}

TEST_F(ControlsTest, TheHiddenButtonsAreDisabledAndShowNothing)
{
    for (Button b : {B_SHOW_MOVES, B_UNDO}) {
        SCOPED_TRACE(kNames[b]);
        EXPECT_FALSE(button(b)->isEnabled());
        // No disabled picture: nothing is drawn, lit or not.
        button(b)->m_setLit(true);
        EXPECT_EQ(shown(b), nullptr);
        button(b)->m_setLit(false);
        EXPECT_EQ(shown(b), nullptr);
    }
}

TEST_F(ControlsTest, EachStateShowsItsButtons)
{
    // The show-moves button counts as active in every state; being disabled
    // it is never drawn nor offered events all the same.
    const std::vector<Button> always = {B_EXIT, B_OPTIONS, B_SHOW_MOVES, B_RULES};
    struct Case {
        int32_t state;
        bool suspended;
        std::vector<Button> more;
    };
    const std::vector<Case> cases = {
        {GS_START, false,
         {B_START, B_TABLE_TOP_DOWN, B_TABLE_TOP_UP, B_TILE_SET_DOWN, B_TILE_SET_UP, B_LAYOUT_DOWN, B_LAYOUT_UP}},
        {GS_START, true, {}},
        {GS_PLAYING, false, {B_HINT, B_PAUSE, B_NEW_GAME, B_LABEL_TIME, B_LABEL_MOVES, B_LABEL_TILES}},
        {GS_PLAYING, true, {B_PAUSE}},
        {GS_WON, false, {B_CONTINUE_WON, B_LABEL_TIME, B_LABEL_MOVES, B_LABEL_TILES}},
        {GS_WON, true, {}},
        {GS_NO_MORE_MOVES, false, {B_CONTINUE_NO_MORE_MOVES, B_LABEL_TIME, B_LABEL_MOVES, B_LABEL_TILES}},
        {GS_NO_MORE_MOVES, true, {}},
        {GS_QUITTING, false, {}},
        {GS_QUITTING, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("state " + std::to_string(c.state) + (c.suspended ? " suspended" : ""));
        game().setState(c.state);
        game().setSuspended(c.suspended);
        std::vector<Button> expected = always;
        expected.insert(expected.end(), c.more.begin(), c.more.end());
        // The shuffle button follows the game's own test.
        if (game().canShuffle())
            expected.push_back(B_SHUFFLE);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names(activeButtons()), names(expected));
    }
    game().setSuspended(false);
    game().setState(GS_START);
}

TEST_F(ControlsTest, TheUndoButtonWouldShowOnlyWithAPairToTakeBack)
{
    // It stays disabled in the game; its own test still has to make sense.
    QVBoard* board = game().getBoard();
    game().setState(GS_PLAYING);
    board->undoTop = -1;
    EXPECT_FALSE(button(B_UNDO)->isActive());
    board->undoTop = 0;
    EXPECT_TRUE(button(B_UNDO)->isActive());
    game().setSuspended(true);
    EXPECT_FALSE(button(B_UNDO)->isActive());
    game().setSuspended(false);
    game().setState(GS_WON);
    EXPECT_FALSE(button(B_UNDO)->isActive());
    board->undoTop = -1;
    game().setState(GS_START);
}

TEST_F(ControlsTest, TheContinueButtonShowsOnlyUnderThePointer)
{
    for (Button b : {B_CONTINUE_WON, B_CONTINUE_NO_MORE_MOVES}) {
        SCOPED_TRACE(kNames[b]);
        game().setState(b == B_CONTINUE_WON ? GS_WON : GS_NO_MORE_MOVES);
        const Button other = b == B_CONTINUE_WON ? B_CONTINUE_NO_MORE_MOVES : B_CONTINUE_WON;
        // One rectangle, never both active.
        EXPECT_EQ(button(b)->getControlRect().left, button(other)->getControlRect().left);
        EXPECT_TRUE(button(b)->isActive());
        EXPECT_FALSE(button(other)->isActive());

        const HScreenPoint at = inside(b);
        EXPECT_FALSE(offer(move(at.x, at.y)));
        EXPECT_TRUE(button(b)->isLit());
        EXPECT_EQ(shown(b), sprite(QVS_CONTINUE_LIT));
        // The pointer leaves: nothing shows.
        EXPECT_FALSE(offer(move(5, 5)));
        EXPECT_FALSE(button(b)->isLit());
        EXPECT_EQ(shown(b), nullptr);
    }
    game().setState(GS_START);
}

TEST_F(ControlsTest, TheHiddenButtonsLetClicksThroughToTheGame)
{
    game().setState(GS_PLAYING);
    for (Button b : {B_SHOW_MOVES, B_UNDO}) {
        SCOPED_TRACE(kNames[b]);
        // A point of the hidden button that no visible button covers.
        const HScreenPoint at = b == B_SHOW_MOVES ? HScreenPoint{60, 305} : HScreenPoint{60, 375};
        for (int other = 0; other < B_COUNT; ++other) {
            if (other != b && buttons[other]->isActive() && buttons[other]->isEnabled()) {
                EXPECT_FALSE(buttons[other]->getControlRect().containsPoint(at)) << kNames[other];
            }
        }
        EXPECT_TRUE(button(b)->getControlRect().containsPoint(at));
        EXPECT_FALSE(offer(press(at.x, at.y)));
        EXPECT_FALSE(offer(release(at.x, at.y)));
        EXPECT_FALSE(button(b)->m_isPushed());
        EXPECT_EQ(game().getUIManager()->getCapture(), nullptr);
    }
    game().setState(GS_START);
}

TEST_F(ControlsTest, ALabelTakesAPressAndDoesNothing)
{
    game().setState(GS_PLAYING);
    const HScreenPoint at = inside(B_LABEL_TILES);
    EXPECT_TRUE(offer(press(at.x, at.y)));
    EXPECT_EQ(game().getState(), GS_PLAYING);
    EXPECT_TRUE(offer(release(at.x, at.y)));
    EXPECT_EQ(game().getUIManager()->getCapture(), nullptr);
    EXPECT_FALSE(playing(kClick));
    game().setState(GS_START);
}

TEST_F(ControlsTest, ThePauseButtonShowsResumeWhileSuspended)
{
    game().setState(GS_PLAYING);
    UIControl* pause = button(B_PAUSE);
    pause->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(shown(B_PAUSE), sprite(QVS_PAUSE));
    pause->m_setLit(true);
    EXPECT_EQ(shown(B_PAUSE), sprite(QVS_PAUSE_LIT));

    game().setSuspended(true);
    EXPECT_TRUE(pause->isActive());
    game().getDirtyList()->clearDirtyList();
    pause->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(shown(B_PAUSE), sprite(QVS_RESUME_LIT));
    pause->m_setLit(false);
    EXPECT_EQ(shown(B_PAUSE), sprite(QVS_RESUME));
    // The change of pictures asked for the button to be drawn again.
    ASSERT_GE(game().getDirtyList()->getRectangleCount(), 1);

    game().setSuspended(false);
    pause->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(shown(B_PAUSE), sprite(QVS_PAUSE));
    game().setState(GS_START);
}

TEST_F(ControlsTest, TheHintButtonShowsFindMatchWhileATileIsSelected)
{
    game().setState(GS_PLAYING);
    UIControl* hint = button(B_HINT);
    QVBoard* board = game().getBoard();
    board->selectedTile = nullptr;
    hint->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(shown(B_HINT), sprite(QVS_HINT));

    board->selectedTile = &board->tiles[0];
    game().getDirtyList()->clearDirtyList();
    hint->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(shown(B_HINT), sprite(QVS_FIND_MATCH));
    hint->m_setLit(true);
    EXPECT_EQ(shown(B_HINT), sprite(QVS_FIND_MATCH_LIT));
    ASSERT_GE(game().getDirtyList()->getRectangleCount(), 1);

    board->selectedTile = nullptr;
    hint->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(shown(B_HINT), sprite(QVS_HINT_LIT));
    hint->m_setLit(false);
    game().setState(GS_START);
}

TEST_F(ControlsTest, EachButtonActsOnItsPress)
{
    QVOptions* options = game().getOptions();
    struct Case {
        Button button;
        int32_t state;
        const char* sound; // played before the action; null: none of the buttons' sounds
        std::function<void()> check;
    };
    const std::vector<Case> cases = {
        // The start screen's pickers step their option and wrap at the ends.
        {B_TABLE_TOP_DOWN, GS_START, kArrow, [&] { EXPECT_EQ(options->background, Qinvar::kBackgroundCount - 1); }},
        {B_TABLE_TOP_UP, GS_START, kArrow, [&] { EXPECT_EQ(options->background, 0); }},
        {B_TILE_SET_UP, GS_START, kArrow, [&] { EXPECT_EQ(options->tileSet, 1); }},
        {B_TILE_SET_DOWN, GS_START, kArrow, [&] { EXPECT_EQ(options->tileSet, 0); }},
        {B_LAYOUT_DOWN, GS_START, kArrow, [&] { EXPECT_EQ(options->layout, Qinvar::kLayoutCount - 1); }},
        {B_LAYOUT_UP, GS_START, kArrow, [&] { EXPECT_EQ(options->layout, 0); }},
        {B_RULES, GS_START, kClick, [] {}},
        {B_OPTIONS, GS_START, kClick, [&] { EXPECT_FALSE(button(B_OPTIONS)->isLit()); }},
        {B_HINT, GS_PLAYING, nullptr, [] {}},
        {B_PAUSE, GS_PLAYING, kClick, [] {}},
        // The end screens go back to the start screen.
        {B_CONTINUE_WON, GS_WON, kClick, [&] { EXPECT_EQ(game().getState(), GS_START); }},
        {B_CONTINUE_NO_MORE_MOVES, GS_NO_MORE_MOVES, kClick, [&] { EXPECT_EQ(game().getState(), GS_START); }},
        // From the start screen the exit button quits without a question.
        {B_EXIT, GS_START, kClick, [&] { EXPECT_EQ(game().getState(), GS_QUITTING); }},
    };
    options->background = 0;
    options->tileSet = 0;
    options->layout = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(kNames[c.button]);
        game().setState(c.state);
        quietVoices();
        const HScreenPoint at = inside(c.button);
        // The pointer is over the button when it is pressed.
        offer(move(at.x, at.y));
        EXPECT_TRUE(offer(press(at.x, at.y)));
        for (const char* sound : {kClick, kArrow}) {
            EXPECT_EQ(playing(sound), c.sound && std::string(c.sound) == sound) << sound;
        }
        c.check();
        // The release lets every button go.
        offer(release(at.x, at.y));
        EXPECT_EQ(game().getUIManager()->getCapture(), nullptr);
        EXPECT_FALSE(button(c.button)->m_isPushed());
        offer(move(5, 5));
    }
    game().setState(GS_START);
}

} // namespace
