// Files in memory behind the engine's file-system interface.
#include "tests/support/MemoryFileSystem.h"

#include <cctype>
#include <cstring>

MemoryFileSystem::MemoryFile::MemoryFile() : HFile(), m_pBytes(nullptr), m_uPosition(0), m_bShortRead(false) {}

int MemoryFileSystem::MemoryFile::read(void* buffer, int len)
{
    if (!m_pBytes || !buffer || len <= 0)
        return 0;
    size_t want = static_cast<size_t>(len);
    if (m_bShortRead && want > 0)
        --want;
    const size_t left = m_pBytes->size() - m_uPosition;
    const size_t n = want < left ? want : left;
    if (n > 0)
        std::memcpy(buffer, m_pBytes->data() + m_uPosition, n);
    m_uPosition += n;
    return static_cast<int>(n);
}

int MemoryFileSystem::MemoryFile::write(const void* data, int len)
{
    if (!m_pBytes || m_mode != MODE_WRITE || !data || len <= 0)
        return 0;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    m_pBytes->insert(m_pBytes->end(), bytes, bytes + len);
    return len;
}

bool MemoryFileSystem::MemoryFile::rewind()
{
    m_uPosition = 0;
    return m_pBytes != nullptr;
}

void MemoryFileSystem::MemoryFile::m_take(MemoryFileSystem* owner, const char* name,
                                          std::vector<unsigned char>* bytes, Mode mode, bool shortRead)
{
    m_setFileSystem(owner);
    m_setName(name);
    m_mode = mode;
    m_pBytes = bytes;
    m_uPosition = 0;
    m_bShortRead = shortRead;
    // The length is fixed at the open, 0 for writing.
    m_iLength = mode == MODE_READ ? static_cast<int>(bytes->size()) : 0;
    // Any non-null handle marks the slot as lent out.
    m_pHandle = this;
}

void MemoryFileSystem::MemoryFile::m_release()
{
    m_pBytes = nullptr;
    m_uPosition = 0;
    m_bShortRead = false;
    m_iLength = 0;
    m_pHandle = nullptr;
}

MemoryFileSystem::MemoryFileSystem() : HFileSystem(), m_entries(), m_files(), m_iTotalOpens(0), m_bWritable(false) {}

MemoryFileSystem::~MemoryFileSystem() = default;

std::string MemoryFileSystem::m_key(const std::string& name)
{
    std::string key = name;
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

void MemoryFileSystem::add(const std::string& name, const std::vector<unsigned char>& bytes)
{
    m_entries[m_key(name)].bytes = bytes;
}

void MemoryFileSystem::add(const std::string& name, const std::string& bytes)
{
    add(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

void MemoryFileSystem::setShortRead(const std::string& name, bool shortRead)
{
    m_entries[m_key(name)].shortRead = shortRead;
}

int MemoryFileSystem::openCount(const std::string& name) const
{
    const auto it = m_entries.find(m_key(name));
    return it == m_entries.end() ? 0 : it->second.opens;
}

int MemoryFileSystem::openFiles() const
{
    int n = 0;
    for (const MemoryFile& f : m_files)
        n += f.isOpen() ? 1 : 0;
    return n;
}

bool MemoryFileSystem::fileExists(const char* name)
{
    return name && m_entries.count(m_key(name)) != 0;
}

HFile* MemoryFileSystem::m_lend(const char* name, Entry* entry, HFile::Mode mode)
{
    for (MemoryFile& f : m_files) {
        if (f.isOpen())
            continue;
        f.m_take(this, name, &entry->bytes, mode, entry->shortRead);
        ++entry->opens;
        ++m_iTotalOpens;
        return &f;
    }
    return nullptr;
}

HFile* MemoryFileSystem::openFileForRead(const char* name)
{
    if (!name)
        return nullptr;
    const auto it = m_entries.find(m_key(name));
    if (it == m_entries.end())
        return nullptr;
    return m_lend(name, &it->second, HFile::MODE_READ);
}

HFile* MemoryFileSystem::openFileForWrite(const char* name)
{
    if (!name || !m_bWritable)
        return nullptr;
    Entry& entry = m_entries[m_key(name)];
    entry.bytes.clear();
    return m_lend(name, &entry, HFile::MODE_WRITE);
}

std::vector<unsigned char> MemoryFileSystem::bytes(const std::string& name) const
{
    const auto it = m_entries.find(m_key(name));
    return it == m_entries.end() ? std::vector<unsigned char>() : it->second.bytes;
}

int64_t MemoryFileSystem::getLastModTime(const char* /*name*/)
{
    return 0;
}

void MemoryFileSystem::m_closeFile(HFile* file)
{
    for (MemoryFile& f : m_files) {
        if (&f == file)
            f.m_release();
    }
}
