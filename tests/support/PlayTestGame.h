// The game class opened up for tests of the play flow: it hears the sounds
// the play flow plays, counts the confirmations it asks (and whether the
// clock was paused while they showed), records the rectangles each drawing
// pass redraws, reads the timers the play flow keeps, and takes two extra
// keys that stand in for buttons a test may not have: "!" starts a board
// (the start button) and "#" asks for a new game (the new-game button).
// It also keeps the history of the game states.
// Everything else is the real game.
#pragma once

#include "game/Qinvar.h"

#include <string>
#include <vector>

class PlayTestGame : public Qinvar {
public:
    static constexpr char kStartKey = '!';
    static constexpr char kNewGameKey = '#';

    PlayTestGame();

    bool m_handleEvent(const HEvent& event) override;
    void m_playEffect(const char* name, bool overlap) override;
    int m_doMessageDialog(int x, int y, int delayMs, const char* background, const char* button1,
                          const char* button1Lit, const char* button2, const char* button2Lit) override;
    void m_drawPuzzleBoard(const HScreenRect& clip, bool underDialog) override;

    // The sounds played since the last call, as "name" or "name+" when
    // overlapping was allowed; the record is emptied.
    std::vector<std::string> takeEffects();
    // The rectangles redrawn (board pass) since the last call; emptied.
    std::vector<HScreenRect> takeDrawn();
    // Whether any redrawn rectangle since the last takeDrawn() meets r.
    bool drewOver(const HScreenRect& r) const;

    // The game states seen after each event the game handled, each change
    // once, starting with the state at construction.
    const std::vector<int32_t>& states() const { return m_states; }

    int confirmations() const { return m_iConfirmations; }
    // Whether the pause clock ran while each confirmation showed.
    const std::vector<bool>& pausedDuringConfirmations() const { return m_pausedDuringConfirmation; }
    const char* lastConfirmationArt() const { return m_szLastConfirmationArt.c_str(); }
    int lastConfirmationX() const { return m_iLastConfirmationX; }

    MvTime lastActionTime() const { return m_lastActionTime; }
    MvTime gameStartTime() const { return m_gameStartTime; }
    MvTime hintTime() const { return m_hintTime; }
    MvTime showMovesStart() const { return m_showMovesStart; }
    bool showMovesKeyHeld() const { return m_bShowMovesKeyHeld; }
    void setUndoButton(UIControl* control) { m_pUndoButton = control; }
    const HScreenRect& clockArea() const { return m_clockArea; }
    const HScreenRect& tilesLeftArea() const { return m_tilesLeftArea; }
    const HScreenRect& availableMovesArea() const { return m_availableMovesArea; }

private:
    void m_noteState();

    std::vector<int32_t> m_states;
    std::vector<std::string> m_effects;
    std::vector<HScreenRect> m_drawn;
    int m_iConfirmations;
    std::vector<bool> m_pausedDuringConfirmation;
    std::string m_szLastConfirmationArt;
    int m_iLastConfirmationX;
};
