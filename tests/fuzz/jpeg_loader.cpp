// Feeds arbitrary bytes to the JPEG loader as a whole image file.
#include "engine/media/HJPGLoader.h"
#include "tests/fuzz/ImageLoaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HJPGLoader loader;
    fuzzImageLoader(loader, data, size, "fuzz.jpg");
    return 0;
}
