// Collects, checks and writes the archive's entries.
#include "tools/mkarchive/AssetSet.h"

#include "tools/mkarchive/ZipWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace mkarchive {

namespace {

const char* formatName(AssetFormat f)
{
    switch (f) {
    case AssetFormat::Tga: return "TGA";
    case AssetFormat::Jpeg: return "JPEG";
    case AssetFormat::Wav: return "WAV";
    case AssetFormat::Ogg: return "Ogg";
    case AssetFormat::Layout: return "layout";
    case AssetFormat::Text: return "text";
    }
    return "?";
}

int32_t indexOf(const ManifestEntry* e)
{
    return int32_t(e - kManifest);
}

} // namespace

bool makeParentFolders(const std::string& path)
{
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/')
            continue;
        std::string dir = path.substr(0, i);
        if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "mkarchive: cannot create folder '%s': %s\n", dir.c_str(), std::strerror(errno));
            return false;
        }
    }
    return true;
}

namespace {

bool writeFile(const std::string& path, const Bytes& bytes)
{
    if (!makeParentFolders(path))
        return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "mkarchive: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "mkarchive: writing '%s' failed\n", path.c_str());
    return ok;
}

} // namespace

AssetSet::AssetSet() : m_entries(size_t(kManifestSize)), m_added(size_t(kManifestSize), false) {}

const ManifestEntry* AssetSet::m_claim(const char* name, AssetFormat format)
{
    const ManifestEntry* e = findManifestEntry(name);
    if (e == nullptr) {
        std::fprintf(stderr, "mkarchive: '%s' is not in the manifest\n", name);
        return nullptr;
    }
    if (e->format != format) {
        std::fprintf(stderr, "mkarchive: '%s' must be %s, not %s\n", name, formatName(e->format), formatName(format));
        return nullptr;
    }
    if (m_added[size_t(indexOf(e))]) {
        std::fprintf(stderr, "mkarchive: '%s' was made twice\n", name);
        return nullptr;
    }
    return e;
}

bool AssetSet::addImage(const char* name, const Image& image)
{
    const ManifestEntry* e = findManifestEntry(name);
    AssetFormat format = e != nullptr && e->format == AssetFormat::Jpeg ? AssetFormat::Jpeg : AssetFormat::Tga;
    e = m_claim(name, format);
    if (e == nullptr)
        return false;
    if (image.width() != e->width || image.height() != e->height) {
        std::fprintf(stderr, "mkarchive: '%s' is %dx%d, the manifest says %dx%d\n", name, image.width(), image.height(),
                     e->width, e->height);
        return false;
    }
    // The game gives an image a mask, and so blends it, only when some pixel
    // is transparent; and it turns the colour key transparent wherever it is.
    if ((e->flags & kAlpha) != 0 && !image.hasTransparency()) {
        std::fprintf(stderr, "mkarchive: '%s' is blended but has no transparent pixel\n", name);
        return false;
    }
    if (image.hasColourKey()) {
        std::fprintf(stderr, "mkarchive: '%s' has a pixel of the colour key (255, 0, 255), which turns transparent\n", name);
        return false;
    }
    if ((e->flags & kOpaque) != 0 && image.hasTransparency()) {
        std::fprintf(stderr, "mkarchive: '%s' must be opaque\n", name);
        return false;
    }
    Entry& entry = m_entries[size_t(indexOf(e))];
    entry.manifest = e;
    entry.image = image;
    if (format == AssetFormat::Jpeg)
        entry.bytes = encodeJpeg(image, 90);
    else
        entry.bytes = encodeTga(image, image.hasTransparency());
    m_added[size_t(indexOf(e))] = true;
    return true;
}

bool AssetSet::addSound(const char* name, const Sound& sound)
{
    const ManifestEntry* e = findManifestEntry(name);
    AssetFormat format = e != nullptr && e->format == AssetFormat::Wav ? AssetFormat::Wav : AssetFormat::Ogg;
    e = m_claim(name, format);
    if (e == nullptr)
        return false;
    const int32_t channels = int32_t(sound.channels.size());
    const int32_t ms = int32_t(int64_t(sound.frames()) * 1000 / kSampleRate);
    if (channels < 1 || channels > 2 || ((e->flags & kStereo) != 0 && channels != 2)) {
        std::fprintf(stderr, "mkarchive: '%s' has %d channels\n", name, channels);
        return false;
    }
    if (ms < e->width || ms > e->height) {
        std::fprintf(stderr, "mkarchive: '%s' lasts %d ms, the manifest allows %d to %d\n", name, ms, e->width, e->height);
        return false;
    }
    Entry& entry = m_entries[size_t(indexOf(e))];
    entry.manifest = e;
    if (format == AssetFormat::Wav) {
        entry.bytes = encodeWav(sound);
    } else {
        // The music is long and plays under everything; sounds are short and
        // exposed: they get the higher quality.
        const bool music = (e->flags & kStereo) != 0;
        entry.bytes = encodeOgg(sound, music ? 0.3f : 0.5f, 0x51560000 + indexOf(e));
    }
    m_added[size_t(indexOf(e))] = true;
    return true;
}

bool AssetSet::addLayout(const char* name, const std::vector<TilePos>& tiles)
{
    const ManifestEntry* e = m_claim(name, AssetFormat::Layout);
    if (e == nullptr)
        return false;
    if (int32_t(tiles.size()) != kLayoutTiles) {
        std::fprintf(stderr, "mkarchive: '%s' has %d tiles, not %d\n", name, int32_t(tiles.size()), kLayoutTiles);
        return false;
    }
    std::string text;
    for (const TilePos& t : tiles) {
        char line[48];
        std::snprintf(line, sizeof(line), "%d,%d,%d\n", t.x, t.y, t.z);
        text += line;
    }
    if (int32_t(text.size()) > kLayoutMaxBytes) {
        std::fprintf(stderr, "mkarchive: '%s' is %d bytes long\n", name, int32_t(text.size()));
        return false;
    }
    Entry& entry = m_entries[size_t(indexOf(e))];
    entry.manifest = e;
    entry.bytes.assign(text.begin(), text.end());
    entry.tiles = tiles;
    m_added[size_t(indexOf(e))] = true;
    return true;
}

bool AssetSet::addText(const char* name, const std::string& text)
{
    const ManifestEntry* e = m_claim(name, AssetFormat::Text);
    if (e == nullptr)
        return false;
    Entry& entry = m_entries[size_t(indexOf(e))];
    entry.manifest = e;
    entry.bytes.assign(text.begin(), text.end());
    m_added[size_t(indexOf(e))] = true;
    return true;
}

bool AssetSet::complete() const
{
    bool ok = true;
    for (int32_t i = 0; i < kManifestSize; ++i) {
        if (!m_added[size_t(i)]) {
            std::fprintf(stderr, "mkarchive: nothing made '%s'\n", kManifest[i].name);
            ok = false;
        }
    }
    return ok;
}

const AssetSet::Entry* AssetSet::find(const char* name) const
{
    const ManifestEntry* e = findManifestEntry(name);
    if (e == nullptr || !m_added[size_t(indexOf(e))])
        return nullptr;
    return &m_entries[size_t(indexOf(e))];
}

std::vector<const AssetSet::Entry*> AssetSet::entries() const
{
    std::vector<const Entry*> out;
    for (int32_t i = 0; i < kManifestSize; ++i) {
        if (m_added[size_t(i)])
            out.push_back(&m_entries[size_t(i)]);
    }
    return out;
}

bool AssetSet::writeArchive(const std::string& path) const
{
    if (!makeParentFolders(path))
        return false;
    // Written beside the target and renamed over it, so an interrupted build
    // never leaves half an archive where the game looks for one.
    const std::string partial = path + ".partial";
    ZipWriter zip;
    if (!zip.open(partial))
        return false;
    for (const Entry* e : entries()) {
        const AssetFormat f = e->manifest->format;
        const bool packed = f == AssetFormat::Jpeg || f == AssetFormat::Ogg; // already compressed
        if (!zip.add(e->manifest->name, e->bytes, !packed)) {
            zip.close();
            std::remove(partial.c_str());
            return false;
        }
    }
    if (!zip.close() || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "mkarchive: cannot finish '%s'\n", path.c_str());
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

bool AssetSet::writeTree(const std::string& dir) const
{
    for (const Entry* e : entries()) {
        if (!writeFile(dir + "/" + e->manifest->name, e->bytes))
            return false;
    }
    return true;
}

} // namespace mkarchive
