// Whole-archive reading through minizip's unzip interface.
#include "tests/tools/ArchiveReader.h"

#include "engine/core/HZIPFileSystem.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <cstring>
#include <unzip.h>

ArchiveReader::ArchiveReader() : m_names(), m_entries() {}

bool ArchiveReader::open(const std::string& path)
{
    m_names.clear();
    m_entries.clear();
    unzFile zip = unzOpen(path.c_str());
    if (zip == nullptr)
        return false;
    bool ok = true;
    for (int err = unzGoToFirstFile(zip); ok && err == UNZ_OK; err = unzGoToNextFile(zip)) {
        char name[1024];
        unz_file_info info;
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            ok = false;
            break;
        }
        std::string data(info.uncompressed_size, '\0');
        const int got = data.empty() ? 0 : unzReadCurrentFile(zip, &data[0], unsigned(data.size()));
        ok = got == int(data.size()) && unzCloseCurrentFile(zip) == UNZ_OK;
        m_names.push_back(name);
        m_entries[name] = data;
    }
    unzClose(zip);
    return ok;
}

const std::string& ArchiveReader::bytes(const std::string& name) const
{
    static const std::string kNone;
    auto it = m_entries.find(name);
    return it == m_entries.end() ? kNone : it->second;
}

std::string openBuiltArchive(HZIPFileSystem& fs)
{
    const std::string bytes = readFileBytes(buildArchivePath());
    if (bytes.empty())
        return "no archive at " + buildArchivePath();
    void* buffer = std::malloc(bytes.size());
    if (!buffer)
        return "out of memory";
    std::memcpy(buffer, bytes.data(), bytes.size());
    if (!fs.initFileSystemFromMemory(buffer, static_cast<int>(bytes.size()))) {
        std::free(buffer);
        return "the engine cannot open the archive";
    }
    return "";
}
