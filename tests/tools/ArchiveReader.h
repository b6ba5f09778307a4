// Reads a whole ZIP archive into memory with minizip: every entry's name and
// bytes, in archive order. For tests of the generated resource archive.
#pragma once

#include "tests/support/TestPaths.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class ArchiveReader {
public:
    ArchiveReader();

    // False when the archive cannot be opened or an entry cannot be read.
    bool open(const std::string& path);

    const std::vector<std::string>& names() const { return m_names; }
    bool has(const std::string& name) const { return m_entries.count(name) != 0; }
    // The entry's bytes; empty when there is no such entry.
    const std::string& bytes(const std::string& name) const;

private:
    std::vector<std::string> m_names;
    std::map<std::string, std::string> m_entries;
};

class HZIPFileSystem;

// Opens the built archive the way the game does: read whole into memory and
// handed to the engine's ZIP file system, which then owns the buffer. An
// empty text on success, else what went wrong.
std::string openBuiltArchive(HZIPFileSystem& fs);
