// The game's small modal dialogs: no more moves (shuffle, undo or end the
// game), the two-button confirmation, and the rules slide show.
#include "game/Qinvar.h"

// --- Not built yet ---

bool Qinvar::m_doGameOverDialog()
{
    return true;
}

bool Qinvar::m_doAreYouSureDialog(const char*, const char*, const char*, const char*, const char*)
{
    return false;
}

void Qinvar::doHelp()
{
}
