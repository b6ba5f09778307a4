// A file of the directory file system, over a stdio stream.
#pragma once

#include "engine/core/HFile.h"

class HStandardFile : public HFile {
    H_DECLARE_CLASS(HStandardFile)
public:
    HStandardFile();
    ~HStandardFile() override;

    // False (errno EISDIR for a directory, EINVAL for anything else that is
    // not a regular file) unless the path names a regular file.
    bool m_openForRead(const char* path);
    bool m_openForWrite(const char* path);
    // Closes the stream and frees the slot; false when nothing was open.
    bool m_closeStream();

    int read(void* buffer, int len) override;
    int write(const void* data, int len) override;
    bool rewind() override;
    void flush() override;
};
