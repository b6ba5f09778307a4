// Feeds arbitrary bytes to the PNG loader as a whole image file. A decoded
// image must respect the size cap and own all the bytes it claims.
#include "engine/media/HImage.h"
#include "engine/media/HPNGLoader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HPNGLoader loader;
    if (loader.loadFromMemory(data, size, "fuzz.png")) {
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
    return 0;
}
