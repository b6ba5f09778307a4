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

    const int32_t width = m_placeBackground(&m_backgroundSprite, geo::noMoreMovesAt).right;

    const geo::Point shuffleAt =
        geo::noMoreMovesShuffleAt(width, MVDialogItem::s_spriteSizeRect(&m_shuffleSprite).right);
    const geo::Point undoAt = geo::noMoreMovesUndoAt(width, MVDialogItem::s_spriteSizeRect(&m_undoSprite).right);
    const geo::Point endAt = geo::noMoreMovesEndAt(width, MVDialogItem::s_spriteSizeRect(&m_endGameSprite).right);
    s_setUpButton(&m_shuffleButton, "No More Moves Shuffle", &m_shuffleSprite, &m_shuffleLitSprite, shuffleAt);
    s_setUpButton(&m_undoButton, "No More Moves Undo", &m_undoSprite, &m_undoLitSprite, undoAt);
    s_setUpButton(&m_endGameButton, "No More Moves End Game", &m_endGameSprite, &m_endGameLitSprite, endAt);

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
