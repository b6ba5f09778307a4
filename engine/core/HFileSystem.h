// The abstract file system: hands out open files by name from a fixed set of
// embedded file objects and takes them back when they are closed. Users never
// create or delete file objects.
#pragma once

#include <cstdint>

class HFile;

class HFileSystem {
public:
    // Slots each file system embeds: at most this many files are open at once.
    static constexpr int kMaxOpenFiles = 16;

    HFileSystem();
    virtual ~HFileSystem();

    HFileSystem(const HFileSystem&) = delete;
    HFileSystem& operator=(const HFileSystem&) = delete;

    virtual bool initFileSystem(const char* assetDir);
    virtual void shutdownFileSystem();
    virtual bool fileExists(const char* name) = 0;
    virtual HFile* openFileForRead(const char* name) = 0;
    virtual HFile* openFileForWrite(const char* name) = 0;
    // Whole seconds since the epoch; 0 when unknown.
    virtual int64_t getLastModTime(const char* name) = 0;
    // Called by HFile::close with the file itself.
    virtual void m_closeFile(HFile* file) = 0;

    const char* getAssetDir() const { return m_szAssetDir; }

protected:
    void m_setAssetDir(const char* dir);

private:
    char m_szAssetDir[1024];
};
