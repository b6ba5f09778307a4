// The state-limited button: active in its game state only.
#include "game/QVStateLimitedControl.h"

#include "game/Qinvar.h"

QVStateLimitedControl::QVStateLimitedControl(UIControlDelegate* delegate, Qinvar* game)
    : UIControl(delegate), m_bActiveWhileSuspended(false), m_iActiveState(GS_START), m_pGame(game)
{
}

bool QVStateLimitedControl::isActive() const
{
    if (!m_pGame || m_pGame->getState() != m_iActiveState)
        return false;
    return !m_pGame->isSuspended() || m_bActiveWhileSuspended;
}
