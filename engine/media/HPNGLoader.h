// Reads 8-bit palette, RGB and RGBA PNG files through libpng, from the whole
// file held in memory. Interlaced files, other colour types and bit depths,
// and palette indices beyond the palette are refused.
#pragma once

#include "engine/media/HWholeFileImageLoader.h"

class HPNGLoader : public HWholeFileImageLoader {
public:
    HPNGLoader();
    ~HPNGLoader() override;

    bool loadFromMemory(const uint8_t* data, size_t size, const char* name) override;
};
