// Reads 8-bit palette, RGB and RGBA PNG files through libpng, from the whole
// file held in memory. Interlaced files, other colour types and bit depths,
// and palette indices beyond the palette are refused.
#pragma once

#include "engine/media/HImageLoader.h"

class HPNGLoader : public HImageLoader {
public:
    HPNGLoader();
    ~HPNGLoader() override;

    bool load(HFileSystem* fs, const char* name) override;
    void unload() override;
    HImage* getImage() override;

    // Decodes a whole PNG file held in memory; `name` only labels the
    // diagnostics. load() reads the file and calls it.
    bool loadFromMemory(const uint8_t* data, size_t size, const char* name);
};
