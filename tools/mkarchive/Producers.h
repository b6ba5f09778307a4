// The producers of the archive's content, one per kind of asset, each in its
// own source file. main() runs them in the order of kProducers; each adds its
// entries to the AssetSet and returns false when one of them fails.
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
