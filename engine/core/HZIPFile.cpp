// Entries of a ZIP archive.
#include "engine/core/HZIPFile.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HZIPFileSystem.h"

#include <cstring>

H_IMPLEMENT_CLASS(HZIPFile, "HFile")

HZIPFile::HZIPFile()
    : m_entryInfo(), m_iLocalHeader(0), m_bReadItself(false), m_bInUse(false), m_pZIPFileSystem(nullptr)
{
}

HZIPFile::~HZIPFile() = default;

int HZIPFile::read(void* buffer, int len)
{
    if (!m_bInUse || !m_pZIPFileSystem || !buffer || len <= 0)
        return 0;
    int got = 0;
    if (m_bReadItself) {
        switch (m_pZIPFileSystem->m_readEntryItself(m_entryInfo, m_iLocalHeader, buffer, len, &got)) {
        case HZIPFileSystem::ENTRY_READ:
            break;
        case HZIPFileSystem::ENTRY_NO_HEADER:
            HErrorManager::s_db_alert("HZIPFile::read - could not open current file '%s'", m_szName);
            return 0;
        default:
            HErrorManager::s_db_alert("HZIPFile::read - damaged entry '%s'", m_szName);
            return 0;
        }
    } else {
        got = m_readThroughLibrary(buffer, len);
        if (got < 0)
            return 0;
    }
    if (got == 0 || (len >= m_iLength && got < m_iLength)) {
        // Asked for the whole entry, the data ended before its declared
        // size: the entry is damaged and its CRC could not even be checked.
        HErrorManager::s_db_alert("HZIPFile::read - did not read enough bytes from file '%s'", m_szName);
        return 0;
    }
    return got;
}

int HZIPFile::m_readThroughLibrary(void* buffer, int len)
{
    unzFile archive = m_pZIPFileSystem->getUnzFile();
    if (!archive || !m_pZIPFileSystem->m_locateEntry(m_szName)) {
        HErrorManager::s_db_alert("HZIPFile::read - could not read buffer from file '%s'", m_szName);
        return -1;
    }
    if (unzOpenCurrentFile(archive) != UNZ_OK) {
        HErrorManager::s_db_alert("HZIPFile::read - could not open current file '%s'", m_szName);
        return -1;
    }
    // Inflating never yields more than the declared size; it may yield less.
    const int got = unzReadCurrentFile(archive, buffer, static_cast<unsigned>(len));
    // Checks the CRC when the whole entry was inflated.
    const int closed = unzCloseCurrentFile(archive);
    if (got < 0 || closed != UNZ_OK) {
        HErrorManager::s_db_alert("HZIPFile::read - damaged entry '%s'", m_szName);
        return -1;
    }
    return got;
}

int HZIPFile::write(const void* /*data*/, int /*len*/)
{
    HErrorManager::s_db_alert("HZIPFile::write - unsupported operation");
    return 0;
}

bool HZIPFile::rewind()
{
    HErrorManager::s_db_alert("HZIPFile::rewind - unsupported operation");
    return false;
}

void HZIPFile::flush()
{
}

void HZIPFile::m_take(HZIPFileSystem* owner, const char* name, const unz_file_info64& info, uint64_t localHeader,
                      bool readItself)
{
    m_setFileSystem(owner);
    m_pZIPFileSystem = owner;
    m_setName(name);
    m_entryInfo = info;
    m_iLocalHeader = localHeader;
    m_bReadItself = readItself;
    // The file system only lends entries whose size an int holds.
    m_iLength = static_cast<int>(info.uncompressed_size);
    m_mode = MODE_READ;
    m_bInUse = true;
    m_pHandle = &m_entryInfo;
}

void HZIPFile::m_release()
{
    std::memset(&m_entryInfo, 0, sizeof(m_entryInfo));
    m_iLocalHeader = 0;
    m_bReadItself = false;
    m_bInUse = false;
    m_pHandle = nullptr;
    m_iLength = 0;
}
