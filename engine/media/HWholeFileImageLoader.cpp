// Loading through one whole-file read.
#include "engine/media/HWholeFileImageLoader.h"

bool HWholeFileImageLoader::load(HFileSystem* fs, const char* name)
{
    unload();
    size_t size = 0;
    uint8_t* buffer = m_readWholeFile(fs, name, &size);
    if (!buffer)
        return false;
    const bool ok = loadFromMemory(buffer, size, name);
    delete[] buffer;
    return ok;
}

void HWholeFileImageLoader::unload()
{
    m_deleteImage();
}

HImage* HWholeFileImageLoader::getImage()
{
    return m_pImage;
}
