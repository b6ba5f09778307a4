// The abstract open file, lent out by a file system and given back with
// close(). Its handle is the implementation's native handle (a stdio stream,
// an archive entry record); a slot is free while the handle is null.
#pragma once

#include "engine/core/HObject.h"

class HFileSystem;

class HFile : public HObject {
    H_DECLARE_CLASS(HFile)
public:
    enum Mode : int32_t { MODE_READ = 0, MODE_WRITE = 1 };

    HFile();
    ~HFile() override;

    HFile(const HFile&) = delete;
    HFile& operator=(const HFile&) = delete;

    // Bytes read or written; 0 on any failure, and for a negative length.
    virtual int read(void* buffer, int len) = 0;
    virtual int write(const void* data, int len) = 0;
    virtual bool rewind() = 0;
    virtual void flush();
    // Gives the file back to its file system; the slot is free afterwards.
    virtual void close();
    // Size in bytes, fixed when the file was opened (0 for writing).
    virtual int length() const;
    virtual const char* getName() const;

    void m_setFileSystem(HFileSystem* fs) { m_pFileSystem = fs; }
    HFileSystem* getFileSystem() const { return m_pFileSystem; }
    bool isOpen() const { return m_pHandle != nullptr; }

protected:
    void m_setName(const char* name);

    Mode m_mode;
    char m_szName[1024];
    int m_iLength;
    HFileSystem* m_pFileSystem;
    void* m_pHandle;
};
