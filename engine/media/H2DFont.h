// A bitmap font: a sprite sheet of 16 glyph cells per row, each
// m_iCharWidth x m_iCharHeight pixels. The first row holds characters 16 to
// 31, the second 32 to 47 (the blank first), and so on: character c sits in
// column c mod 16 of row c / 16 - 1. Made and destroyed by the display device;
// the sheet is not owned.
#pragma once

#include <cstdint>

class MVSprite;

struct H2DFont {
    const MVSprite* m_pSpriteSheet;
    int32_t m_iCharWidth;
    int32_t m_iCharHeight;
};
