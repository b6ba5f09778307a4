// Reads JPEG files through libjpeg, from the whole file held in memory. The
// decoder converts to RGB: colour and greyscale files load, files the library
// cannot convert to RGB (CMYK) fail cleanly.
#pragma once

#include "engine/media/HWholeFileImageLoader.h"

class HJPGLoader : public HWholeFileImageLoader {
public:
    // A progressive file with more scans than this is refused: each scan is
    // another pass over the whole image, so a small file could keep the
    // decoder busy for a very long time.
    static constexpr int32_t kMaxScans = 100;

    HJPGLoader();
    ~HJPGLoader() override;

    bool loadFromMemory(const uint8_t* data, size_t size, const char* name) override;
};
