// The game of the dialog tests.
#include "tests/support/DialogTestGame.h"

#include "engine/media/HImage.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/MemoryFileSystem.h"

void DialogTestGame::Screen::drawText(const char* text, int32_t x, int32_t y, const HScreenRect& clip,
                                      TextJustification justification, const H2DFont* font,
                                      const HColor4f* colour)
{
    texts.push_back(TextDraw{text ? text : "", x, y, clip});
    RecordingDisplayDevice::drawText(text, x, y, clip, justification, font, colour);
}

DialogTestGame::DialogTestGame(int32_t width, int32_t height)
{
    m_screen.initScreen(width, height, "dialog test", false, false);
    m_pDisplayDevice = &m_screen;
    makeSprite(&m_boardSprite, width, height, 10, 20, 30);
}

DialogTestGame::~DialogTestGame()
{
    // The controls' list is freed only here (controls left in it go too).
    m_uiManager.shutdownUIManager();
    m_boardSprite.unloadSprite();
    m_pDisplayDevice = nullptr;
    m_pReadFileSystem = nullptr;
    m_screen.shutdownScreen();
}

float DialogTestGame::getMusicVolume() const
{
    return 0.0f;
}

float DialogTestGame::getSoundVolume() const
{
    return 0.0f;
}

const char* DialogTestGame::getGameName() const
{
    return "Dialog Test";
}

bool DialogTestGame::m_handleEvent(const HEvent& event)
{
    handledEvents.push_back(event);
    return false;
}

void DialogTestGame::m_drawPuzzleBoard(const HScreenRect& dirty, bool inDialog)
{
    boardDraws.push_back(BoardDraw{dirty, inDialog});
    HScreenRect src = dirty;
    m_boardSprite.drawPartialSpriteAtLocation(&dirty, &src);
}

void DialogTestGame::m_prepareForDialog()
{
    preparations.push_back(boardDraws.size());
}

std::vector<HEvent> DialogTestGame::drainEvents()
{
    std::vector<HEvent> out;
    HEvent e;
    while (m_eventManager.getEvent(&e, true)) {
        if (e.type != ET_TIMESTAMP)
            out.push_back(e);
    }
    return out;
}

void DialogTestGame::makeSprite(MVSprite* sprite, int32_t width, int32_t height, uint8_t red, uint8_t green,
                                uint8_t blue)
{
    HImage image(width, height, HImage::FORMAT_32BIT);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            image.setPixel32(x, y, HImage::s_packRGBA(red, green, blue, 255));
    }
    sprite->createSpriteFromImage(&m_screen, &image);
}

void DialogTestGame::s_addArt(MemoryFileSystem* files, const char* name, int32_t width, int32_t height)
{
    // Top-left origin (descriptor bit 5), 24 bits per pixel.
    Bytes bytes = ImageFixtures::tgaHeader(2, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 24, 0x20);
    const Bytes pixels = ImageFixtures::fill(width, height, Bytes{40, 80, 120});
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    files->add(name, bytes);
}
