// The "no more moves" dialog: layout and its three buttons.
#include "game/QVGameOverDialog.h"

#include "game/QVDialogArt.h"
#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"

namespace {

constexpr int kClickVolume = 128;

} // namespace

QVGameOverDialog::QVGameOverDialog() : MVDialog() {}

QVGameOverDialog::~QVGameOverDialog() = default;

bool QVGameOverDialog::initDialog(H2DDisplayDevice* display, HFileSystem* files, bool shuffleAllowed)
{
    QVDialogArt::s_load(&m_backgroundSprite, display, files, "art/no_more_moves.jpg");
    QVDialogArt::s_load(&m_shuffleSprite, display, files, "art/no_more_moves_shuffle.tga");
    QVDialogArt::s_load(&m_shuffleLitSprite, display, files, "art/no_more_moves_shuffle_lit.tga");
    QVDialogArt::s_load(&m_undoSprite, display, files, "art/no_more_moves_undo.tga");
    QVDialogArt::s_load(&m_undoLitSprite, display, files, "art/no_more_moves_undo_lit.tga");
    QVDialogArt::s_load(&m_endGameSprite, display, files, "art/no_more_moves_endgame.tga");
    QVDialogArt::s_load(&m_endGameLitSprite, display, files, "art/no_more_moves_endgame_lit.tga");

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

void QVGameOverDialog::unloadDialogSprites()
{
    QVDialogArt::s_unload(&m_backgroundSprite);
    QVDialogArt::s_unload(&m_shuffleSprite);
    QVDialogArt::s_unload(&m_shuffleLitSprite);
    QVDialogArt::s_unload(&m_undoSprite);
    QVDialogArt::s_unload(&m_undoLitSprite);
    QVDialogArt::s_unload(&m_endGameSprite);
    QVDialogArt::s_unload(&m_endGameLitSprite);
}

bool QVGameOverDialog::handleItemClick(MVDialogItem* item)
{
    // Only the game runs this dialog.
    Qinvar* game = static_cast<Qinvar*>(getPuzzleGame());
    if (!game)
        return true;
    if (item == &m_endGameButton)
        game->playSound("sound/qv_guiclick.wav", kClickVolume, 0, true);
    else if (item == &m_shuffleButton)
        game->doShuffleBoard();
    else if (item == &m_undoButton)
        game->doUndo();
    return true;
}
