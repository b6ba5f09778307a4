// The sample loaders' shared whole-file read.
#include "engine/media/HAudioSampleLoader.h"

#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"

#include <cstddef>
#include <new>

HAudioSampleLoader::HAudioSampleLoader() = default;

HAudioSampleLoader::~HAudioSampleLoader() = default;

unsigned char* HAudioSampleLoader::m_readWholeFile(HFileSystem* fs, const char* name, int maxBytes, int* size,
                                                  bool* opened)
{
    *size = 0;
    *opened = false;
    if (!fs || !name)
        return nullptr;
    HFile* file = fs->openFileForRead(name);
    if (!file)
        return nullptr;
    *opened = true;
    const int length = file->length();
    unsigned char* buffer = nullptr;
    if (length > 0 && length <= maxBytes)
        buffer = new (std::nothrow) unsigned char[static_cast<size_t>(length)];
    const int got = buffer ? file->read(buffer, length) : 0;
    file->close();
    if (!buffer || got != length) {
        delete[] buffer;
        return nullptr;
    }
    *size = length;
    return buffer;
}
