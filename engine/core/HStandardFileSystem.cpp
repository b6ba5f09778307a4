// The directory file system.
#include "engine/core/HStandardFileSystem.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HUtil.h"

#include <sys/stat.h>

HStandardFileSystem::HStandardFileSystem() = default;

HStandardFileSystem::~HStandardFileSystem() = default;

bool HStandardFileSystem::initFileSystem(const char* directory)
{
    m_setAssetDir(directory);
    for (HStandardFile& f : m_files)
        f.m_closeStream();
    return true;
}

void HStandardFileSystem::shutdownFileSystem()
{
    for (HStandardFile& f : m_files) {
        if (f.isOpen())
            HErrorManager::s_db_alert("HStandardFileSystem::shutdown - file '%s' still open", f.getName());
    }
}

bool HStandardFileSystem::fileExists(const char* name)
{
    HStandardFile* slot = m_findFreeStandardFile();
    if (!slot) {
        HErrorManager::s_db_alert("HSFS::fileExists - too many open files");
        return false;
    }
    if (!slot->m_openForRead(name))
        return false;
    slot->m_closeStream();
    return true;
}

HFile* HStandardFileSystem::openFileForRead(const char* name)
{
    HStandardFile* slot = m_findFreeStandardFile();
    if (!slot) {
        HErrorManager::s_db_alert("HSFS::m_openFileForRead - too many open files");
        return nullptr;
    }
    slot->m_setFileSystem(this);
    return m_openFile(slot, name, HFile::MODE_READ);
}

HFile* HStandardFileSystem::openFileForWrite(const char* name)
{
    HStandardFile* slot = m_findFreeStandardFile();
    if (!slot) {
        HErrorManager::s_db_alert("HSFS::m_openFileForWrite - too many open files");
        return nullptr;
    }
    slot->m_setFileSystem(this);
    return m_openFile(slot, name, HFile::MODE_WRITE);
}

int64_t HStandardFileSystem::getLastModTime(const char* name)
{
    struct stat st;
    if (::stat(name, &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_mtime);
}

void HStandardFileSystem::m_closeFile(HFile* file)
{
    // Only this file system's own slots are ever handed to it.
    HStandardFile* f = static_cast<HStandardFile*>(file);
    if (!f->m_closeStream())
        HErrorManager::s_db_alert("HSFS::m_closeFile - attempted to close unopened file");
}

HStandardFile* HStandardFileSystem::m_findFreeStandardFile()
{
    for (HStandardFile& f : m_files) {
        if (!f.isOpen())
            return &f;
    }
    return nullptr;
}

HStandardFile* HStandardFileSystem::m_openFile(HStandardFile* slot, const char* name, HFile::Mode mode)
{
    char path[1024];
    HUtil::s_sprintf(path, sizeof(path), "%s/%s", getAssetDir(), name);
    const bool ok = mode == HFile::MODE_READ ? slot->m_openForRead(path) : slot->m_openForWrite(path);
    return ok ? slot : nullptr;
}
