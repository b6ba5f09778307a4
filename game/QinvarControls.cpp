// The buttons of the game screen: the left panel's buttons, the start
// screen's start button and pickers, the continue buttons of the end screens
// and the labels of the information strip. They are created once, after the
// sprites are loaded; the UI manager owns them from then on, routes the
// mouse to them and draws them over the board.
#include "game/Qinvar.h"

#include "engine/core/HObjectList.h"
#include "game/QVClickToContinueControl.h"
#include "game/QVClickToStartControl.h"
#include "game/QVExitControl.h"
#include "game/QVHintControl.h"
#include "game/QVLabelControl.h"
#include "game/QVLayoutDecrementControl.h"
#include "game/QVLayoutIncrementControl.h"
#include "game/QVOptionsControl.h"
#include "game/QVPauseControl.h"
#include "game/QVRestartControl.h"
#include "game/QVRulesControl.h"
#include "game/QVShowMovesControl.h"
#include "game/QVShuffleControl.h"
#include "game/QVTableTopDecrementControl.h"
#include "game/QVTableTopIncrementControl.h"
#include "game/QVTileSetDecrementControl.h"
#include "game/QVTileSetIncrementControl.h"
#include "game/QVUndoControl.h"
#include "game/ScreenGeometry.h"
#include "ui/MVControlDelegate.h"

namespace {

enum ButtonKind {
    BK_EXIT,
    BK_OPTIONS,
    BK_SHOW_MOVES,
    BK_HINT,
    BK_PAUSE,
    BK_NEW_GAME,
    BK_RULES,
    BK_SHUFFLE,
    BK_UNDO,
    BK_START,
    BK_CONTINUE,
    BK_TABLE_TOP_DOWN,
    BK_TABLE_TOP_UP,
    BK_TILE_SET_DOWN,
    BK_TILE_SET_UP,
    BK_LAYOUT_DOWN,
    BK_LAYOUT_UP,
    BK_LABEL,
};

// A slot that gives no picture (the continue button has only a lit one).
constexpr int kNoSprite = -1;

struct ButtonRow {
    ButtonKind kind;
    geo::Point at;  // top-left corner on the screen
    int normal;     // sprite slots; the lit picture is the pushed one too
    int lit;
    int32_t state;  // the state-limited buttons' state
};

// In the order of creation: the UI manager keeps the newest first, so the
// last row is offered events and drawn first.
const ButtonRow kButtons[] = {
    {BK_EXIT, geo::kExitButton, QVS_EXIT, QVS_EXIT_LIT, GS_START},
    {BK_OPTIONS, geo::kOptionsButton, QVS_OPTIONS, QVS_OPTIONS_LIT, GS_START},
    {BK_SHOW_MOVES, geo::kShowMovesButton, QVS_SHOW_MOVES, QVS_SHOW_MOVES_LIT, GS_START},
    {BK_HINT, geo::kHintButton, QVS_HINT, QVS_HINT_LIT, GS_PLAYING},
    {BK_PAUSE, geo::kPauseButton, QVS_PAUSE, QVS_PAUSE_LIT, GS_PLAYING},
    {BK_NEW_GAME, geo::kNewGameButton, QVS_NEW_GAME, QVS_NEW_GAME_LIT, GS_PLAYING},
    {BK_RULES, geo::kRulesButton, QVS_RULES, QVS_RULES_LIT, GS_START},
    {BK_SHUFFLE, geo::kShuffleButton, QVS_SHUFFLE, QVS_SHUFFLE_LIT, GS_PLAYING},
    {BK_UNDO, geo::kUndoButton, QVS_UNDO, QVS_UNDO_LIT, GS_PLAYING},
    {BK_START, geo::kStartButton, QVS_START_BUTTON, QVS_START_BUTTON_LIT, GS_START},
    {BK_CONTINUE, geo::kContinueButton, kNoSprite, QVS_CONTINUE_LIT, GS_NO_MORE_MOVES},
    {BK_CONTINUE, geo::kContinueButton, kNoSprite, QVS_CONTINUE_LIT, GS_WON},
    {BK_TABLE_TOP_DOWN, geo::kArrows[0], QVS_ARROW_LEFT, QVS_ARROW_LEFT_LIT, GS_START},
    {BK_TABLE_TOP_UP, geo::kArrows[1], QVS_ARROW_RIGHT, QVS_ARROW_RIGHT_LIT, GS_START},
    {BK_TILE_SET_DOWN, geo::kArrows[2], QVS_ARROW_LEFT, QVS_ARROW_LEFT_LIT, GS_START},
    {BK_TILE_SET_UP, geo::kArrows[3], QVS_ARROW_RIGHT, QVS_ARROW_RIGHT_LIT, GS_START},
    {BK_LAYOUT_DOWN, geo::kArrows[4], QVS_ARROW_LEFT, QVS_ARROW_LEFT_LIT, GS_START},
    {BK_LAYOUT_UP, geo::kArrows[5], QVS_ARROW_RIGHT, QVS_ARROW_RIGHT_LIT, GS_START},
    {BK_LABEL, geo::kClockLabel, QVS_SCORE_LABEL, QVS_SCORE_LABEL, GS_START},
    {BK_LABEL, geo::kPairsLabel, QVS_AVAILABLE_LABEL, QVS_AVAILABLE_LABEL, GS_START},
    {BK_LABEL, geo::kTilesLabel, QVS_TILES_LEFT_LABEL, QVS_TILES_LEFT_LABEL, GS_START},
};

// A state-limited button of its row's state, not active while suspended.
template <class T>
UIControl* makeStateLimited(MVControlDelegate* delegate, Qinvar* game, int32_t state)
{
    T* control = new T(delegate, game);
    control->setActiveState(state);
    control->setActiveWhileSuspended(false);
    return control;
}

} // namespace

const char* const Qinvar::s_kpButtonSound = "sound/qv_guiclick.wav";
const char* const Qinvar::s_kpArrowSound = "sound/qv_click.wav";

void Qinvar::m_createControls()
{
    // Once per set of controls: a second set would lie under the first. The
    // pointers are only compared, never followed: after the UI manager's
    // shutdown they name deleted controls.
    if (m_pNewGameButton && m_uiManager.getControlList()) {
        const HObjectList* list = m_uiManager.getControlList();
        for (HContainerNode* n = list->beginIteration(); n; n = list->next(n)) {
            if (n->getNodeContents() == static_cast<HObject*>(m_pNewGameButton))
                return;
        }
    }
    m_pShowMovesButton = nullptr;
    m_pUndoButton = nullptr;
    m_pShuffleButton = nullptr;
    m_pNewGameButton = nullptr;

    // The no-match message sits centred on the board area, 50 pixels above
    // its middle.
    MVSprite* noMatch = getSprite(QVS_NO_MATCH);
    const int32_t w = noMatch ? noMatch->getSpriteWidth() : 0;
    const int32_t h = noMatch ? noMatch->getSpriteHeight() : 0;
    const geo::Point at = geo::noMatchAt(w, h);
    m_noMatchArea = HScreenRect(at.x, at.y, at.x + w, at.y + h);

    for (const ButtonRow& row : kButtons) {
        MVControlDelegate* delegate = new MVControlDelegate();
        UIControl* control = nullptr;
        switch (row.kind) {
        case BK_EXIT:
            control = new QVExitControl(delegate, this);
            break;
        case BK_OPTIONS:
            control = new QVOptionsControl(delegate, this);
            break;
        case BK_SHOW_MOVES:
            control = new QVShowMovesControl(delegate, this);
            break;
        case BK_HINT:
            control = makeStateLimited<QVHintControl>(delegate, this, row.state);
            break;
        case BK_PAUSE: {
            QVPauseControl* pause = new QVPauseControl(delegate, this);
            pause->setSprites(getSprite(QVS_PAUSE), getSprite(QVS_PAUSE_LIT), getSprite(QVS_RESUME),
                              getSprite(QVS_RESUME_LIT));
            control = pause;
            break;
        }
        case BK_NEW_GAME:
            control = makeStateLimited<QVRestartControl>(delegate, this, row.state);
            break;
        case BK_RULES:
            control = new QVRulesControl(delegate, this);
            break;
        case BK_SHUFFLE:
            control = new QVShuffleControl(delegate, this);
            break;
        case BK_UNDO:
            control = new QVUndoControl(delegate, this);
            break;
        case BK_START:
            control = makeStateLimited<QVClickToStartControl>(delegate, this, row.state);
            break;
        case BK_CONTINUE:
            control = makeStateLimited<QVClickToContinueControl>(delegate, this, row.state);
            break;
        case BK_TABLE_TOP_DOWN:
            control = makeStateLimited<QVTableTopDecrementControl>(delegate, this, row.state);
            break;
        case BK_TABLE_TOP_UP:
            control = makeStateLimited<QVTableTopIncrementControl>(delegate, this, row.state);
            break;
        case BK_TILE_SET_DOWN:
            control = makeStateLimited<QVTileSetDecrementControl>(delegate, this, row.state);
            break;
        case BK_TILE_SET_UP:
            control = makeStateLimited<QVTileSetIncrementControl>(delegate, this, row.state);
            break;
        case BK_LAYOUT_DOWN:
            control = makeStateLimited<QVLayoutDecrementControl>(delegate, this, row.state);
            break;
        case BK_LAYOUT_UP:
            control = makeStateLimited<QVLayoutIncrementControl>(delegate, this, row.state);
            break;
        case BK_LABEL:
            control = new QVLabelControl(delegate, this);
            break;
        }
        control->setLocation(HScreenPoint{row.at.x, row.at.y});
        MVSprite* normal = row.normal == kNoSprite ? nullptr : getSprite(static_cast<QVSprite_t>(row.normal));
        MVSprite* lit = getSprite(static_cast<QVSprite_t>(row.lit));
        delegate->setSprites2(normal, lit, nullptr, lit);
        m_insertControl(control);
        if (control->getUIManager() != &m_uiManager) {
            // Refused (the manager has shut down): nobody else would free it.
            delete control;
            continue;
        }

        switch (row.kind) {
        case BK_SHOW_MOVES:
            // Never enabled again: the space key starts the highlight.
            control->enableControl(false);
            m_pShowMovesButton = control;
            break;
        case BK_UNDO:
            // Never enabled again: "u" and the no-more-moves dialog undo.
            control->enableControl(false);
            m_pUndoButton = control;
            break;
        case BK_SHUFFLE:
            m_pShuffleButton = control;
            break;
        case BK_NEW_GAME:
            m_pNewGameButton = control;
            break;
        default:
            break;
        }
    }
}
