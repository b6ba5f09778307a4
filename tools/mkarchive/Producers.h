// The producers of the archive's content, one per kind of asset, each in its
// own source file. main() runs them in the order of kProducers; each adds its
// entries to the AssetSet and returns false when one of them fails.
//
// A new kind of art is a new source file with a `make...` function declared
// below and listed in kProducers, and its entries in the manifest. The shared
// layer is Canvas (cairo surfaces), Paint and FontLibrary (drawing and text),
// AssetSet (checks against the manifest, encodes TGA or JPEG by the entry's
// format); art that shows tiles or boards takes drawTile / drawTileSheet
// (TileSets.h), layoutPositions (Layouts.h), drawLayoutPicture and
// drawBoardOnto (BoardPicture.h) and tableTopImage (TableTops.h); screens,
// buttons and dialogs share one look through Theme.h and the game's drawing
// positions through game/ScreenGeometry.h.
#pragma once

#include "tools/mkarchive/AssetSet.h"

namespace mkarchive {

bool makeLayouts(AssetSet& set);       // Layouts.cpp: layouts/*.qvl
bool makeTileSets(AssetSet& set);      // TileSets.cpp: art/tileset_*.tga
bool makeFontArt(AssetSet& set);       // FontArt.cpp: art/font.tga, digits, colon, comma
bool makeBoardOverlays(AssetSet& set); // BoardOverlays.cpp: shadows and hover outlines
bool makeSounds(AssetSet& set);        // Sounds.cpp: sound/*
bool makeMusic(AssetSet& set);         // Music.cpp: music/theme_qz.ogg
bool makeConfig(AssetSet& set);        // Config.cpp: config.txt
bool makeTableTops(AssetSet& set);     // TableTops.cpp: art/arena*_qz.jpg, art/preview_background_*.jpg
bool makePreviews(AssetSet& set);      // Previews.cpp: layout previews and titles, tile-set previews
bool makeScreens(AssetSet& set);       // Screens.cpp: loading, panel, start, pause, end screens, no-match
bool makeButtons(AssetSet& set);       // Buttons.cpp: every button, toggle, knob and strip label
bool makeDialogs(AssetSet& set);       // Dialogs.cpp: dialog backgrounds and the rules slides

struct Producer {
    const char* what;
    bool (*make)(AssetSet& set);
};

inline constexpr Producer kProducers[] = {
    {"layouts", makeLayouts},
    {"tile sets", makeTileSets},
    {"font and digits", makeFontArt},
    {"shadows and outlines", makeBoardOverlays},
    {"sounds", makeSounds},
    {"music", makeMusic},
    {"config.txt", makeConfig},
    {"table tops", makeTableTops},
    {"previews", makePreviews},
    {"screens", makeScreens},
    {"buttons", makeButtons},
    {"dialogs", makeDialogs},
};

} // namespace mkarchive
