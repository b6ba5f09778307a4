// The game class opened up for tests of the play flow.
#include "tests/support/PlayTestGame.h"

PlayTestGame::PlayTestGame()
    : Qinvar(), m_states{getState()}, m_effects(), m_drawn(), m_iConfirmations(0), m_pausedDuringConfirmation(),
      m_szLastConfirmationArt(), m_iLastConfirmationX(0)
{
}

bool PlayTestGame::m_handleEvent(const HEvent& event)
{
    // The keys are told by their characters ('!' and '#' come with the
    // codes of the digit keys that shift turns into them).
    if (event.type == ET_KEYDOWN) {
        if (event.character == kStartKey) {
            startBoard();
            m_noteState();
            return false;
        }
        if (event.character == kNewGameKey) {
            restartGame(true);
            m_noteState();
            return false;
        }
    }
    const bool done = Qinvar::m_handleEvent(event);
    m_noteState();
    return done;
}

void PlayTestGame::m_noteState()
{
    if (m_states.back() != getState())
        m_states.push_back(getState());
}

void PlayTestGame::m_playEffect(const char* name, bool overlap)
{
    m_effects.push_back(std::string(name) + (overlap ? "+" : ""));
    Qinvar::m_playEffect(name, overlap);
}

int PlayTestGame::m_doMessageDialog(int x, int y, int delayMs, const char* background, const char* button1,
                                    const char* button1Lit, const char* button2, const char* button2Lit)
{
    ++m_iConfirmations;
    m_pausedDuringConfirmation.push_back(isPaused());
    m_szLastConfirmationArt = background ? background : "";
    m_iLastConfirmationX = x;
    return Qinvar::m_doMessageDialog(x, y, delayMs, background, button1, button1Lit, button2, button2Lit);
}

void PlayTestGame::m_drawPuzzleBoard(const HScreenRect& clip, bool underDialog)
{
    if (!underDialog)
        m_drawn.push_back(clip);
    Qinvar::m_drawPuzzleBoard(clip, underDialog);
}

std::vector<std::string> PlayTestGame::takeEffects()
{
    std::vector<std::string> out;
    out.swap(m_effects);
    return out;
}

std::vector<HScreenRect> PlayTestGame::takeDrawn()
{
    std::vector<HScreenRect> out;
    out.swap(m_drawn);
    return out;
}

bool PlayTestGame::drewOver(const HScreenRect& r) const
{
    for (const HScreenRect& d : m_drawn) {
        if (d.left < r.right && r.left < d.right && d.top < r.bottom && r.top < d.bottom)
            return true;
    }
    return false;
}
