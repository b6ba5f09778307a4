// ZIP output through minizip.
#include "tools/mkarchive/ZipWriter.h"

#include <cstdio>
#include <cstring>
#include <zip.h>

namespace mkarchive {

ZipWriter::ZipWriter() : m_pZip(nullptr) {}

ZipWriter::~ZipWriter()
{
    close();
}

bool ZipWriter::open(const std::string& path)
{
    m_pZip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (m_pZip == nullptr)
        std::fprintf(stderr, "mkarchive: cannot create '%s'\n", path.c_str());
    return m_pZip != nullptr;
}

bool ZipWriter::add(const char* name, const std::vector<uint8_t>& bytes, bool deflate)
{
    if (m_pZip == nullptr)
        return false;
    zip_fileinfo info;
    std::memset(&info, 0, sizeof(info));
    // A fixed time stamp: 1 January 2010, 12:00.
    info.tmz_date.tm_year = 2010;
    info.tmz_date.tm_mon = 0;
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_hour = 12;
    info.dosDate = 0;
    info.internal_fa = 0;
    info.external_fa = 0;
    int err = zipOpenNewFileInZip(m_pZip, name, &info, nullptr, 0, nullptr, 0, nullptr, deflate ? Z_DEFLATED : 0,
                                  deflate ? Z_BEST_COMPRESSION : 0);
    if (err == ZIP_OK && !bytes.empty())
        err = zipWriteInFileInZip(m_pZip, bytes.data(), unsigned(bytes.size()));
    if (err == ZIP_OK)
        err = zipCloseFileInZip(m_pZip);
    if (err != ZIP_OK)
        std::fprintf(stderr, "mkarchive: cannot add '%s' to the archive (%d)\n", name, err);
    return err == ZIP_OK;
}

bool ZipWriter::close()
{
    if (m_pZip == nullptr)
        return true;
    int err = zipClose(m_pZip, nullptr);
    m_pZip = nullptr;
    return err == ZIP_OK;
}

} // namespace mkarchive
