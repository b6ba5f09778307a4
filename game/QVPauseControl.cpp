// The pause button and its two pairs of pictures.
#include "game/QVPauseControl.h"

#include "game/Qinvar.h"
#include "ui/MVControlDelegate.h"

QVPauseControl::QVPauseControl(MVControlDelegate* delegate, Qinvar* game)
    : UIControl(delegate),
      m_pPauseSprite(nullptr),
      m_pPauseLitSprite(nullptr),
      m_pResumeSprite(nullptr),
      m_pResumeLitSprite(nullptr),
      m_pGame(game)
{
}

void QVPauseControl::setSprites(MVSprite* pause, MVSprite* pauseLit, MVSprite* resume, MVSprite* resumeLit)
{
    m_pPauseSprite = pause;
    m_pPauseLitSprite = pauseLit;
    m_pResumeSprite = resume;
    m_pResumeLitSprite = resumeLit;
}

void QVPauseControl::clickAction()
{
    if (!m_pGame)
        return;
    m_pGame->m_playEffect(Qinvar::s_kpButtonSound, true);
    m_pGame->m_suspendGame(!m_pGame->isSuspended());
}

bool QVPauseControl::isActive() const
{
    return m_pGame && m_pGame->getState() == GS_PLAYING;
}

void QVPauseControl::drawControl(const HScreenRect& clip)
{
    // The constructor took a sprite delegate: the cast names what it holds.
    MVControlDelegate* delegate = static_cast<MVControlDelegate*>(getControlDelegate());
    if (m_pGame && delegate) {
        if (m_pGame->isSuspended())
            delegate->setSprites2(m_pResumeSprite, m_pResumeLitSprite, nullptr, m_pResumeLitSprite);
        else
            delegate->setSprites2(m_pPauseSprite, m_pPauseLitSprite, nullptr, m_pPauseLitSprite);
    }
    UIControl::drawControl(clip);
}
