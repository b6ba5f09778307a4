// The rules button.
#include "game/QVRulesControl.h"

#include "game/Qinvar.h"

QVRulesControl::QVRulesControl(UIControlDelegate* delegate, Qinvar* game) : UIControl(delegate), m_pGame(game) {}

void QVRulesControl::clickAction()
{
    if (!m_pGame)
        return;
    m_pGame->m_playEffect(Qinvar::s_kpButtonSound, true);
    m_pGame->doHelp();
}
