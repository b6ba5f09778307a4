// The nine looks of the tile sets, in the order of the tile-set option. A style
// is a palette and a surface treatment; the face symbols are the same drawing
// in every style, inked with the style's four colours.
//
// The game shows a selected tile (and a hinted one, and the free tiles while
// the space bar lights them) by adding the tile onto itself, which doubles
// every channel. A face that is near white already can hardly lighten, so
// the light styles' faces lie at about L* 75 to 87, with every channel above
// half: doubled, they become white. Over the pixels of a set's tiles the
// median lightening is at least 20 L* in every style (the screens' test
// measures it on the game's own drawing).
#pragma once

#include "tools/mkarchive/Paint.h"

namespace mkarchive {

enum class Surface {
    Plain,
    Mottled, // soft clouds (jade)
    Wood,    // vertical grain
    Marble,  // thin veins
    Gloss,   // a lacquer shine across the upper face
};

struct TileStyle {
    const char* file;  // archive entry of the sheet
    Colour faceTop;    // face gradient, top to bottom
    Colour faceBottom;
    Colour faceLine;   // the face's rim
    Colour slab;       // the side of the face layer
    Colour back;       // the side of the back layer
    Colour outline;    // the tile's outer edge
    Colour red;        // ink roles: the suits' red, green and blue, and the
    Colour green;      // dark ink of the honours (light on dark faces)
    Colour blue;
    Colour ink;
    Colour accent;     // small details (bird's beak, the one of dots)
    Surface surface;
    bool engraved;     // inks get a light edge below and right, as if cut
};

constexpr int32_t kTileStyleCount = 9;

inline const TileStyle kTileStyles[kTileStyleCount] = {
    // Ivory with a jade back: the classic tile, a warm aged ivory.
    {"art/tileset_1.tga", rgb(0xe6d6b2), rgb(0xcdb98f), rgb(0x8a7a58), rgb(0xcbb990), rgb(0x2c7a55), rgb(0x3b3326),
     rgb(0xc8232c), rgb(0x17794a), rgb(0x1d4ea3), rgb(0x1e1b22), rgb(0xe0a526), Surface::Plain, false},
    // Carved jade.
    {"art/tileset_2.tga", rgb(0xc2e0cc), rgb(0x98c6a8), rgb(0x5f9b78), rgb(0x86bf9c), rgb(0x1c5940), rgb(0x123326),
     rgb(0xa3152b), rgb(0x0c5331), rgb(0x173f73), rgb(0x0f2a1d), rgb(0xc7912a), Surface::Mottled, true},
    // Blue and white porcelain, glazed a cool blue-grey.
    {"art/tileset_tovani.tga", rgb(0xc8d4e6), rgb(0xaabbd4), rgb(0x6e82aa), rgb(0xb0bfd8), rgb(0x27469a), rgb(0x1c2850),
     rgb(0x4a2a95), rgb(0x1f66a8), rgb(0x18307d), rgb(0x0f1d4d), rgb(0x3f7fd0), Surface::Plain, false},
    // Night: light inks on slate.
    {"art/tileset_3.tga", rgb(0x434b5c), rgb(0x262b37), rgb(0x7c879c), rgb(0x1e222c), rgb(0x0e1015), rgb(0x050608),
     rgb(0xff6f6f), rgb(0x5ee69c), rgb(0x72b9ff), rgb(0xeceef5), rgb(0xffd166), Surface::Gloss, false},
    // Bamboo wood with burnt inks.
    {"art/tileset_4.tga", rgb(0xecca93), rgb(0xd3a564), rgb(0x8d6232), rgb(0xba8646), rgb(0x6a3d1b), rgb(0x352010),
     rgb(0x971d14), rgb(0x2c5a1c), rgb(0x24416b), rgb(0x2a180b), rgb(0xc9831f), Surface::Wood, true},
    // Red lacquer with gold.
    {"art/tileset_5.tga", rgb(0xc22633), rgb(0x7e0f19), rgb(0xe3b44e), rgb(0x5c0b12), rgb(0x151014), rgb(0x080406),
     rgb(0xffe39a), rgb(0xf0c04e), rgb(0xfff3c8), rgb(0xffd36b), rgb(0xfff0b0), Surface::Gloss, false},
    // Pastel: rose faces with pink backs.
    {"art/tileset_6.tga", rgb(0xf0d4d0), rgb(0xdcb6b8), rgb(0xb08a96), rgb(0xdcb6bc), rgb(0xe195ad), rgb(0x845064),
     rgb(0xe05a7c), rgb(0x3fa882), rgb(0x5577d6), rgb(0x5a4470), rgb(0xf2a33a), Surface::Plain, false},
    // White marble, in a soft grey.
    {"art/tileset_7.tga", rgb(0xd8d8d3), rgb(0xbcbdb7), rgb(0x7a7d7a), rgb(0xb2b4af), rgb(0x545e69), rgb(0x2a2f35),
     rgb(0x8f2626), rgb(0x265c4a), rgb(0x283f6b), rgb(0x1f1f21), rgb(0xb08a3a), Surface::Marble, true},
    // Ocean: sky face, teal back.
    {"art/tileset_8.tga", rgb(0xbfdaee), rgb(0x9cc0dc), rgb(0x5e92b4), rgb(0x94bcd8), rgb(0x1a6d8a), rgb(0x0f3a4c),
     rgb(0xe5512b), rgb(0x139486), rgb(0x1b367a), rgb(0x15202b), rgb(0xf4a52a), Surface::Plain, false},
};

} // namespace mkarchive
