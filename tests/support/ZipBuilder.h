// Builds ZIP archives for tests with the unzip library's companion writer:
// entries are added by name and the archive is written to a file or returned
// as bytes. Timestamps are fixed, so the same entries give the same bytes.
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

private:
    struct Entry {
        std::string name;
        std::string bytes;
        bool stored;
    };
    std::vector<Entry> m_entries;
};
