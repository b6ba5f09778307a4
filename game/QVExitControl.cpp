// The exit button.
#include "game/QVExitControl.h"

#include "game/Qinvar.h"

QVExitControl::QVExitControl(UIControlDelegate* delegate, Qinvar* game) : UIControl(delegate), m_pGame(game) {}

void QVExitControl::clickAction()
{
    if (!m_pGame)
        return;
    m_pGame->m_suspendGame(false);
    m_pGame->m_playEffect(Qinvar::s_kpButtonSound, true);
    m_pGame->quit();
}
