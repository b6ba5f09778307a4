// The archive being built: producers add entries by name; each is checked
// against the manifest (known name, right format, size and transparency) as it
// arrives, encoded, and kept until the archive, the directory tree or the
// contact sheet is written. Entries are written in manifest order, whatever
// order the producers ran in.
#pragma once

#include "tools/mkarchive/AudioCodec.h"
#include "tools/mkarchive/Image.h"
#include "tools/mkarchive/ImageCodec.h"
#include "tools/mkarchive/Manifest.h"

#include <string>
#include <vector>

namespace mkarchive {

struct TilePos {
    int32_t x;
    int32_t y;
    int32_t z;
};

// Creates every folder of `path` up to its last '/'; false (after printing
// why) when one cannot be made.
bool makeParentFolders(const std::string& path);

class AssetSet {
public:
    AssetSet();

    // Each returns false (after printing why) when the entry breaks the manifest.
    bool addImage(const char* name, const Image& image);
    bool addSound(const char* name, const Sound& sound);
    bool addLayout(const char* name, const std::vector<TilePos>& tiles);
    bool addText(const char* name, const std::string& text);

    // True when every entry of the manifest was added.
    bool complete() const;

    bool writeArchive(const std::string& path) const;
    bool writeTree(const std::string& dir) const;

    struct Entry {
        const ManifestEntry* manifest;
        Bytes bytes;
        Image image;                // images: the picture as drawn
        std::vector<TilePos> tiles; // layouts: the positions
    };
    // Every added entry, in manifest order.
    std::vector<const Entry*> entries() const;
    // The added entry of that name, or null.
    const Entry* find(const char* name) const;

private:
    const ManifestEntry* m_claim(const char* name, AssetFormat format);

    std::vector<Entry> m_entries; // one slot per manifest entry, by index
    std::vector<bool> m_added;
};

} // namespace mkarchive
