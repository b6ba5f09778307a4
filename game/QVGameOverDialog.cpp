// The "no more moves" dialog: layout and its three buttons.
#include "game/QVGameOverDialog.h"

#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"

QVGameOverDialog::QVGameOverDialog() : QVDialog() {}

QVGameOverDialog::~QVGameOverDialog() = default;

bool QVGameOverDialog::initDialog(H2DDisplayDevice* display, HFileSystem* files, bool shuffleAllowed)
{
    m_loadArt(&m_backgroundSprite, display, files, "art/no_more_moves.jpg");
    m_loadArt(&m_shuffleSprite, display, files, "art/no_more_moves_shuffle.tga");
    m_loadArt(&m_shuffleLitSprite, display, files, "art/no_more_moves_shuffle_lit.tga");
    m_loadArt(&m_undoSprite, display, files, "art/no_more_moves_undo.tga");
    m_loadArt(&m_undoLitSprite, display, files, "art/no_more_moves_undo_lit.tga");
    m_loadArt(&m_endGameSprite, display, files, "art/no_more_moves_endgame.tga");
    m_loadArt(&m_endGameLitSprite, display, files, "art/no_more_moves_endgame_lit.tga");

    const HScreenRect background = MVDialogItem::s_spriteSizeRect(&m_backgroundSprite);
    const int32_t width = background.right;
    const int32_t height = background.bottom;
    setBackgroundSprite(&m_backgroundSprite);
    // Buttons take their screen places from the origin when they are added.
    const geo::Point origin = geo::noMoreMovesAt(width, height);
    setDialogOrigin(HScreenPoint{origin.x, origin.y});

    const geo::Point shuffleAt =
        geo::noMoreMovesShuffleAt(width, MVDialogItem::s_spriteSizeRect(&m_shuffleSprite).right);
    const geo::Point undoAt = geo::noMoreMovesUndoAt(width, MVDialogItem::s_spriteSizeRect(&m_undoSprite).right);
    const geo::Point endAt = geo::noMoreMovesEndAt(width, MVDialogItem::s_spriteSizeRect(&m_endGameSprite).right);
    m_shuffleButton.setDialogItemName("No More Moves Shuffle");
    m_shuffleButton.setButtonSprites(&m_shuffleSprite, &m_shuffleLitSprite, nullptr);
    m_shuffleButton.setDialogItemOrigin(HScreenPoint{shuffleAt.x, shuffleAt.y});
    m_undoButton.setDialogItemName("No More Moves Undo");
    m_undoButton.setButtonSprites(&m_undoSprite, &m_undoLitSprite, nullptr);
    m_undoButton.setDialogItemOrigin(HScreenPoint{undoAt.x, undoAt.y});
    m_endGameButton.setDialogItemName("No More Moves End Game");
    m_endGameButton.setButtonSprites(&m_endGameSprite, &m_endGameLitSprite, nullptr);
    m_endGameButton.setDialogItemOrigin(HScreenPoint{endAt.x, endAt.y});

    // The first added is the default item (Enter), the last holds the focus.
    if (shuffleAllowed)
        addDialogItem(&m_shuffleButton);
    addDialogItem(&m_undoButton);
    addDialogItem(&m_endGameButton);
    return true;
}

bool QVGameOverDialog::handleItemClick(MVDialogItem* item)
{
    // Only the game runs this dialog.
    Qinvar* game = static_cast<Qinvar*>(getPuzzleGame());
    if (!game)
        return true;
    if (item == &m_endGameButton)
        m_playGuiClick();
    else if (item == &m_shuffleButton)
        game->doShuffleBoard();
    else if (item == &m_undoButton)
        game->doUndo();
    return true;
}
