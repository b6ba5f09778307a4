// Everything the game itself paints: the board with its tiles, shadows,
// selection, hint glow, free-tile highlight, hover outline and fading pairs;
// the start, pause, won and no-more-moves screens; the left panel; the
// information strip; the no-match message. Also the start screen's three
// pickers and the reloading of the chosen tile set and table top.
#include "game/Qinvar.h"

namespace {

// Steps value by delta; below 0 it becomes the last index, past the last it
// becomes 0.
int32_t wrapIndex(int32_t value, int32_t delta, int32_t count)
{
    const int64_t v = static_cast<int64_t>(value) + delta;
    if (v < 0)
        return count - 1;
    if (v >= count)
        return 0;
    return static_cast<int32_t>(v);
}

} // namespace

void Qinvar::adjustBackgroundPreview(int32_t delta)
{
    m_options.background = wrapIndex(m_options.background, delta, kBackgroundCount);
    invalidateWholeScreen();
}

void Qinvar::adjustTileSetPreview(int32_t delta)
{
    m_options.tileSet = wrapIndex(m_options.tileSet, delta, kTileSetCount);
    invalidateWholeScreen();
}

void Qinvar::adjustLayoutPreview(int32_t delta)
{
    m_options.layout = wrapIndex(m_options.layout, delta, kLayoutCount);
    invalidateWholeScreen();
}

// --- Not built yet: the drawing itself ---

void Qinvar::m_drawPuzzleBoard(const HScreenRect&, bool)
{
}

void Qinvar::m_drawInfo(const HScreenRect&)
{
}

void Qinvar::m_drawNumberAtXY(const char*, int32_t, int32_t, bool, const HScreenRect&)
{
}

MVSprite* Qinvar::m_getSpriteForNumber(char)
{
    return nullptr;
}

void Qinvar::m_drawTile(const QVTile&, const HScreenRect&, float, float, float)
{
}

void Qinvar::m_drawTileShadowUp(const QVTile&, const HScreenRect&, float)
{
}

void Qinvar::m_drawTileShadowRight(const QVTile&, const HScreenRect&, float)
{
}

void Qinvar::m_drawTileOutline(const QVTile&, const HScreenRect&, bool)
{
}

void Qinvar::m_drawMessage(const HScreenRect&, const HScreenRect&, MVSprite*, float)
{
}

void Qinvar::m_drawNoMatch(const HScreenRect&)
{
}

void Qinvar::m_loadTileSet()
{
}

void Qinvar::m_loadBackground()
{
}
