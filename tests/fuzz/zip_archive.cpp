// Fuzzes the ZIP archive file system: opens any bytes as an archive from
// memory and reads every entry it lists, through the library or, for the
// entries with Zip64 extra fields, by the file system itself. A failed open
// must leave the buffer with the caller; a read never returns more than the
// entry's length.
#include "engine/core/HFile.h"
#include "engine/core/HZIPFileSystem.h"

#include <unzip.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
// Keeps one input's work small; the declared sizes are already bounded by
// the archive's size.
constexpr size_t kMaxEntries = 64;
constexpr int kMaxEntryLength = 16 * 1024 * 1024;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFFF)
        return 0;
    void* buffer = std::malloc(size ? size : 1);
    if (!buffer)
        return 0;
    if (size)
        std::memcpy(buffer, data, size);

    HZIPFileSystem fs;
    if (!fs.initFileSystemFromMemory(buffer, static_cast<int>(size))) {
        std::free(buffer);
        return 0;
    }

    std::vector<std::string> names;
    unzFile archive = fs.getUnzFile();
    for (int err = unzGoToFirstFile(archive); err == UNZ_OK && names.size() < kMaxEntries;
         err = unzGoToNextFile(archive)) {
        char name[1024];
        unz_file_info info;
        if (unzGetCurrentFileInfo(archive, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        name[sizeof(name) - 1] = '\0';
        names.emplace_back(name);
    }

    for (const std::string& name : names) {
        fs.fileExists(name.c_str());
        HFile* f = fs.openFileForRead(name.c_str());
        if (!f)
            continue;
        const int len = f->length();
        if (len >= 0 && len <= kMaxEntryLength) {
            std::vector<char> out(static_cast<size_t>(len) + 1);
            const int got = f->read(out.data(), len + 1);
            if (got < 0 || got > len)
                std::abort();
            // A second read starts again from the entry's beginning.
            std::vector<char> again(out.size());
            if (f->read(again.data(), len + 1) != got ||
                (got > 0 && std::memcmp(again.data(), out.data(), static_cast<size_t>(got)) != 0))
                std::abort();
        }
        f->close();
    }
    fs.shutdownFileSystem();
    return 0;
}
