// Files of the directory file system.
#include "engine/core/HStandardFile.h"

#include "engine/core/HPlatform.h"

#include <cstdio>

H_IMPLEMENT_CLASS(HStandardFile, "HFile")

namespace {
FILE* streamOf(void* handle)
{
    return static_cast<FILE*>(handle);
}
} // namespace

HStandardFile::HStandardFile() = default;

HStandardFile::~HStandardFile() = default;

bool HStandardFile::m_openForRead(const char* path)
{
    // Only a regular file is read: a device (/dev/zero) never ends, a
    // directory holds no bytes, and a pipe would block the open itself.
    std::FILE* f = HPlatform::s_openRegularFile(path);
    if (!f)
        return false;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    if (size < 0 || size > 0x7FFFFFFF) {
        // Not a seekable regular file of a size an int can hold.
        std::fclose(f);
        return false;
    }
    m_pHandle = f;
    m_setName(path);
    m_iLength = static_cast<int>(size);
    m_mode = MODE_READ;
    return true;
}

bool HStandardFile::m_openForWrite(const char* path)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    m_pHandle = f;
    m_setName(path);
    m_iLength = 0;
    m_mode = MODE_WRITE;
    return true;
}

bool HStandardFile::m_closeStream()
{
    if (!m_pHandle)
        return false;
    std::fclose(streamOf(m_pHandle));
    m_pHandle = nullptr;
    return true;
}

int HStandardFile::read(void* buffer, int len)
{
    if (!m_pHandle || m_mode != MODE_READ || len <= 0)
        return 0;
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(len), streamOf(m_pHandle)));
}

int HStandardFile::write(const void* data, int len)
{
    if (!m_pHandle || m_mode != MODE_WRITE || len <= 0)
        return 0;
    return static_cast<int>(std::fwrite(data, 1, static_cast<size_t>(len), streamOf(m_pHandle)));
}

bool HStandardFile::rewind()
{
    if (!m_pHandle)
        return false;
    return std::fseek(streamOf(m_pHandle), 0, SEEK_SET) == 0;
}

void HStandardFile::flush()
{
    if (m_pHandle)
        std::fflush(streamOf(m_pHandle));
}
