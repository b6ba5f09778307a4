// The labels of the information strip.
#include "game/QVLabelControl.h"

#include "game/Qinvar.h"

QVLabelControl::QVLabelControl(UIControlDelegate* delegate, Qinvar* game) : UIControl(delegate), m_pGame(game) {}

bool QVLabelControl::isActive() const
{
    if (!m_pGame)
        return false;
    const int32_t state = m_pGame->getState();
    return state != GS_START && state != GS_QUITTING && !m_pGame->isSuspended();
}
