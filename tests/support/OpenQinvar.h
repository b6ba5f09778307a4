// The game class with the protected state that tests set and read opened
// up, and nothing else changed: the board, the state, the options, the best
// times and their markers, the sprite table and what is loaded in it, the
// timers and penalties of play, the no-match message, the files the
// framework holds. A test's own game derives from it and adds only what it
// is for.
#pragma once

#include "game/Qinvar.h"

class OpenQinvar : public Qinvar {
public:
    using HPuzzleGame::m_bSuspended;
    using HPuzzleGame::m_pJournalFile;
    using HPuzzleGame::m_pReadFileSystem;
    using Qinvar::m_aHighScores;
    using Qinvar::m_apHintTiles;
    using Qinvar::m_aSprites;
    using Qinvar::m_board;
    using Qinvar::m_fShowMovesLevel;
    using Qinvar::m_gameStartTime;
    using Qinvar::m_gameStats;
    using Qinvar::m_hintTime;
    using Qinvar::m_iGameState;
    using Qinvar::m_iLastHighScoreLayout;
    using Qinvar::m_iLastHighScorePlace;
    using Qinvar::m_iLoadedBackground;
    using Qinvar::m_iLoadedTileSet;
    using Qinvar::m_iPenaltySeconds;
    using Qinvar::m_lastActionTime;
    using Qinvar::m_noMatchArea;
    using Qinvar::m_noMatchTime;
    using Qinvar::m_options;
};
