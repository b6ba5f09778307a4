// The directory file system: names are opened under its asset directory
// through stdio, for reading only when they name a regular file. It embeds
// 16 file slots; the lowest free one is lent first.
#pragma once

#include "engine/core/HFileSystem.h"
#include "engine/core/HStandardFile.h"

class HStandardFileSystem : public HFileSystem {
public:
    HStandardFileSystem();
    ~HStandardFileSystem() override;

    bool initFileSystem(const char* directory) override;
    // Warns about every file still open; closes none.
    void shutdownFileSystem() override;
    // Opens `name` exactly as passed, not under the asset directory.
    bool fileExists(const char* name) override;
    HFile* openFileForRead(const char* name) override;
    HFile* openFileForWrite(const char* name) override;
    // Of `name` exactly as passed; 0 when its status cannot be read.
    int64_t getLastModTime(const char* name) override;
    void m_closeFile(HFile* file) override;

    HStandardFile* m_findFreeStandardFile();
    // Opens "<asset dir>/<name>" into the slot; null (slot still free) on failure.
    HStandardFile* m_openFile(HStandardFile* slot, const char* name, HFile::Mode mode);

private:
    HStandardFile m_files[kMaxOpenFiles];
};
