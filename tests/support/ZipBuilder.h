// Builds ZIP archives for tests with the unzip library's companion writer:
// entries are added by name and the archive is written to a file or returned
// as bytes. Timestamps are fixed, so the same entries give the same bytes.
// The same entries can also be written as a Zip64 archive, by this class
// itself, with chosen fields of the directory in each entry's Zip64 extra
// field.
#pragma once

#include <string>
#include <vector>

class ZipBuilder {
public:
    ZipBuilder();

    // Deflated unless `stored`.
    ZipBuilder& add(const std::string& name, const std::string& bytes, bool stored = false);
    // False when the writer failed.
    bool writeTo(const std::string& path) const;
    // The archive's bytes; empty when the writer failed.
    std::string bytes() const;

    // The directory fields that a Zip64 archive moves into the extra field.
    enum Zip64Field : unsigned {
        ZIP64_UNCOMPRESSED = 1, // the uncompressed size
        ZIP64_COMPRESSED = 2,   // the compressed size
        ZIP64_OFFSET = 4,       // the local header's offset
    };
    // The entries as a Zip64 archive, laid out as `zip -fz` lays it out:
    // each local header with both sizes 0xFFFFFFFF and a Zip64 extra field
    // holding them; each directory record with an extended-timestamp block
    // first, then the fields named in `fields` set to 0xFFFFFFFF and their
    // values in a Zip64 block; a Zip64 end record and its locator before the
    // end record, whose counts and offsets give way to it.
    std::string zip64Bytes(unsigned fields) const;

private:
    struct Entry {
        std::string name;
        std::string bytes;
        bool stored;
    };
    std::vector<Entry> m_entries;
};
