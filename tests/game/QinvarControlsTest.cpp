// The game's buttons, in the game started in the test's process: where each
// one sits and which pictures of the archive it shows there, drawn on the
// screen; which buttons each game state (and a suspended game) shows, and
// that only those are drawn; the pictures that follow the selection and the
// pause, the hidden buttons that let clicks through to the game, and what
// each button does when it is pressed.
#include "engine/core/HObjectList.h"
#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "game/ScreenGeometry.h"
#include "tests/game/PlayFixture.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/ArchivePictures.h"
#include "tests/support/InputEvents.h"
#include "tests/support/PlayTestGame.h"
#include "tests/support/QinvarSession.h"
#include "tests/support/TestPaths.h"
#include "ui/MVControlDelegate.h"
#include "ui/UIControl.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The game with its protected state opened up for the tests; it hears the
// sounds the buttons and the play flow play and counts the confirmations
// (PlayTestGame), and notes which mouse buttons reached the game itself,
// past the controls.
class ButtonsGame : public PlayTestGame {
public:
    // Straight into the member: the tests put the game in states that the
    // play flow would reach only through whole games.
    void setState(int32_t state) { m_iGameState = state; }
    void setSuspended(bool suspended) { m_bSuspended = suspended; }
    UIControl* showMovesButton() const { return m_pShowMovesButton; }
    UIControl* undoButton() const { return m_pUndoButton; }
    UIControl* shuffleButton() const { return m_pShuffleButton; }
    UIControl* newGameButton() const { return m_pNewGameButton; }

    bool m_handleEvent(const HEvent& e) override
    {
        if ((e.type == ET_KEYDOWN || e.type == ET_KEYUP) && e.keyCode == KC_LBUTTON)
            m_mouse.push_back(std::string(e.type == ET_KEYDOWN ? "press " : "release ") + std::to_string(e.point.x) +
                              "," + std::to_string(e.point.y));
        return PlayTestGame::m_handleEvent(e);
    }
    // The left-button presses and releases the game saw since the last call.
    std::vector<std::string> takeMouse()
    {
        std::vector<std::string> out;
        out.swap(m_mouse);
        return out;
    }

private:
    std::vector<std::string> m_mouse;
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

// Where on the screen a button belongs: on the left panel's picture, on the
// board area, or on the board area's information strip beside the counters.
enum Region { R_PANEL, R_BOARD, R_STRIP };

// What a button shows: its pictures, entries of the archive (the lit one is
// also the pushed one; the continue buttons have only a lit one, so they
// show nothing until the pointer is over them), and where it belongs.
struct Look {
    const char* normal; // null: none
    const char* lit;
    Region region;
};

const Look kLooks[B_COUNT] = {
    {"art/icon_exit_qz.tga", "art/icon_exit_lit_qz.tga", R_PANEL},
    {"art/icon_options_qz.tga", "art/icon_options_lit_qz.tga", R_PANEL},
    {"art/icon_showmoves_qz.tga", "art/icon_showmoves_lit_qz.tga", R_PANEL},
    {"art/icon_hint_qz.tga", "art/icon_hint_lit_qz.tga", R_PANEL},
    {"art/icon_pause_qz.tga", "art/icon_pause_lit_qz.tga", R_PANEL},
    {"art/icon_newgame_qz.tga", "art/icon_newgame_lit_qz.tga", R_PANEL},
    {"art/icon_rules_qz.tga", "art/icon_rules_lit_qz.tga", R_PANEL},
    {"art/icon_shuffle_qz.tga", "art/icon_shuffle_lit_qz.tga", R_PANEL},
    {"art/icon_undo_qz.tga", "art/icon_undo_lit_qz.tga", R_PANEL},
    {"art/icon_start_qz.tga", "art/icon_start_lit_qz.tga", R_BOARD},
    {nullptr, "art/icon_clicktocontinue_lit.tga", R_BOARD},
    {nullptr, "art/icon_clicktocontinue_lit.tga", R_BOARD},
    {"art/arrow_left_qz.tga", "art/arrow_left_lit_qz.tga", R_BOARD},
    {"art/arrow_right_qz.tga", "art/arrow_right_lit_qz.tga", R_BOARD},
    {"art/arrow_left_qz.tga", "art/arrow_left_lit_qz.tga", R_BOARD},
    {"art/arrow_right_qz.tga", "art/arrow_right_lit_qz.tga", R_BOARD},
    {"art/arrow_left_qz.tga", "art/arrow_left_lit_qz.tga", R_BOARD},
    {"art/arrow_right_qz.tga", "art/arrow_right_lit_qz.tga", R_BOARD},
    {"art/icon_score_qz.tga", "art/icon_score_qz.tga", R_STRIP},
    {"art/icon_available_qz.tga", "art/icon_available_qz.tga", R_STRIP},
    {"art/icon_tiles_left_qz.tga", "art/icon_tiles_left_qz.tga", R_STRIP},
};

// What the hint button shows while a tile is selected, and the pause button
// while the game is suspended.
const Look kFindMatch = {"art/icon_findmatch_qz.tga", "art/icon_findmatch_lit_qz.tga", R_PANEL};
const Look kResume = {"art/icon_resume_qz.tga", "art/icon_resume_lit_qz.tga", R_PANEL};

// The left panel's picture.
const char* const kLeftPanel = "art/left_qz.jpg";

// The archive entry of the picture the button's delegate draws in the
// button's present state; "" for none.
std::string artShown(UIControl* c)
{
    const MVSprite* s = static_cast<MVControlDelegate*>(c->getControlDelegate())->m_getSpriteForControl(c);
    return s ? s->getSpriteName() : "";
}

std::string artOf(const char* name)
{
    return name ? name : "";
}

// The archive's picture against the session's screen at the button's place.
ArchivePictures::Match pictureAt(ArchivePictures& pictures, const QinvarSession& session, UIControl* c,
                                 const char* art)
{
    const HScreenRect& r = c->getControlRect();
    return pictures.compare(art, r.left, r.top, [&session](int32_t x, int32_t y) { return session.rgbAt(x, y); });
}

// The screen shows the whole picture there (every pixel that is drawn as
// it is).
void expectPictureAt(ArchivePictures& pictures, const QinvarSession& session, UIControl* c, const char* art)
{
    const ArchivePictures::Match m = pictureAt(pictures, session, c, art);
    EXPECT_GT(m.compared, 0) << art;
    EXPECT_EQ(m.differing, 0) << art << ": " << m.differing << " of " << m.compared << " pixels differ";
}

bool within(const HScreenRect& inner, const HScreenRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool overlap(const HScreenRect& a, const HScreenRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

const char* const kClick = "sound/qv_guiclick.wav";
const char* const kArrow = "sound/qv_click.wav";
const char* const kHintSound = "sound/qv_hint.ogg";

HEvent press(int32_t x, int32_t y, uint64_t time = 2000)
{
    return InputEvents::s_buttonDown(time, HScreenPoint{x, y});
}

HEvent release(int32_t x, int32_t y, uint64_t time = 2010)
{
    return InputEvents::s_buttonUp(time, HScreenPoint{x, y});
}

HEvent move(int32_t x, int32_t y, uint64_t time = 2000)
{
    return InputEvents::s_mouseMove(time, HScreenPoint{x, y});
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

    ButtonsGame& game() { return session.game(); }
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
    // What the game shows: the active buttons that are enabled (a disabled
    // button draws no picture and takes no event).
    std::vector<Button> shownButtons()
    {
        std::vector<Button> out;
        for (Button b : activeButtons()) {
            if (button(b)->isEnabled())
                out.push_back(b);
        }
        return out;
    }
    // The pictures the button takes now: the hint button's while a tile is
    // selected, the pause button's while the game is suspended.
    const Look& lookNow(Button b)
    {
        if (b == B_HINT && game().getBoard()->selectedTile)
            return kFindMatch;
        if (b == B_PAUSE && game().isSuspended())
            return kResume;
        return kLooks[b];
    }

    // The whole screen through the game's drawing passes, presented.
    void drawScreen()
    {
        game().invalidateWholeScreen();
        game().drawGame(false);
        game().updateScreen();
    }
    // The archive's picture against the screen at the button's place.
    ArchivePictures::Match onScreen(Button b, const char* art) { return pictureAt(pictures, session, button(b), art); }
    void expectOnScreen(Button b, const char* art) { expectPictureAt(pictures, session, button(b), art); }

    GameSession<ButtonsGame> session;
    std::vector<UIControl*> buttons;
    ArchivePictures pictures;
};

std::string names(const std::vector<Button>& list)
{
    std::string out;
    for (Button b : list)
        out += std::string(out.empty() ? "" : ", ") + kNames[b];
    return out;
}

TEST_F(ControlsTest, EachButtonSitsInItsPlaceWithItsPictures)
{
    // The left panel is its picture's size; the board area is the rest of
    // the screen; each label of the strip stands left of its own counter.
    const H2DDisplayDevice* display = game().getDisplayDevice();
    ASSERT_NE(display, nullptr);
    const HScreenRect panel(0, 0, screen::widthOf(kLeftPanel), screen::heightOf(kLeftPanel));
    ASSERT_GT(panel.right, 0);
    const HScreenRect boardArea(panel.right, 0, display->m_iScreenWidth, display->m_iScreenHeight);
    for (int b = 0; b < B_COUNT; ++b) {
        SCOPED_TRACE(kNames[b]);
        const Look& look = kLooks[b];
        UIControl* c = button(static_cast<Button>(b));
        // No class record of their own.
        EXPECT_EQ(c->getClassInfo(), &UIControl::sm_classInfoUIControl);
        // Sized by the lit picture, which is also the pushed one: the size
        // the archive's manifest gives it.
        const HScreenRect& r = c->getControlRect();
        EXPECT_EQ(r.width(), screen::widthOf(look.lit));
        EXPECT_EQ(r.height(), screen::heightOf(look.lit));
        EXPECT_TRUE(within(r, look.region == R_PANEL ? panel : boardArea)) << "at " << r.left << "," << r.top;
        if (look.region == R_STRIP) {
            EXPECT_EQ(r.top, button(B_LABEL_TIME)->getControlRect().top) << "the labels stand on one row";
            const geo::Box counter = b == B_LABEL_TIME    ? geo::kClockArea
                                     : b == B_LABEL_MOVES ? geo::kPairsArea
                                                          : geo::kTilesLeftArea;
            EXPECT_LE(r.right, counter.x);
        }

        // Unlit, lit, pushed: the archive's pictures that the delegate holds
        // (a disabled button shows none; enabled for a moment, it shows what
        // it holds). The hint and pause buttons' pictures are checked where
        // they swap.
        if (b == B_HINT || b == B_PAUSE)
            continue;
        const bool enabled = c->isEnabled();
        c->enableControl(true);
        c->m_setLit(false);
        c->m_setPushed(false);
        EXPECT_EQ(artShown(c), artOf(look.normal));
        c->m_setLit(true);
        EXPECT_EQ(artShown(c), look.lit);
        const MVSprite* lit = shown(static_cast<Button>(b));
        ASSERT_NE(lit, nullptr);
        EXPECT_EQ(r.width(), lit->getSpriteWidth());
        EXPECT_EQ(r.height(), lit->getSpriteHeight());
        c->m_setLit(false);
        c->m_setPushed(true);
        EXPECT_EQ(artShown(c), look.lit);
        c->m_setPushed(false);
        c->enableControl(enabled);
    }
    // The game keeps the buttons that the play flow reaches.
    EXPECT_EQ(game().showMovesButton(), button(B_SHOW_MOVES));
    EXPECT_EQ(game().undoButton(), button(B_UNDO));
    EXPECT_EQ(game().getUndoButton(), button(B_UNDO));
    EXPECT_EQ(game().shuffleButton(), button(B_SHUFFLE));
    EXPECT_EQ(game().newGameButton(), button(B_NEW_GAME));
}

TEST_F(ControlsTest, TheButtonsShownTogetherDoNotOverlap)
{
    // A full board: the shuffle button shows whenever a game is in play.
    game().getBoard()->tilesLeft = QVBoard::kTileCount;
    for (int32_t state : {GS_START, GS_PLAYING, GS_WON, GS_NO_MORE_MOVES}) {
        SCOPED_TRACE("state " + std::to_string(state));
        game().setState(state);
        const std::vector<Button> shown = shownButtons();
        for (size_t i = 0; i < shown.size(); ++i) {
            for (size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(overlap(button(shown[i])->getControlRect(), button(shown[j])->getControlRect()))
                    << kNames[shown[i]] << " and " << kNames[shown[j]];
        }
    }
    game().getBoard()->tilesLeft = 0;
    game().setState(GS_START);
}

TEST_F(ControlsTest, TheButtonsAreMadeOnce)
{
    game().m_createControls();
    int count = 0;
    const HObjectList* list = game().getUIManager()->getControlList();
    for (HContainerNode* n = list->beginIteration(); n; n = list->next(n))
        ++count;
    EXPECT_EQ(count, B_COUNT);
    EXPECT_EQ(game().newGameButton(), button(B_NEW_GAME));
}

TEST_F(ControlsTest, TheNoMatchMessageIsCentredAboveTheBoardsMiddle)
{
    MVSprite* message = sprite(QVS_NO_MATCH);
    ASSERT_NE(message, nullptr);
    const int32_t w = message->getSpriteWidth();
    const int32_t h = message->getSpriteHeight();
    const HScreenRect& area = game().getNoMatchArea();
    // Its middle on the board area's middle across (to the pixel that the
    // halving loses), 50 pixels above the screen's middle.
    const H2DDisplayDevice* display = game().getDisplayDevice();
    ASSERT_NE(display, nullptr);
    const int32_t boardLeft = sprite(QVS_LEFT_PANEL)->getSpriteWidth();
    EXPECT_LE(std::abs((area.left + area.right) - (boardLeft + display->m_iScreenWidth)), 1);
    EXPECT_LE(std::abs((area.top + area.bottom) - (display->m_iScreenHeight - 2 * 50)), 1);
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

// Which buttons each state shows, and what the screen holds: each shown
// button's own picture of the archive in its place, its lit picture while
// the pointer is over it, and nothing of a hidden button's.
TEST_F(ControlsTest, EachStateShowsItsButtons)
{
    const std::vector<Button> always = {B_EXIT, B_OPTIONS, B_RULES};
    const std::vector<Button> labels = {B_LABEL_TIME, B_LABEL_MOVES, B_LABEL_TILES};
    struct Case {
        const char* what;
        int32_t state;
        bool suspended;
        bool selected; // a tile of the board selected
        std::vector<Button> more;
    };
    const Case cases[] = {
        {"the start screen", GS_START, false, false,
         {B_START, B_TABLE_TOP_DOWN, B_TABLE_TOP_UP, B_TILE_SET_DOWN, B_TILE_SET_UP, B_LAYOUT_DOWN, B_LAYOUT_UP}},
        {"the start screen, suspended", GS_START, true, false, {}},
        {"a board in play", GS_PLAYING, false, false, {B_HINT, B_PAUSE, B_NEW_GAME, B_SHUFFLE}},
        {"a board in play, a tile selected", GS_PLAYING, false, true, {B_HINT, B_PAUSE, B_NEW_GAME, B_SHUFFLE}},
        // The shuffle button stays; its action refuses while suspended.
        {"a board in play, suspended", GS_PLAYING, true, false, {B_PAUSE, B_SHUFFLE}},
        {"won", GS_WON, false, false, {B_CONTINUE_WON}},
        {"won, suspended", GS_WON, true, false, {}},
        {"no more moves", GS_NO_MORE_MOVES, false, false, {B_CONTINUE_NO_MORE_MOVES}},
        {"no more moves, suspended", GS_NO_MORE_MOVES, true, false, {}},
        {"quitting", GS_QUITTING, false, false, {}},
        {"quitting, suspended", GS_QUITTING, true, false, {}},
    };
    ASSERT_TRUE(pictures.ok()) << ArchiveBoard::s_archivePath();
    // A board dealt and in play (a full one: the shuffle button shows
    // whenever a game is in play); the other states are set over it.
    game().startBoard();
    ASSERT_EQ(game().getState(), GS_PLAYING);
    ASSERT_EQ(game().getBoard()->tilesLeft, QVBoard::kTileCount);
    QVTile* selectable = &game().getBoard()->tiles[0];
    // Where the pointer rests between checks: on the left panel, over no
    // button.
    const HScreenPoint away{5, 5};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game().setState(c.state);
        game().m_suspendGame(c.suspended);
        ASSERT_EQ(game().isSuspended(), c.suspended);
        if (c.selected)
            game().selectTile(selectable);
        else
            game().deselect();
        offer(move(away.x, away.y));

        std::vector<Button> expected = always;
        expected.insert(expected.end(), c.more.begin(), c.more.end());
        if ((c.state == GS_WON || c.state == GS_NO_MORE_MOVES || c.state == GS_PLAYING) && !c.suspended)
            expected.insert(expected.end(), labels.begin(), labels.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names(shownButtons()), names(expected));
        // The show-moves button counts as active in every state; being
        // disabled it is never drawn nor offered events all the same.
        std::vector<Button> active = expected;
        active.push_back(B_SHOW_MOVES);
        std::sort(active.begin(), active.end());
        EXPECT_EQ(names(activeButtons()), names(active));

        drawScreen();
        for (int i = 0; i < B_COUNT; ++i) {
            const Button b = static_cast<Button>(i);
            SCOPED_TRACE(kNames[b]);
            const bool isShown = std::find(expected.begin(), expected.end(), b) != expected.end();
            const Look& look = lookNow(b);
            if (isShown && look.normal) {
                expectOnScreen(b, look.normal);
            } else if (look.normal) {
                EXPECT_GT(onScreen(b, look.normal).differing, 0) << "a hidden button is not drawn";
            } else {
                EXPECT_GT(onScreen(b, look.lit).differing, 0) << "invisible away from the pointer";
            }
        }
        // The pointer over each shown button lights it.
        for (Button b : expected) {
            SCOPED_TRACE(kNames[b]);
            const HScreenPoint at = inside(b);
            offer(move(at.x, at.y));
            EXPECT_TRUE(button(b)->isLit());
            drawScreen();
            const Look& look = lookNow(b);
            expectOnScreen(b, look.lit);
            if (look.normal && std::string(look.normal) != look.lit) {
                EXPECT_GT(onScreen(b, look.normal).differing, 0) << "the lit picture is another";
            }
            offer(move(away.x, away.y));
            EXPECT_FALSE(button(b)->isLit());
        }
    }
    game().deselect();
    game().m_suspendGame(false);
    game().setState(GS_START);
}

TEST_F(ControlsTest, TheShuffleButtonHidesAtTwoTilesOrFewer)
{
    QVBoard* board = game().getBoard();
    game().setState(GS_PLAYING);
    for (int32_t tiles : {144, 4, 3, 2, 1, 0}) {
        board->tilesLeft = tiles;
        EXPECT_EQ(button(B_SHUFFLE)->isActive(), tiles > 2) << tiles << " tiles";
    }
    board->tilesLeft = 144;
    for (int32_t state : {GS_START, GS_WON, GS_NO_MORE_MOVES, GS_QUITTING}) {
        game().setState(state);
        EXPECT_FALSE(button(B_SHUFFLE)->isActive()) << "state " << state;
    }
    board->tilesLeft = 0;
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
        EXPECT_EQ(artShown(button(b)), kLooks[b].lit);
        // The pointer leaves: nothing shows.
        EXPECT_FALSE(offer(move(5, 5)));
        EXPECT_FALSE(button(b)->isLit());
        EXPECT_EQ(shown(b), nullptr);
    }
    game().setState(GS_START);
}

// Which buttons show follows the game's state, its pause and the board, and
// a hidden button is offered no mouse move. Each button is lit exactly while
// it shows under the pointer, through every event the game gets (a tick
// here): it goes out when it goes while lit, lights when it comes back under
// a pointer at rest, and stays out when the pointer left it while it was
// hidden.
TEST_F(ControlsTest, AButtonIsLitExactlyWhileItShowsUnderThePointer)
{
    struct Case {
        const char* name;
        Button button;
        std::function<void(bool show)> set;
    };
    QVBoard* board = game().getBoard();
    const Case cases[] = {
        {"shuffle, by the tiles left", B_SHUFFLE, [&](bool show) { board->tilesLeft = show ? 4 : 2; }},
        {"new game, by the state", B_NEW_GAME, [&](bool show) { game().setState(show ? GS_PLAYING : GS_START); }},
        {"hint, by the pause", B_HINT, [&](bool show) { game().setSuspended(!show); }},
    };
    uint64_t t = 3000;
    const auto tick = [&] { offer(InputEvents::s_timestamp(t += 10)); };
    game().setState(GS_PLAYING);
    board->tilesLeft = 144;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UIControl* b = button(c.button);
        const HScreenPoint at = inside(c.button);
        offer(move(at.x, at.y, t += 10));
        ASSERT_TRUE(b->isLit());
        c.set(false);
        tick();
        EXPECT_FALSE(b->isActive());
        EXPECT_FALSE(b->isLit()) << "went while lit";
        c.set(true);
        tick();
        EXPECT_TRUE(b->isLit()) << "came back under the pointer";
        EXPECT_EQ(artShown(b), kLooks[c.button].lit);
        c.set(false);
        tick();
        offer(move(5, 5, t += 10));
        c.set(true);
        tick();
        EXPECT_TRUE(b->isActive());
        EXPECT_FALSE(b->isLit()) << "came back with the pointer elsewhere";
        EXPECT_EQ(artShown(b), kLooks[c.button].normal);
    }
    board->tilesLeft = 0;
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
    EXPECT_EQ(artShown(button(B_PAUSE)), kLooks[B_PAUSE].normal);
    pause->m_setLit(true);
    EXPECT_EQ(artShown(button(B_PAUSE)), kLooks[B_PAUSE].lit);

    game().setSuspended(true);
    EXPECT_TRUE(pause->isActive());
    game().getDirtyList()->clearDirtyList();
    pause->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(artShown(button(B_PAUSE)), kResume.lit);
    pause->m_setLit(false);
    EXPECT_EQ(artShown(button(B_PAUSE)), kResume.normal);
    // The change of pictures asked for the button to be drawn again.
    ASSERT_GE(game().getDirtyList()->getRectangleCount(), 1);

    game().setSuspended(false);
    pause->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(artShown(button(B_PAUSE)), kLooks[B_PAUSE].normal);
    game().setState(GS_START);
}

TEST_F(ControlsTest, TheHintButtonShowsFindMatchWhileATileIsSelected)
{
    game().setState(GS_PLAYING);
    UIControl* hint = button(B_HINT);
    QVBoard* board = game().getBoard();
    board->selectedTile = nullptr;
    hint->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(artShown(button(B_HINT)), kLooks[B_HINT].normal);

    board->selectedTile = &board->tiles[0];
    game().getDirtyList()->clearDirtyList();
    hint->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(artShown(button(B_HINT)), kFindMatch.normal);
    hint->m_setLit(true);
    EXPECT_EQ(artShown(button(B_HINT)), kFindMatch.lit);
    ASSERT_GE(game().getDirtyList()->getRectangleCount(), 1);

    board->selectedTile = nullptr;
    hint->drawControl(HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(artShown(button(B_HINT)), kLooks[B_HINT].lit);
    hint->m_setLit(false);
    game().setState(GS_START);
}

// --- The buttons in the running game -------------------------------------
//
// The game's own main loop over a script of event batches: the pointer
// moves onto a button and presses it, modal dialogs that a button opens
// take the next batches, and checks run between batches.

class ButtonFlow : public play::GameFixture<ButtonsGame> {
protected:
    // The game, its first event (which seeds the deal) at seedTime; the
    // mirror holds that deal.
    void start(uint64_t seedTime = 20000)
    {
        m_t = seedTime;
        ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(seedTime)));
        startSession(seedTime);
    }

    uint64_t next() { return m_t += 10; }
    // The pointer onto the button, then the left button down there.
    void pressOn(Button b)
    {
        const HScreenPoint p = centreOf(b);
        at({move(p.x, p.y, next()), press(p.x, p.y, next())});
    }
    void releaseOn(Button b)
    {
        const HScreenPoint p = centreOf(b);
        at({release(p.x, p.y, next())});
    }
    void clickOn(Button b)
    {
        pressOn(b);
        releaseOn(b);
    }
    void clickAt(HScreenPoint p, bool right = false)
    {
        const uint32_t button = right ? KC_RBUTTON : KC_LBUTTON;
        at({move(p.x, p.y, next()), InputEvents::s_buttonDown(next(), p, button)});
        at({InputEvents::s_buttonUp(next(), p, button)});
    }
    // Return, which closes a dialog through its default item.
    void enter() { at({play::enter(next())}); }
    // A batch with no events but a check, run while a dialog waits.
    void whileUp(std::function<void()> fn) { at({play::tick(next())}, std::move(fn)); }

    UIControl* button(Button b)
    {
        std::vector<UIControl*> list;
        const HObjectList* controls = game().getUIManager()->getControlList();
        for (HContainerNode* n = controls->beginIteration(); n; n = controls->next(n))
            list.push_back(static_cast<UIControl*>(n->getNodeContents()));
        // Newest first in the manager.
        return list[list.size() - 1 - static_cast<size_t>(b)];
    }
    MVSprite* shown(Button b)
    {
        return static_cast<MVControlDelegate*>(button(b)->getControlDelegate())->m_getSpriteForControl(button(b));
    }
    // The screen shows the archive's picture at the button's place.
    void expectOnScreen(Button b, const char* art) { expectPictureAt(pictures, *session, button(b), art); }
    // The button neither held nor holding the capture.
    void expectLetGo(Button b)
    {
        EXPECT_FALSE(button(b)->m_isPushed()) << kNames[b];
        EXPECT_EQ(game().getUIManager()->getCapture(), nullptr) << kNames[b];
    }
    // A free tile of the deal that a click on its face's middle hits.
    int freeTile()
    {
        for (int i = 0; i < QVBoard::kTileCount; ++i) {
            if (ArchiveBoard::s_clickable(mirror.board, i) && mirror.board.tileIsFree(&mirror.board.tiles[i]))
                return i;
        }
        return -1;
    }
    // The middle of a button where the game placed it.
    HScreenPoint centreOf(Button b) { return screen::middle(button(b)->getControlRect()); }
    // A fingerprint of the screen inside the button's rectangle.
    uint64_t screenAt(Button b)
    {
        const HScreenRect r = button(b)->getControlRect();
        uint64_t h = 1469598103934665603ull;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            for (int32_t x = r.left; x < r.right; ++x)
                h = (h ^ session->rgbAt(x, y)) * 1099511628211ull;
        }
        return h;
    }
    // Saves the screen into the build directory, to look at.
    void savePicture(const std::string& name) { session->savePng(pictureFile("buttons_" + name + ".png")); }

    ArchivePictures pictures;

private:
    uint64_t m_t = 0;
};

const std::string kClickPlayed = std::string(kClick) + "+";
const std::string kArrowPlayed = std::string(kArrow) + "+";
const std::string kHintPlayed = std::string(kHintSound) + "+";

TEST_F(ButtonFlow, ThePickersStepTheirChoiceAndStartDealsTheBoard)
{
    start();
    check([this] {
        EXPECT_EQ(game().getState(), GS_START);
        game().takeEffects();
        savePicture("start");
    });
    struct Step {
        Button button;
        int32_t background, tileSet, layout;
    };
    const Step steps[] = {
        {B_TABLE_TOP_DOWN, Qinvar::kBackgroundCount - 1, 0, 0},
        {B_TABLE_TOP_UP, 0, 0, 0},
        {B_TABLE_TOP_UP, 1, 0, 0},
        {B_TILE_SET_DOWN, 1, Qinvar::kTileSetCount - 1, 0},
        {B_TILE_SET_UP, 1, 0, 0},
        {B_LAYOUT_UP, 1, 0, 1},
        {B_LAYOUT_DOWN, 1, 0, 0},
        {B_LAYOUT_DOWN, 1, 0, Qinvar::kLayoutCount - 1},
        {B_LAYOUT_UP, 1, 0, 0},
    };
    for (const Step& step : steps) {
        clickOn(step.button);
        check([this, step] {
            SCOPED_TRACE(kNames[step.button]);
            const QVOptions* o = game().getOptions();
            EXPECT_EQ(o->background, step.background);
            EXPECT_EQ(o->tileSet, step.tileSet);
            EXPECT_EQ(o->layout, step.layout);
            EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kArrowPlayed});
            EXPECT_EQ(game().getState(), GS_START);
            expectLetGo(step.button);
        });
    }
    clickOn(B_START);
    check([this] {
        EXPECT_EQ(game().getState(), GS_PLAYING);
        EXPECT_EQ(game().getBoard()->tilesLeft, QVBoard::kTileCount);
        EXPECT_TRUE(mirror.sameDeal(*game().getBoard())) << "the start button deals the chosen layout";
        const std::vector<std::string> effects = game().takeEffects();
        ASSERT_FALSE(effects.empty());
        EXPECT_EQ(effects.front(), kClickPlayed);
        // The start screen's buttons went, the play buttons came.
        for (Button b : {B_START, B_TABLE_TOP_DOWN, B_TABLE_TOP_UP, B_TILE_SET_DOWN, B_TILE_SET_UP, B_LAYOUT_DOWN,
                         B_LAYOUT_UP})
            EXPECT_FALSE(button(b)->isActive()) << kNames[b];
        for (Button b : {B_HINT, B_PAUSE, B_NEW_GAME, B_SHUFFLE, B_LABEL_TIME, B_LABEL_MOVES, B_LABEL_TILES})
            EXPECT_TRUE(button(b)->isActive()) << kNames[b];
        savePicture("playing");
    });
    run();
}

TEST_F(ButtonFlow, ThePauseButtonSuspendsAndResumesWithItsPictures)
{
    start();
    clickOn(B_START);
    uint64_t pausePicture = 0;
    // The pointer off the button, so it shows its unlit picture.
    at({move(300, 5, next())}, [this] { game().takeEffects(); });
    check([this, &pausePicture] {
        EXPECT_EQ(artShown(button(B_PAUSE)), kLooks[B_PAUSE].normal);
        expectOnScreen(B_PAUSE, kLooks[B_PAUSE].normal);
        pausePicture = screenAt(B_PAUSE);
    });
    clickOn(B_PAUSE);
    at({move(300, 5, next())}, [this] {
        EXPECT_TRUE(game().isSuspended());
        EXPECT_TRUE(game().isPaused());
        EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
        expectLetGo(B_PAUSE);
    });
    check([this, &pausePicture] {
        EXPECT_EQ(artShown(button(B_PAUSE)), kResume.normal);
        // The screen shows another picture there: the resume picture.
        EXPECT_NE(screenAt(B_PAUSE), pausePicture);
        expectOnScreen(B_PAUSE, kResume.normal);
        // While suspended only pause, shuffle and the always-there buttons remain.
        for (Button b : {B_HINT, B_NEW_GAME, B_LABEL_TIME, B_LABEL_MOVES, B_LABEL_TILES})
            EXPECT_FALSE(button(b)->isActive()) << kNames[b];
        EXPECT_TRUE(button(B_PAUSE)->isActive());
        savePicture("paused");
    });
    clickOn(B_PAUSE);
    at({move(300, 5, next())}, [this] {
        EXPECT_FALSE(game().isSuspended());
        EXPECT_FALSE(game().isPaused());
        EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
    });
    check([this, &pausePicture] {
        EXPECT_EQ(artShown(button(B_PAUSE)), kLooks[B_PAUSE].normal);
        EXPECT_EQ(screenAt(B_PAUSE), pausePicture);
    });
    run();
}

TEST_F(ButtonFlow, TheHintButtonHintsAndReadsFindMatchWhileATileIsSelected)
{
    start();
    clickOn(B_START);
    check([this] { game().takeEffects(); });
    clickOn(B_HINT);
    check([this] {
        // The hint plays its own sound; the button none.
        EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kHintPlayed});
        EXPECT_EQ(game().getGameStats().hints, 1);
        EXPECT_NE(game().getHintTile(0), nullptr);
        EXPECT_EQ(game().getPenaltySeconds(), 30);
        EXPECT_EQ(artShown(button(B_HINT)), kLooks[B_HINT].lit) << "the pointer is still over it";
        expectOnScreen(B_HINT, kLooks[B_HINT].lit);
    });
    const int slot = freeTile();
    ASSERT_GE(slot, 0);
    clickAt(ArchiveBoard::s_faceCentre(mirror.board.tiles[slot]));
    check([this, slot] {
        ASSERT_EQ(game().getBoard()->selectedTile, &game().getBoard()->tiles[slot]);
        EXPECT_EQ(artShown(button(B_HINT)), kFindMatch.normal);
        expectOnScreen(B_HINT, kFindMatch.normal);
        savePicture("find_match");
    });
    // The right button drops the selection: the hint picture comes back.
    clickAt(HScreenPoint{400, 470}, true);
    check([this] {
        EXPECT_EQ(game().getBoard()->selectedTile, nullptr);
        EXPECT_EQ(artShown(button(B_HINT)), kLooks[B_HINT].normal);
        expectOnScreen(B_HINT, kLooks[B_HINT].normal);
    });
    run();
}

TEST_F(ButtonFlow, TheShuffleButtonShufflesAndDisablesUndo)
{
    start();
    clickOn(B_START);
    check([this] { game().takeEffects(); });
    clickOn(B_SHUFFLE);
    check([this] {
        EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kHintPlayed});
        EXPECT_EQ(game().getGameStats().shuffles, 1);
        EXPECT_EQ(game().getPenaltySeconds(), 120);
        EXPECT_FALSE(game().undoButton()->isEnabled());
        EXPECT_FALSE(mirror.sameDeal(*game().getBoard())) << "the tiles moved";
    });
    run();
}

// The buttons that open a dialog are pushed and hold the capture when they
// run it; the dialog drops the capture when it closes, so a dialog closed
// with the keyboard leaves no button held, and the press's own release goes
// to the game.
TEST_F(ButtonFlow, NewGameAsksFirstAndLetsGoWhenTheKeyboardSaysNo)
{
    start();
    clickOn(B_START);
    check([this] { game().takeEffects(); });
    pressOn(B_NEW_GAME);
    whileUp([this] {
        EXPECT_EQ(game().confirmations(), 1);
        EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
        EXPECT_TRUE(button(B_NEW_GAME)->m_isPushed()) << "held while its dialog runs";
    });
    enter(); // no
    check([this] {
        EXPECT_EQ(game().getState(), GS_PLAYING);
        expectLetGo(B_NEW_GAME);
        game().takeMouse();
    });
    releaseOn(B_NEW_GAME);
    check([this] {
        const HScreenPoint p = centreOf(B_NEW_GAME);
        EXPECT_EQ(game().takeMouse(),
                  std::vector<std::string>{"release " + std::to_string(p.x) + "," + std::to_string(p.y)});
        expectLetGo(B_NEW_GAME);
    });
    // Asked again and answered yes: back to the start screen.
    clickOn(B_NEW_GAME);
    const HScreenPoint yes = play::confirmationButton(true);
    at({move(yes.x, yes.y, next()), press(yes.x, yes.y, next())});
    check([this] {
        EXPECT_EQ(game().confirmations(), 2);
        EXPECT_EQ(game().getState(), GS_START);
        expectLetGo(B_NEW_GAME);
    });
    run();
}

// A button shows lit only while the pointer is over it, also one that was lit
// when a dialog took the pointer and the screen changed under it. New game,
// yes, a layout arrow, start, again and again, the pointer parked in the
// corner between the clicks: the input device sends a click's press without
// the move that brought the pointer there (the press carries the point), and
// the event manager drops a move to where the last move went; so from the
// start screen on no move reaches the new-game button.
TEST_F(ButtonFlow, NewGameIsNotLitOnANewBoardWithThePointerElsewhere)
{
    start();
    clickOn(B_START);
    const HScreenPoint corner{600, 470};
    const HScreenPoint yes = play::confirmationButton(true);
    for (int round = 0; round < 3; ++round) {
        pressOn(B_NEW_GAME);
        whileUp([this, round] { EXPECT_EQ(game().confirmations(), round + 1); });
        at({move(yes.x, yes.y, next()), press(yes.x, yes.y, next())});
        at({release(yes.x, yes.y, next())});
        at({move(corner.x, corner.y, next())}, [this] { EXPECT_EQ(game().getState(), GS_START); });
        for (Button b : {B_LAYOUT_UP, B_START}) {
            const HScreenPoint p = centreOf(b);
            at({press(p.x, p.y, next())});
            at({release(p.x, p.y, next())});
            at({move(corner.x, corner.y, next())});
        }
        check([this, round] {
            SCOPED_TRACE("round " + std::to_string(round));
            ASSERT_EQ(game().getState(), GS_PLAYING);
            EXPECT_EQ(game().getOptions()->layout, round + 1);
            EXPECT_FALSE(button(B_NEW_GAME)->isLit());
            EXPECT_FALSE(button(B_NEW_GAME)->m_isPushed());
            EXPECT_EQ(artShown(button(B_NEW_GAME)), kLooks[B_NEW_GAME].normal);
            expectOnScreen(B_NEW_GAME, kLooks[B_NEW_GAME].normal);
            savePicture("new_board_pointer_in_the_corner");
        });
    }
    run();
}

TEST_F(ButtonFlow, ExitWhileSuspendedResumesAsksAndQuitsOnYes)
{
    start();
    clickOn(B_START);
    clickOn(B_PAUSE);
    check([this] {
        EXPECT_TRUE(game().isSuspended());
        game().takeEffects();
    });
    pressOn(B_EXIT);
    whileUp([this] {
        // Resumed before the question.
        EXPECT_FALSE(game().isSuspended());
        EXPECT_EQ(game().confirmations(), 1);
        EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
        EXPECT_TRUE(button(B_EXIT)->m_isPushed());
    });
    enter(); // no
    check([this] {
        EXPECT_EQ(game().getState(), GS_PLAYING);
        EXPECT_FALSE(game().isSuspended());
        expectLetGo(B_EXIT);
    });
    releaseOn(B_EXIT);
    check([this] { expectLetGo(B_EXIT); });
    clickOn(B_EXIT);
    const HScreenPoint yes = play::confirmationButton(true);
    at({move(yes.x, yes.y, next()), press(yes.x, yes.y, next())});
    run();
    EXPECT_EQ(game().getState(), GS_QUITTING);
    EXPECT_EQ(game().confirmations(), 2);
}

TEST_F(ButtonFlow, ExitFromTheStartScreenQuitsWithoutAQuestion)
{
    start();
    check([this] { game().takeEffects(); });
    pressOn(B_EXIT);
    run();
    EXPECT_EQ(game().getState(), GS_QUITTING);
    EXPECT_EQ(game().confirmations(), 0);
    EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
}

TEST_F(ButtonFlow, RulesShowTheSlideShowAndTheButtonLetsGoWhenTheKeyboardClosesIt)
{
    start();
    check([this] { game().takeEffects(); });
    for (int round = 0; round < 2; ++round) {
        pressOn(B_RULES);
        whileUp([this] {
            EXPECT_TRUE(game().isPaused()) << "the rules run on a paused clock";
            EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
            EXPECT_TRUE(button(B_RULES)->m_isPushed());
            savePicture("rules");
        });
        enter(); // done
        check([this] {
            EXPECT_FALSE(game().isPaused());
            expectLetGo(B_RULES);
            game().takeMouse();
        });
        releaseOn(B_RULES);
        check([this] {
            EXPECT_EQ(game().takeMouse().size(), 1u) << "the release went to the game";
            expectLetGo(B_RULES);
        });
    }
    run();
}

TEST_F(ButtonFlow, OptionsOpensItsDialogWithoutHoldingTheButton)
{
    start();
    check([this] { game().takeEffects(); });
    pressOn(B_OPTIONS);
    whileUp([this] {
        EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
        // Not pushable: nothing held, and not lit behind the dialog.
        EXPECT_FALSE(button(B_OPTIONS)->m_isPushed());
        EXPECT_EQ(game().getUIManager()->getCapture(), nullptr);
        EXPECT_FALSE(button(B_OPTIONS)->isLit());
        savePicture("options");
    });
    const HScreenPoint ok = screen::middle(screen::optionsOkButton());
    at({move(ok.x, ok.y, next()), press(ok.x, ok.y, next())});
    check([this] {
        EXPECT_EQ(game().getState(), GS_START);
        expectLetGo(B_OPTIONS);
    });
    run();
}

// The continue button of each end screen: invisible until the pointer is
// over it; a press enters the new best time (the name entry and the
// best-times dialog, both closed with Return) and returns to the start
// screen, leaving no button held.
TEST_F(ButtonFlow, ContinueEntersTheBestTimeAndReturnsToTheStartScreen)
{
    for (int32_t end : {GS_WON, GS_NO_MORE_MOVES}) {
        SCOPED_TRACE("state " + std::to_string(end));
        start();
        clickOn(B_START);
        const Button cont = end == GS_WON ? B_CONTINUE_WON : B_CONTINUE_NO_MORE_MOVES;
        at({move(300, 5, next())}, [this, end] {
            game().m_setGameState(end);
            game().invalidateWholeScreen();
            game().takeEffects();
        });
        check([this, cont] {
            EXPECT_TRUE(button(cont)->isActive());
            EXPECT_EQ(shown(cont), nullptr) << "invisible away from the pointer";
        });
        const HScreenPoint p = centreOf(cont);
        at({move(p.x, p.y, next())});
        check([this, cont] {
            EXPECT_EQ(artShown(button(cont)), kLooks[cont].lit);
            expectOnScreen(cont, kLooks[cont].lit);
            savePicture(std::string("continue_") + (cont == B_CONTINUE_WON ? "won" : "no_more_moves"));
        });
        at({press(p.x, p.y, next())});
        whileUp([this, cont] {
            EXPECT_EQ(game().takeEffects(), std::vector<std::string>{kClickPlayed});
            EXPECT_TRUE(button(cont)->m_isPushed());
            EXPECT_EQ(game().getLastHighScorePlace(), 0) << "the name entry is up";
        });
        enter(); // the name entry
        enter(); // the best times
        check([this, cont] {
            EXPECT_EQ(game().getState(), GS_START);
            expectLetGo(cont);
            game().takeMouse();
        });
        at({release(p.x, p.y, next())});
        check([this, cont] {
            EXPECT_EQ(game().takeMouse().size(), 1u) << "the release went to the game";
            expectLetGo(cont);
        });
        run();
        session.reset();
    }
}

} // namespace
