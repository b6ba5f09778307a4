// The game's small modal dialogs: no more moves (shuffle, undo or end the
// game), the two-button confirmation, and the rules slide show. The clock
// is paused while each is up.
#include "game/Qinvar.h"

#include "game/QVAreYouSureDialog.h"
#include "game/QVGameOverDialog.h"
#include "game/ScreenGeometry.h"

namespace {

constexpr int kClickVolume = 128;

} // namespace

bool Qinvar::m_doGameOverDialog()
{
    QVGameOverDialog dialog;
    m_beginPause();
    // A single open tile cannot be helped by a shuffle.
    const bool shuffleAllowed = m_board.countOpenTiles() != 1;
    dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, shuffleAllowed);
    const intptr_t closedBy = dialog.doModal(this, m_pDisplayDevice, &m_eventManager, 0, nullptr);
    const bool ended = closedBy == reinterpret_cast<intptr_t>(dialog.getEndGameButton());
    dialog.unloadDialogSprites();
    dialog.removeAllItems();
    m_endPause();
    // A window closed here does not end the game by this dialog: the game
    // quits as it stands.
    if (closedBy == MVDialog::kQuit)
        m_requestQuit();
    return ended;
}

bool Qinvar::m_doAreYouSureDialog(const char* background, const char* confirm, const char* confirmLit,
                                  const char* cancel, const char* cancelLit)
{
    m_beginPause();
    QVAreYouSureDialog dialog;
    dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, background, confirm, confirmLit, cancel, cancelLit);
    const intptr_t closedBy = dialog.doModal(this, m_pDisplayDevice, &m_eventManager, 0, this);
    const bool confirmed = closedBy == reinterpret_cast<intptr_t>(dialog.getConfirmButton());
    dialog.unloadDialogSprites();
    dialog.removeAllItems();
    m_endPause();
    // A quit answers no; the caller's dialog sees the quitting state and
    // closes as well.
    if (closedBy == MVDialog::kQuit)
        m_requestQuit();
    return confirmed;
}

void Qinvar::doHelp()
{
    static const char* slides[] = {"art/rules_0_qz.jpg", "art/rules_1_qz.jpg"};
    m_beginPause();
    // A quit request during the slide show is queued again once it closes.
    m_doSlideShowDialog(geo::kBoardPicture.x, geo::kBoardPicture.y, "art/rules_close_qz.tga",
                        "art/rules_close_lit_qz.tga", "art/rules_next_qz.tga", "art/rules_next_lit_qz.tga",
                        "art/rules_prev_qz.tga", "art/rules_prev_lit_qz.tga", slides, 2);
    playSound("sound/qv_guiclick.wav", kClickVolume, 0, false);
    m_endPause();
}
