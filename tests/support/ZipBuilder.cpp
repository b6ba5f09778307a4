// Test archives through minizip's zip writer.
#include "tests/support/ZipBuilder.h"

#include "tests/support/TempDir.h"

#include <zip.h>

#include <cstring>

ZipBuilder::ZipBuilder() : m_entries()
{
}

ZipBuilder& ZipBuilder::add(const std::string& name, const std::string& bytes, bool stored)
{
    m_entries.push_back(Entry{name, bytes, stored});
    return *this;
}

bool ZipBuilder::writeTo(const std::string& path) const
{
    zipFile zf = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (!zf)
        return false;
    bool ok = true;
    for (const Entry& e : m_entries) {
        zip_fileinfo info;
        std::memset(&info, 0, sizeof(info));
        info.tmz_date.tm_year = 2020;
        info.tmz_date.tm_mday = 1;
        const int method = e.stored ? 0 : Z_DEFLATED;
        const int level = e.stored ? 0 : Z_BEST_COMPRESSION;
        ok = ok &&
             zipOpenNewFileInZip(zf, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method, level) == ZIP_OK;
        ok = ok && (e.bytes.empty() ||
                    zipWriteInFileInZip(zf, e.bytes.data(), static_cast<unsigned>(e.bytes.size())) == ZIP_OK);
        ok = ok && zipCloseFileInZip(zf) == ZIP_OK;
    }
    return zipClose(zf, nullptr) == ZIP_OK && ok;
}

std::string ZipBuilder::bytes() const
{
    TempDir dir;
    const std::string path = dir.file("archive.zip");
    if (!writeTo(path))
        return std::string();
    return readFileBytes(path);
}
