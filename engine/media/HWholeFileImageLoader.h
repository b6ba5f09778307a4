// The base of the loaders that read the whole image file into memory with
// one read and decode it from there (TGA, PNG, JPEG). They differ only in
// loadFromMemory, which the fuzzers call directly.
#pragma once

#include "engine/media/HImageLoader.h"

class HWholeFileImageLoader : public HImageLoader {
public:
    // Reads the file and decodes it; false (no image) when either fails.
    bool load(HFileSystem* fs, const char* name) override;
    void unload() override;
    HImage* getImage() override;

    // Decodes a whole image file held in memory; `name` only labels the
    // diagnostics.
    virtual bool loadFromMemory(const uint8_t* data, size_t size, const char* name) = 0;
};
