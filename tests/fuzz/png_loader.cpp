// Feeds arbitrary bytes to the PNG loader as a whole image file.
#include "engine/media/HPNGLoader.h"
#include "tests/fuzz/ImageLoaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HPNGLoader loader;
    fuzzImageLoader(loader, data, size, "fuzz.png");
    return 0;
}
