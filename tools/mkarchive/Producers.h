// The producers of the archive's content, one per kind of asset, each in its
// own source file. main() runs them in the order of kProducers; each adds its
// entries to the AssetSet and returns false when one of them fails.
//
// A new kind of art (screens, buttons, dialogs, ...) is a new source file with
// a `make...` function declared below and listed in kProducers, and the
// kPending flag cleared from the manifest entries it makes. The shared layer
// is Canvas (cairo surfaces), Paint and FontLibrary (drawing and text),
// AssetSet (checks against the manifest, encodes TGA or JPEG by the entry's
// format); art that shows tiles or boards takes drawTile / drawTileSheet
// (TileSets.h), layoutPositions (Layouts.h) and drawLayoutPicture
// (BoardPicture.h).
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
};

} // namespace mkarchive
