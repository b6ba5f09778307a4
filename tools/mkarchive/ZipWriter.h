// Writes a ZIP archive with minizip's zip.h: deflated or stored entries, every
// one with the same fixed time stamp, so equal content gives equal bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkarchive {

class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();

    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    bool open(const std::string& path);
    bool add(const char* name, const std::vector<uint8_t>& bytes, bool deflate);
    bool close();

private:
    void* m_pZip; // zipFile
};

} // namespace mkarchive
