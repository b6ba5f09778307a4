// Reads JPEG files through libjpeg, from the whole file held in memory. The
// decoder converts to RGB: colour and greyscale files load, files the library
// cannot convert to RGB (CMYK) fail cleanly.
#pragma once

#include "engine/media/HImageLoader.h"

class HJPGLoader : public HImageLoader {
public:
    // A progressive file with more scans than this is refused: each scan is
    // another pass over the whole image, so a small file could keep the
    // decoder busy for a very long time.
    static constexpr int32_t kMaxScans = 100;

    HJPGLoader();
    ~HJPGLoader() override;

    bool load(HFileSystem* fs, const char* name) override;
    void unload() override;
    HImage* getImage() override;

    // Decodes a whole JPEG file held in memory; `name` only labels the
    // diagnostics. load() reads the file and calls it.
    bool loadFromMemory(const uint8_t* data, size_t size, const char* name);
};
