// The game's small modal dialogs: no more moves (shuffle, undo or end the
// game), the two-button confirmation, and the rules slide show. The clock
// is paused while each is up. Also what the game does as any dialog opens.
#include "game/Qinvar.h"

#include "game/QVAreYouSureDialog.h"
#include "game/QVGameOverDialog.h"
#include "game/ScreenGeometry.h"

void Qinvar::m_prepareForDialog()
{
    // Whichever dialog opens (a confirmation, the options, the rules, the
    // best times, the name entry, no more moves), a pair taken just before
    // would stay drawn at its first fading strength for as long as the
    // dialog is up.
    m_endFadingTiles();
}

bool Qinvar::m_doGameOverDialog()
{
    QVGameOverDialog dialog;
    // A window closed here does not end the game by this dialog: the game
    // quits as it stands.
    const intptr_t closedBy = m_runDialog(dialog, DC_PAUSED, nullptr, [&] {
        // A single open tile cannot be helped by a shuffle.
        const bool shuffleAllowed = m_board.countOpenTiles() != 1;
        dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, shuffleAllowed);
    });
    return closedBy == reinterpret_cast<intptr_t>(dialog.getEndGameButton());
}

bool Qinvar::m_doAreYouSureDialog(const char* background, const char* confirm, const char* confirmLit,
                                  const char* cancel, const char* cancelLit)
{
    QVAreYouSureDialog dialog;
    // A quit answers no; the caller's dialog sees the quitting state and
    // closes as well.
    const intptr_t closedBy = m_runDialog(dialog, DC_PAUSED, this, [&] {
        dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, background, confirm, confirmLit, cancel, cancelLit);
    });
    return closedBy == reinterpret_cast<intptr_t>(dialog.getConfirmButton());
}

void Qinvar::doHelp()
{
    static const char* slides[] = {"art/rules_0_qz.jpg", "art/rules_1_qz.jpg"};
    m_runPaused([&] {
        // A quit request during the slide show is queued again once it closes.
        m_doSlideShowDialog(geo::kBoardPicture.x, geo::kBoardPicture.y, "art/rules_close_qz.tga",
                            "art/rules_close_lit_qz.tga", "art/rules_next_qz.tga", "art/rules_next_lit_qz.tga",
                            "art/rules_prev_qz.tga", "art/rules_prev_lit_qz.tga", slides, 2);
        playSound(s_kpButtonSound, kEffectVolume, 0, false);
    });
}
