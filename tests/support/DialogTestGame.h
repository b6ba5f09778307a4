// A game for the tests of dialogs and the framework's dialog operations: a
// recording screen (which also records the text drawn on it), a board that
// draws one sprite over every dirty rectangle (so the device's draw calls
// show where the game was drawn beneath a dialog), and helpers that make
// solid sprites on that screen. The read file system, when set, is borrowed.
#pragma once

#include "engine/core/HScreenRect.h"
#include "framework/HPuzzleGame.h"
#include "tests/support/RecordingDisplayDevice.h"
#include "ui/MVSprite.h"

#include <cstdint>
#include <string>
#include <vector>

class MemoryFileSystem;

class DialogTestGame : public HPuzzleGame {
public:
    // One call of drawText.
    struct TextDraw {
        std::string text;
        int32_t x;
        int32_t y;
        HScreenRect clip;
    };

    class Screen : public RecordingDisplayDevice {
    public:
        void drawText(const char* text, int32_t x, int32_t y, const HScreenRect& clip,
                      TextJustification justification, const H2DFont* font, const HColor4f* colour) override;
        std::vector<TextDraw> texts;
    };

    // One call of m_drawPuzzleBoard.
    struct BoardDraw {
        HScreenRect dirty;
        bool inDialog;
    };

    // The screen opened at width x height; the board sprite made.
    explicit DialogTestGame(int32_t width = 640, int32_t height = 480);
    ~DialogTestGame() override;

    float getMusicVolume() const override;
    float getSoundVolume() const override;
    const char* getGameName() const override;
    // Records the event; never ends a loop.
    bool m_handleEvent(const HEvent& event) override;
    // Records the call and draws the board sprite over the rectangle.
    void m_drawPuzzleBoard(const HScreenRect& dirty, bool inDialog) override;
    // Records how many board draws there were by then.
    void m_prepareForDialog() override;

    Screen* screen() { return &m_screen; }
    // Borrowed: the game never deletes it.
    void setReadFileSystem(HFileSystem* files) { m_pReadFileSystem = files; }
    const MVSprite* boardSprite() const { return &m_boardSprite; }

    // A loaded width x height sprite of one opaque colour on this screen.
    void makeSprite(MVSprite* sprite, int32_t width, int32_t height, uint8_t red = 200, uint8_t green = 100,
                    uint8_t blue = 50);

    // Every event the event manager still holds (what a closed dialog left
    // queued), time stamps left out.
    std::vector<HEvent> drainEvents();

    // Adds an uncompressed width x height TGA image of one opaque colour.
    static void s_addArt(MemoryFileSystem* files, const char* name, int32_t width, int32_t height);

    std::vector<BoardDraw> boardDraws;
    // boardDraws.size() at each m_prepareForDialog.
    std::vector<size_t> preparations;
    std::vector<HEvent> handledEvents;

private:
    Screen m_screen;
    MVSprite m_boardSprite;
};
