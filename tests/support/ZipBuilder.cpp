// Test archives through minizip's zip writer.
#include "tests/support/ZipBuilder.h"

#include "tests/support/TempDir.h"

#include <zip.h>
#include <zlib.h>

#include <cstdint>
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

namespace {

void put16(std::string& out, uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void put64(std::string& out, uint64_t v)
{
    put32(out, static_cast<uint32_t>(v));
    put32(out, static_cast<uint32_t>(v >> 32));
}

// Raw deflate data, as ZIP entries hold it; empty bytes give the empty
// stream's two bytes.
std::string deflateRaw(const std::string& bytes)
{
    z_stream z;
    std::memset(&z, 0, sizeof(z));
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::string();
    std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    const int r = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return r == Z_STREAM_END ? out : std::string();
}

// DOS time and date of the builder's fixed timestamp (2020-01-01 00:00).
constexpr uint32_t kDosTime = 0;
constexpr uint32_t kDosDate = ((2020 - 1980) << 9) | (1 << 5) | 1;
constexpr uint32_t kMarker32 = 0xFFFFFFFFu;
// "made by" Unix with 4.5, "needed" 4.5: the Zip64 version.
constexpr uint32_t kVersionMadeBy = (3 << 8) | 45;
constexpr uint32_t kVersionNeeded = 45;

} // namespace

std::string ZipBuilder::zip64Bytes(unsigned fields) const
{
    std::string out;
    std::string directory;
    for (const Entry& e : m_entries) {
        const std::string data = e.stored ? e.bytes : deflateRaw(e.bytes);
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(e.bytes.data()), static_cast<uInt>(e.bytes.size())));
        const uint32_t method = e.stored ? 0 : Z_DEFLATED;
        const uint64_t offset = out.size();

        put32(out, 0x04034b50);
        put16(out, kVersionNeeded);
        put16(out, 0);
        put16(out, method);
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, kMarker32);
        put32(out, kMarker32);
        put16(out, static_cast<uint32_t>(e.name.size()));
        put16(out, 20);
        out += e.name;
        put16(out, 0x0001);
        put16(out, 16);
        put64(out, e.bytes.size());
        put64(out, data.size());
        out += data;

        std::string extra;
        // An extended timestamp first, as Info-ZIP writes it: readers must
        // walk to the Zip64 block.
        put16(extra, 0x5455);
        put16(extra, 5);
        extra.push_back(1);
        put32(extra, 1577836800u);
        std::string zip64;
        if (fields & ZIP64_UNCOMPRESSED)
            put64(zip64, e.bytes.size());
        if (fields & ZIP64_COMPRESSED)
            put64(zip64, data.size());
        if (fields & ZIP64_OFFSET)
            put64(zip64, offset);
        if (!zip64.empty()) {
            put16(extra, 0x0001);
            put16(extra, static_cast<uint32_t>(zip64.size()));
            extra += zip64;
        }
        put32(directory, 0x02014b50);
        put16(directory, kVersionMadeBy);
        put16(directory, kVersionNeeded);
        put16(directory, 0);
        put16(directory, method);
        put16(directory, kDosTime);
        put16(directory, kDosDate);
        put32(directory, crc);
        put32(directory, (fields & ZIP64_COMPRESSED) ? kMarker32 : static_cast<uint32_t>(data.size()));
        put32(directory, (fields & ZIP64_UNCOMPRESSED) ? kMarker32 : static_cast<uint32_t>(e.bytes.size()));
        put16(directory, static_cast<uint32_t>(e.name.size()));
        put16(directory, static_cast<uint32_t>(extra.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0100644u << 16);
        put32(directory, (fields & ZIP64_OFFSET) ? kMarker32 : static_cast<uint32_t>(offset));
        directory += e.name;
        directory += extra;
    }
    const uint64_t directoryOffset = out.size();
    out += directory;
    const uint64_t endRecord = out.size();
    put32(out, 0x06064b50);
    put64(out, 44);
    put16(out, kVersionMadeBy);
    put16(out, kVersionNeeded);
    put32(out, 0);
    put32(out, 0);
    put64(out, m_entries.size());
    put64(out, m_entries.size());
    put64(out, directory.size());
    put64(out, directoryOffset);
    put32(out, 0x07064b50);
    put32(out, 0);
    put64(out, endRecord);
    put32(out, 1);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, 0xFFFF);
    put16(out, 0xFFFF);
    put32(out, kMarker32);
    put32(out, kMarker32);
    put16(out, 0);
    return out;
}
