// Reads uncompressed TGA files: true colour at 15, 16, 24 or 32 bits per
// pixel and 8-bit greyscale. Compressed (RLE) and colour-mapped images are
// refused rather than decoded as garbage.
#pragma once

#include "engine/media/HImageLoader.h"

class HTGALoader : public HImageLoader {
public:
    HTGALoader();
    ~HTGALoader() override;

    bool load(HFileSystem* fs, const char* name) override;
    void unload() override;
    HImage* getImage() override;

    // Decodes a whole TGA file held in memory; `name` only labels the
    // diagnostics. load() reads the file and calls it.
    bool loadFromMemory(const uint8_t* data, size_t size, const char* name);
};
