// Best times: the 8 best results of each of the 18 layouts, persisted in the
// per-user registry, the ranking of a finished game, the name entry and the
// best-times dialog.
#include "game/Qinvar.h"

#include "engine/core/HUtil.h"

void Qinvar::m_clearHighScores(int32_t layout)
{
    if (layout < 0 || layout >= kLayoutCount)
        return;
    for (QVHighScore& entry : m_aHighScores[layout]) {
        // The whole name field is stored, so its unused bytes are zero.
        entry = QVHighScore{};
        entry.tag = QVHighScore::kTag;
        HUtil::s_strcpy(entry.name, "nobody", sizeof(entry.name));
        entry.gameTime = 5999;
        entry.realTime = 5999;
        entry.remainingTiles = 144;
    }
}

// --- Not built yet ---

void Qinvar::m_loadHighScores(bool)
{
}

void Qinvar::m_storeHighScores()
{
}

void Qinvar::checkForHighScore()
{
}

void Qinvar::m_doEnterNameDialog(char* name, int32_t size)
{
    if (name && size > 0)
        name[0] = '\0';
}

void Qinvar::doBestTimesDialog(int32_t)
{
}
