// The image loaders' shared part: the image pointer and reading a whole file.
#include "engine/media/HImageLoader.h"

#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/media/HImage.h"

#include <new>

HImageLoader::HImageLoader() : m_pImage(nullptr)
{
}

HImageLoader::~HImageLoader() = default;

HImage* HImageLoader::m_takeImage()
{
    HImage* image = m_pImage;
    m_pImage = nullptr;
    return image;
}

void HImageLoader::m_deleteImage()
{
    delete m_pImage;
    m_pImage = nullptr;
}

uint8_t* HImageLoader::m_readWholeFile(HFileSystem* fs, const char* name, size_t* size)
{
    *size = 0;
    if (!fs || !name)
        return nullptr;
    HFile* file = fs->openFileForRead(name);
    if (!file)
        return nullptr;
    const int length = file->length();
    // One byte at least, so that an empty file still gets a buffer to fail on.
    uint8_t* buffer = length >= 0 ? new (std::nothrow) uint8_t[static_cast<size_t>(length) + 1] : nullptr;
    if (!buffer) {
        file->close();
        return nullptr;
    }
    const int got = length > 0 ? file->read(buffer, length) : 0;
    file->close();
    if (got != length) {
        delete[] buffer;
        return nullptr;
    }
    *size = static_cast<size_t>(length);
    return buffer;
}
