// The generated resource archive against its manifest: every entry present,
// in the right format and size, with the transparency its drawing needs; and
// the geometry the game relies on inside the tile sheets, the font and the
// counter glyphs.
#include "game/ScreenGeometry.h"
#include "tests/tools/ArchiveReader.h"
#include "tests/tools/BuiltArchiveTest.h"
#include "tests/tools/TgaImage.h"
#include "tools/mkarchive/Manifest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>

using namespace mkarchive;

namespace {

uint32_t le16(const std::string& b, size_t i)
{
    return uint32_t(uint8_t(b[i])) | (uint32_t(uint8_t(b[i + 1])) << 8);
}

uint32_t le32(const std::string& b, size_t i)
{
    return le16(b, i) | (le16(b, i + 2) << 16);
}

bool endsWith(const std::string& s, const char* tail)
{
    const size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// What a sound file says about itself.
struct SoundInfo {
    std::string error;
    int32_t channels = 0;
    int32_t rate = 0;
    int64_t frames = 0;
};

SoundInfo parseWav(const std::string& b)
{
    SoundInfo s;
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0 || b.compare(12, 4, "fmt ") != 0 ||
        le32(b, 16) != 16 || b.compare(36, 4, "data") != 0) {
        s.error = "not a canonical 44-byte WAV header";
        return s;
    }
    const uint32_t bits = le16(b, 34);
    s.channels = int32_t(le16(b, 22));
    s.rate = int32_t(le32(b, 24));
    if (le16(b, 20) != 1 || (bits != 8 && bits != 16))
        s.error = "not 8- or 16-bit PCM";
    else if (le32(b, 40) != b.size() - 44)
        s.error = "data size does not match the bytes that follow";
    else if (le32(b, 4) != b.size() - 8)
        s.error = "RIFF size does not match the file";
    s.frames = s.channels > 0 ? int64_t(le32(b, 40)) / (int64_t(bits / 8) * s.channels) : 0;
    return s;
}

// Walks the Ogg pages: the first carries the Vorbis identification header,
// the last one's granule position is the stream's length in frames.
SoundInfo parseOgg(const std::string& b)
{
    SoundInfo s;
    size_t at = 0;
    bool first = true;
    while (at < b.size()) {
        if (b.size() - at < 27 || b.compare(at, 4, "OggS") != 0) {
            s.error = "broken Ogg page at byte " + std::to_string(at);
            return s;
        }
        const size_t segments = uint8_t(b[at + 26]);
        if (b.size() - at < 27 + segments) {
            s.error = "truncated Ogg page";
            return s;
        }
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += uint8_t(b[at + 27 + i]);
        const size_t data = at + 27 + segments;
        if (b.size() - data < body) {
            s.error = "truncated Ogg page body";
            return s;
        }
        if (first) {
            if (body < 16 || b.compare(data, 7, std::string("\x01vorbis", 7)) != 0) {
                s.error = "first packet is not a Vorbis identification header";
                return s;
            }
            s.channels = uint8_t(b[data + 11]);
            s.rate = int32_t(le32(b, data + 12));
            first = false;
        }
        const int64_t granule = int64_t(le32(b, at + 6)) | (int64_t(le32(b, at + 10)) << 32);
        if (granule > 0)
            s.frames = granule;
        at = data + body;
    }
    if (first)
        s.error = "no Ogg pages";
    return s;
}

// Size and kind of a JPEG from its frame header.
std::string parseJpeg(const std::string& b, int32_t* w, int32_t* h)
{
    if (b.size() < 4 || uint8_t(b[0]) != 0xFF || uint8_t(b[1]) != 0xD8)
        return "no JPEG start marker";
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (uint8_t(b[at]) != 0xFF)
            return "broken marker";
        const uint32_t marker = uint8_t(b[at + 1]);
        const size_t len = (size_t(uint8_t(b[at + 2])) << 8) | uint8_t(b[at + 3]);
        if (len < 2 || at + 2 + len > b.size())
            return "truncated segment";
        if (marker == 0xC0) {
            if (len < 8)
                return "short frame header";
            *h = int32_t((uint32_t(uint8_t(b[at + 5])) << 8) | uint8_t(b[at + 6]));
            *w = int32_t((uint32_t(uint8_t(b[at + 7])) << 8) | uint8_t(b[at + 8]));
            return uint8_t(b[at + 9]) == 3 ? "" : "not three components";
        }
        if (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return "not baseline";
        if (marker == 0xDA)
            return "no frame header before the scan";
        at += 2 + len;
    }
    return "no frame header";
}

struct Position {
    int32_t x, y, z;
    bool operator<(const Position& o) const { return x != o.x ? x < o.x : (y != o.y ? y < o.y : z < o.z); }
};

// Empty when the text is 144 strict "x,y,z\n" lines.
std::string parseLayout(const std::string& text, std::vector<Position>* out)
{
    std::istringstream in(text);
    std::string line;
    int32_t n = 0;
    while (std::getline(in, line)) {
        Position p{};
        char tail = 0;
        if (std::sscanf(line.c_str(), "%d,%d,%d%c", &p.x, &p.y, &p.z, &tail) != 3)
            return "line " + std::to_string(n + 1) + " is not x,y,z";
        out->push_back(p);
        ++n;
    }
    if (text.empty() || text.back() != '\n')
        return "does not end with a line feed";
    return n == kLayoutTiles ? "" : std::to_string(n) + " lines";
}

class ArchiveTest : public BuiltArchiveTest {
protected:
    static TgaImage tga(const char* name)
    {
        TgaImage img;
        const std::string problem = img.parse(s_archive->bytes(name));
        EXPECT_EQ(problem, "") << name;
        return img;
    }

};

TEST(ManifestTable, NamesCountsAndExtensionsAgree)
{
    int32_t images = 0, sounds = 0, music = 0, layouts = 0, texts = 0;
    std::set<std::string> names;
    for (const ManifestEntry& e : kManifest) {
        const std::string name = e.name;
        EXPECT_TRUE(names.insert(name).second) << name << " listed twice";
        switch (e.format) {
        case AssetFormat::Tga: EXPECT_TRUE(endsWith(name, ".tga")) << name; ++images; break;
        case AssetFormat::Jpeg:
            EXPECT_TRUE(endsWith(name, ".jpg")) << name;
            EXPECT_LE(e.width, 1365) << name << ": the JPEG loader's rows hold 1365 pixels";
            ++images;
            break;
        case AssetFormat::Wav: EXPECT_TRUE(endsWith(name, ".wav")) << name; ++sounds; break;
        case AssetFormat::Ogg: EXPECT_TRUE(endsWith(name, ".ogg")) << name; (name.rfind("music/", 0) == 0 ? music : sounds)++; break;
        case AssetFormat::Layout: EXPECT_TRUE(endsWith(name, ".qvl")) << name; ++layouts; break;
        case AssetFormat::Text: ++texts; break;
        }
        EXPECT_EQ(findManifestEntry(e.name), &e);
    }
    EXPECT_EQ(images, 173);
    EXPECT_EQ(sounds, 9);
    EXPECT_EQ(music, 1);
    EXPECT_EQ(layouts, 18);
    EXPECT_EQ(texts, 1);
    EXPECT_EQ(findManifestEntry("art/FONT.tga"), nullptr);
}

TEST_F(ArchiveTest, HoldsEveryEntryAndNothingElse)
{
    std::set<std::string> listed;
    for (const ManifestEntry& e : kManifest) {
        listed.insert(e.name);
        EXPECT_TRUE(s_archive->has(e.name)) << e.name << " is missing";
    }
    for (const std::string& name : s_archive->names())
        EXPECT_EQ(listed.count(name), 1u) << name << " is not in the manifest";
    EXPECT_EQ(int32_t(s_archive->names().size()), kManifestSize);
}

TEST_F(ArchiveTest, EveryEntryHasItsFormatAndSize)
{
    for (const ManifestEntry& e : kManifest) {
        const std::string& b = s_archive->bytes(e.name);
        SCOPED_TRACE(e.name);
        switch (e.format) {
        case AssetFormat::Tga: {
            TgaImage img;
            ASSERT_EQ(img.parse(b), "");
            EXPECT_EQ(img.width(), e.width);
            EXPECT_EQ(img.height(), e.height);
            if ((e.flags & kAlpha) != 0) {
                EXPECT_EQ(img.bitsPerPixel(), 32);
                EXPECT_TRUE(img.anyTransparent()) << "blended art needs real transparency";
            }
            if ((e.flags & kOpaque) != 0) {
                EXPECT_FALSE(img.anyTransparent());
            }
            // The game makes the colour key transparent wherever it appears.
            EXPECT_FALSE(img.anyColourKey());
            break;
        }
        case AssetFormat::Jpeg: {
            int32_t w = 0, h = 0;
            ASSERT_EQ(parseJpeg(b, &w, &h), "");
            EXPECT_EQ(w, e.width);
            EXPECT_EQ(h, e.height);
            break;
        }
        case AssetFormat::Wav:
        case AssetFormat::Ogg: {
            const SoundInfo s = e.format == AssetFormat::Wav ? parseWav(b) : parseOgg(b);
            ASSERT_EQ(s.error, "");
            EXPECT_EQ(s.rate, kSampleRate);
            EXPECT_TRUE(s.channels == 1 || s.channels == 2) << s.channels;
            if ((e.flags & kStereo) != 0) {
                EXPECT_EQ(s.channels, 2);
            }
            const int64_t ms = s.frames * 1000 / kSampleRate;
            EXPECT_GE(ms, e.width);
            EXPECT_LE(ms, e.height);
            break;
        }
        case AssetFormat::Layout: {
            EXPECT_LE(int32_t(b.size()), kLayoutMaxBytes);
            std::vector<Position> tiles;
            EXPECT_EQ(parseLayout(b, &tiles), "");
            break;
        }
        case AssetFormat::Text:
            break;
        }
    }
}

TEST_F(ArchiveTest, LayoutsKeepToTheBoard)
{
    for (const ManifestEntry& e : kManifest) {
        if (e.format != AssetFormat::Layout)
            continue;
        SCOPED_TRACE(e.name);
        std::vector<Position> tiles;
        ASSERT_EQ(parseLayout(s_archive->bytes(e.name), &tiles), "");
        std::set<Position> seen(tiles.begin(), tiles.end());
        EXPECT_EQ(seen.size(), tiles.size()) << "positions repeat";
        for (const Position& t : tiles) {
            // On screen: right of the panel, left of 640 with the shadow, above the labels at 444.
            EXPECT_TRUE(t.x >= 0 && t.x <= 28 && t.y >= 0 && t.y <= 14 && t.z >= 0) << t.x << "," << t.y << "," << t.z;
            EXPECT_FALSE(t.x == 28 && t.z > 0) << t.x << "," << t.y << "," << t.z;
            EXPECT_FALSE(t.y == 0 && t.z > 3) << t.x << "," << t.y << "," << t.z;
            for (const Position& u : tiles) {
                const bool overlap = u.z == t.z && (u.x != t.x || u.y != t.y) && std::abs(u.x - t.x) < 2 && std::abs(u.y - t.y) < 2;
                EXPECT_FALSE(overlap) << "tiles overlap at " << t.x << "," << t.y << "," << t.z;
            }
            if (t.z == 0)
                continue;
            // Every quarter rests on a tile of the layer below.
            for (int32_t cy = t.y; cy <= t.y + 1; ++cy) {
                for (int32_t cx = t.x; cx <= t.x + 1; ++cx) {
                    bool under = false;
                    for (const Position& u : tiles)
                        under = under || (u.z == t.z - 1 && u.x <= cx && cx <= u.x + 1 && u.y <= cy && cy <= u.y + 1);
                    EXPECT_TRUE(under) << t.x << "," << t.y << "," << t.z << " hangs over " << cx << "," << cy;
                }
            }
        }
    }
}

TEST_F(ArchiveTest, ConfigNamesThePartnerOnItsSecondLine)
{
    const std::string& text = s_archive->bytes("config.txt");
    ASSERT_LE(text.size(), 1024u);
    const size_t first = text.find("\r\n");
    ASSERT_NE(first, std::string::npos);
    const std::string second = text.substr(first + 2);
    ASSERT_TRUE(endsWith(second, "\r\n"));
    const std::string line = second.substr(0, second.size() - 2);
    EXPECT_EQ(line.find("\r\n"), std::string::npos) << "more than two lines";
    ASSERT_EQ(line.rfind("partnerURL=", 0), 0u);
    const std::string address = line.substr(11);
    EXPECT_FALSE(address.empty());
    EXPECT_EQ(address.find_first_of(" \t"), std::string::npos);
}

// In every used cell the face fills x 6-39, y 0-48 and the tile's edge shows
// 6 px left of it and 7 px below it, so the two corners the edge leaves out
// stay clear; unused cells are empty. The game copies tiles through a mask of
// fully opaque pixels, so no pixel is half transparent.
TEST_F(ArchiveTest, TileSheetsHaveTheBoardsCellGeometry)
{
    const char* const sheets[] = {"art/tileset_1.tga", "art/tileset_2.tga", "art/tileset_tovani.tga",
                                  "art/tileset_3.tga", "art/tileset_4.tga", "art/tileset_5.tga",
                                  "art/tileset_6.tga", "art/tileset_7.tga", "art/tileset_8.tga"};
    for (const char* name : sheets) {
        SCOPED_TRACE(name);
        const TgaImage img = tga(name);
        ASSERT_EQ(img.width(), geo::kTileW * geo::kTileSheetColumns);
        for (int32_t y = 0; y < img.height(); ++y) {
            for (int32_t x = 0; x < img.width(); ++x)
                ASSERT_TRUE(img.at(x, y).a == 0 || img.at(x, y).a == 255) << x << "," << y;
        }
        for (int32_t face = 0; face < geo::kTileSheetColumns * geo::kTileSheetRows; ++face) {
            const int32_t row = face / 13;
            const int32_t col = face % 13;
            const int32_t x0 = col * geo::kTileW;
            const int32_t y0 = row * geo::kTileH;
            const bool used = col <= 8 ? (row <= 2 || col <= 6) : row >= 2;
            SCOPED_TRACE("face " + std::to_string(face));
            if (!used) {
                EXPECT_TRUE(img.clear(x0, y0, geo::kTileW, geo::kTileH));
                continue;
            }
            EXPECT_TRUE(img.clear(x0, y0, 4, 4)) << "above the left edge";
            EXPECT_TRUE(img.clear(x0 + 35, y0 + 51, 4, 4)) << "right of the bottom edge";
            EXPECT_EQ(img.at(x0 + 22, y0 + 24).a, 255) << "face";
            EXPECT_EQ(img.at(x0 + 38, y0 + 10).a, 255) << "face's right side";
            EXPECT_EQ(img.at(x0 + 2, y0 + 30).a, 255) << "left edge";
            EXPECT_EQ(img.at(x0 + 20, y0 + 53).a, 255) << "bottom edge";
        }
    }
}

// Character c at column c mod 16, row c / 16 - 1: the first row (16-31), the
// blank and DEL stay empty, every printable character has ink, all in one colour.
TEST_F(ArchiveTest, FontSheetHoldsThePrintableCharactersInOneColour)
{
    const TgaImage img = tga("art/font.tga");
    EXPECT_TRUE(img.clear(0, 0, 128, 12));
    std::set<uint32_t> colours;
    for (int32_t c = 32; c < 128; ++c) {
        const int32_t x = (c % 16) * 8;
        const int32_t y = (c / 16 - 1) * 12;
        const bool blank = c == 32 || c == 127;
        EXPECT_EQ(img.clear(x, y, 8, 12), blank) << "character " << c;
        for (int32_t j = y; j < y + 12; ++j) {
            for (int32_t i = x; i < x + 8; ++i) {
                const TgaPixel p = img.at(i, j);
                if (p.a > 0)
                    colours.insert(uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b);
            }
        }
    }
    EXPECT_EQ(colours.size(), 1u);
}

TEST_F(ArchiveTest, CounterGlyphsAreDistinctAndTheColonStaysClearOfItsNeighbour)
{
    std::set<std::string> seen;
    for (char c = '0'; c <= '9'; ++c) {
        const std::string name = std::string("art/font_number_") + c + ".tga";
        EXPECT_TRUE(seen.insert(s_archive->bytes(name)).second) << name << " repeats another digit";
    }
    // The minutes' last digit is drawn over the colon's first two columns.
    const TgaImage colon = tga("art/font_colon.tga");
    EXPECT_TRUE(colon.clear(0, 0, 3, colon.height()));
    EXPECT_FALSE(colon.clear(3, 0, colon.width() - 3, colon.height()));
}

// The shadows darken towards the face: the top strip's lowest row and the
// right strip's first column are its darkest.
TEST_F(ArchiveTest, ShadowsFadeAwayFromTheFace)
{
    const TgaImage top = tga("art/shadow_top.tga");
    const TgaImage right = tga("art/shadow_right.tga");
    EXPECT_GT(top.at(20, top.height() - 1).a, top.at(20, 0).a);
    EXPECT_GT(right.at(0, 30).a, right.at(right.width() - 1, 30).a);
    for (const TgaImage* img : {&top, &right}) {
        for (int32_t y = 0; y < img->height(); ++y) {
            for (int32_t x = 0; x < img->width(); ++x)
                EXPECT_LT(int32_t(img->at(x, y).r) + img->at(x, y).g + img->at(x, y).b, 3 * 40);
        }
    }
}

TEST_F(ArchiveTest, OutlinesFrameTheFaceAndLeaveItsMiddleClear)
{
    for (const char* name : {"art/outline_green.tga", "art/outline_red.tga"}) {
        SCOPED_TRACE(name);
        const TgaImage img = tga(name);
        EXPECT_TRUE(img.clear(8, 8, 17, 32));
        EXPECT_EQ(img.at(16, 1).a, 255);
        EXPECT_EQ(img.at(1, 24).a, 255);
    }
    EXPECT_GT(tga("art/outline_green.tga").at(16, 1).g, tga("art/outline_green.tga").at(16, 1).r);
    EXPECT_GT(tga("art/outline_red.tga").at(16, 1).r, tga("art/outline_red.tga").at(16, 1).g);
}

} // namespace
