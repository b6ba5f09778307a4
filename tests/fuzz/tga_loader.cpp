// Feeds arbitrary bytes to the TGA loader as a whole image file.
#include "engine/media/HTGALoader.h"
#include "tests/fuzz/ImageLoaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HTGALoader loader;
    fuzzImageLoader(loader, data, size, "fuzz.tga");
    return 0;
}
