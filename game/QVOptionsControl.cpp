// The options button.
#include "game/QVOptionsControl.h"

#include "game/Qinvar.h"

QVOptionsControl::QVOptionsControl(UIControlDelegate* delegate, Qinvar* game) : UIControl(delegate), m_pGame(game)
{
}

void QVOptionsControl::clickAction()
{
    if (!m_pGame)
        return;
    m_pGame->m_playEffect(Qinvar::s_kpButtonSound, true);
    // The dialog covers the button: it must not come back lit when the
    // pointer has left it meanwhile.
    m_setLit(false);
    m_pGame->m_doOptionsDialog();
}

bool QVOptionsControl::m_isPushable() const
{
    return false;
}
