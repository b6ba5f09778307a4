// Reads uncompressed TGA files: true colour at 15, 16, 24 or 32 bits per
// pixel and 8-bit greyscale. Compressed (RLE) and colour-mapped images are
// refused rather than decoded as garbage.
#pragma once

#include "engine/media/HWholeFileImageLoader.h"

class HTGALoader : public HWholeFileImageLoader {
public:
    HTGALoader();
    ~HTGALoader() override;

    bool loadFromMemory(const uint8_t* data, size_t size, const char* name) override;
};
