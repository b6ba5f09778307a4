// The check every image-loader fuzz target runs: arbitrary bytes as a whole
// image file; a decoded image must respect the size cap and own all the
// bytes it claims.
#pragma once

#include "engine/media/HImage.h"
#include "engine/media/HWholeFileImageLoader.h"

#include <cstddef>
#include <cstdint>

inline void fuzzImageLoader(HWholeFileImageLoader& loader, const uint8_t* data, size_t size, const char* name)
{
    if (loader.loadFromMemory(data, size, name)) {
        const HImage* image = loader.getImage();
        if (!image || !image->getData() || image->getWidth() <= 0 || image->getHeight() <= 0 ||
            image->getWidth() > HImageLoader::kMaxImageDimension ||
            image->getHeight() > HImageLoader::kMaxImageDimension)
            __builtin_trap();
        // Touch the first and last byte, so that a short allocation shows.
        volatile uint8_t sink = image->getData()[0];
        sink = image->getData()[image->getDataSize() - 1];
        (void)sink;
    }
    loader.unload();
}
