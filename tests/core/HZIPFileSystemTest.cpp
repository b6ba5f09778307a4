// The ZIP archive file system: lookups, reads and slots over archives made by
// the test, opened from a path and from memory, Zip64 archives with sizes
// and offsets in the extra field, compression methods it does not read, and
// damaged archives.
#include "engine/core/HFile.h"
#include "engine/core/HZIPFile.h"
#include "engine/core/HZIPFileSystem.h"
#include "engine/core/HZIPMemoryStream.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string pattern(int size, int seed)
{
    std::string out;
    uint32_t x = static_cast<uint32_t>(seed) * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        // Compressible, but not trivially: words from a small alphabet.
        x = x * 1103515245u + 12345u;
        out.push_back(static_cast<char>('a' + ((x >> 16) % 6)));
    }
    return out;
}

const std::string kFont = pattern(5000, 1);
const std::string kClick = "RIFF-click-sound-bytes";
const std::string kLayout = pattern(300, 2);

std::string sampleArchive()
{
    return ZipBuilder()
        .add("art/font.tga", kFont)
        .add("sounds/click.wav", kClick, true)
        .add("layouts/turtle.txt", kLayout)
        .add("empty.txt", "")
        .bytes();
}

// A malloc'd copy, as the memory open requires.
void* mallocCopy(const std::string& bytes)
{
    void* p = std::malloc(bytes.size() ? bytes.size() : 1);
    if (!bytes.empty())
        std::memcpy(p, bytes.data(), bytes.size());
    return p;
}

uint32_t readU32(const std::string& s, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
    return v;
}

uint32_t readU16(const std::string& s, size_t at)
{
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}

void writeU32(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Where an entry's records lie in an archive.
struct EntryLayout {
    size_t local;   // local header
    size_t data;    // first byte of its (compressed) data
    size_t central; // central directory header
    uint32_t compressed;
};

EntryLayout findEntry(const std::string& zip, const std::string& name)
{
    EntryLayout e = {0, 0, 0, 0};
    const std::string signature("PK\x01\x02", 4);
    for (size_t at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 1)) {
        const uint32_t nameLength = readU16(zip, at + 28);
        if (zip.compare(at + 46, nameLength, name) == 0) {
            e.central = at;
            e.compressed = readU32(zip, at + 20);
            e.local = readU32(zip, at + 42);
            e.data = e.local + 30 + readU16(zip, e.local + 26) + readU16(zip, e.local + 28);
            return e;
        }
    }
    ADD_FAILURE() << "no entry " << name;
    return e;
}

std::string readWhole(HFile* f)
{
    std::vector<char> buf(static_cast<size_t>(f->length()) + 16);
    const int got = f->read(buf.data(), f->length());
    return got > 0 ? std::string(buf.data(), static_cast<size_t>(got)) : std::string();
}

class HZIPFileSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        zip = sampleArchive();
        ASSERT_FALSE(zip.empty());
        ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(zip), static_cast<int>(zip.size())));
    }
    void TearDown() override { fs.shutdownFileSystem(); }

    std::string zip;
    HZIPFileSystem fs;
};

TEST_F(HZIPFileSystemTest, NamesCompareWithoutRegardToCase)
{
    EXPECT_TRUE(fs.fileExists("art/font.tga"));
    EXPECT_TRUE(fs.fileExists("ART/Font.TGA"));
    EXPECT_FALSE(fs.fileExists("art/font.tg"));
    EXPECT_FALSE(fs.fileExists(nullptr));
    EXPECT_EQ(fs.openFileForRead("art/missing.tga"), nullptr);

    HFile* f = fs.openFileForRead("Art/FONT.tga");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->length(), static_cast<int>(kFont.size())) << "the uncompressed size";
    EXPECT_STREQ(f->getName(), "Art/FONT.tga");
    EXPECT_EQ(f->getFileSystem(), &fs);
    EXPECT_TRUE(f->isKindOf(&HFile::sm_classInfoHFile));
    EXPECT_STREQ(f->getClassName(), "HZIPFile");
    EXPECT_EQ(readWhole(f), kFont);
    f->close();
}

TEST_F(HZIPFileSystemTest, EveryReadStartsAtTheEntrysBeginning)
{
    HFile* f = fs.openFileForRead("layouts/turtle.txt");
    ASSERT_NE(f, nullptr);
    char first[8];
    char again[8];
    ASSERT_EQ(f->read(first, sizeof(first)), 8);
    ASSERT_EQ(f->read(again, sizeof(again)), 8);
    EXPECT_EQ(std::string(first, 8), kLayout.substr(0, 8));
    EXPECT_EQ(std::string(again, 8), kLayout.substr(0, 8));
    // Asking for more than the entry holds gives what inflating produced.
    std::vector<char> big(kLayout.size() * 2);
    EXPECT_EQ(f->read(big.data(), static_cast<int>(big.size())), static_cast<int>(kLayout.size()));
    EXPECT_EQ(f->read(big.data(), 0), 0);
    EXPECT_EQ(f->read(big.data(), -1), 0);
    EXPECT_EQ(f->read(nullptr, 4), 0);
    f->close();
    EXPECT_EQ(f->read(big.data(), 8), 0) << "a closed slot reads nothing";
}

TEST_F(HZIPFileSystemTest, SixteenSlotsEachWithItsOwnEntry)
{
    HFile* font = fs.openFileForRead("art/font.tga");
    HFile* click = fs.openFileForRead("sounds/click.wav");
    ASSERT_NE(font, nullptr);
    ASSERT_NE(click, nullptr);
    EXPECT_NE(font, click);
    EXPECT_EQ(readWhole(click), kClick);
    EXPECT_EQ(readWhole(font), kFont);
    font->close();
    HFile* layout = fs.openFileForRead("layouts/turtle.txt");
    EXPECT_EQ(layout, font) << "the lowest free slot is taken again";
    EXPECT_EQ(readWhole(layout), kLayout);
    EXPECT_EQ(readWhole(click), kClick);

    std::vector<HFile*> open = {layout, click};
    while (open.size() < static_cast<size_t>(HFileSystem::kMaxOpenFiles)) {
        HFile* f = fs.openFileForRead("empty.txt");
        ASSERT_NE(f, nullptr) << open.size();
        open.push_back(f);
    }
    EXPECT_EQ(fs.openFileForRead("sounds/click.wav"), nullptr) << "the 17th open fails";
    open[7]->close();
    HFile* f = fs.openFileForRead("sounds/click.wav");
    EXPECT_EQ(f, open[7]);
    EXPECT_EQ(readWhole(f), kClick);
    for (HFile* g : open)
        g->close();
}

TEST_F(HZIPFileSystemTest, UnsupportedOperations)
{
    DiagnosticRecorder diagnostics;
    EXPECT_EQ(fs.openFileForWrite("art/font.tga"), nullptr);
    EXPECT_EQ(diagnostics.count("HZIPFileSystem::openFileForWrite - function not supported (name = 'art/font.tga')"), 1);
    EXPECT_EQ(fs.getLastModTime("art/font.tga"), 0);
    HFile* f = fs.openFileForRead("sounds/click.wav");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->write("x", 1), 0);
    EXPECT_FALSE(f->rewind());
    EXPECT_EQ(diagnostics.count("HZIPFile::write - unsupported operation"), 1);
    EXPECT_EQ(diagnostics.count("HZIPFile::rewind - unsupported operation"), 1);
    // An empty entry opens, but reading it yields nothing.
    HFile* empty = fs.openFileForRead("empty.txt");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->length(), 0);
    char c;
    EXPECT_EQ(empty->read(&c, 1), 0);
    EXPECT_EQ(diagnostics.count("HZIPFile::read - did not read enough bytes from file 'empty.txt'"), 1);
    empty->close();
    f->close();
}

TEST(HZIPFileSystem, PathAndMemoryOpensGiveTheSameBytes)
{
    TempDir dir;
    const std::string zip = sampleArchive();
    const std::string path = dir.write("qinvar.mvz", zip);
    HZIPFileSystem fromPath;
    HZIPFileSystem fromMemory;
    ASSERT_TRUE(fromPath.initFileSystem(path.c_str()));
    ASSERT_TRUE(fromMemory.initFileSystemFromMemory(mallocCopy(zip), static_cast<int>(zip.size())));
    EXPECT_NE(fromPath.getUnzFile(), nullptr);
    for (const char* name : {"art/font.tga", "sounds/click.wav", "layouts/turtle.txt"}) {
        SCOPED_TRACE(name);
        HFile* a = fromPath.openFileForRead(name);
        HFile* b = fromMemory.openFileForRead(name);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(a->length(), b->length());
        const std::string bytes = readWhole(a);
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, readWhole(b));
        a->close();
        b->close();
    }
    fromPath.shutdownFileSystem();
    fromMemory.shutdownFileSystem();
    EXPECT_EQ(fromMemory.getUnzFile(), nullptr);
    EXPECT_FALSE(fromMemory.fileExists("art/font.tga"));
}

// Whatever the bytes, a failed open leaves no archive and the buffer with
// its caller, who frees it exactly once (ASan reports a double free or a leak).
TEST(HZIPFileSystem, BytesThatAreNoArchiveFailCleanly)
{
    const std::string zip = sampleArchive();
    const std::string endRecord = zip.substr(zip.rfind(std::string("PK\x05\x06", 4)));
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"text", "this is not an archive at all"},
        {"one byte", "P"},
        {"a lone end record", endRecord},
        {"cut before the end record", zip.substr(0, zip.size() - endRecord.size())},
        {"cut inside the end record", zip.substr(0, zip.size() - 10)},
        {"cut inside the central directory", zip.substr(0, findEntry(zip, "layouts/turtle.txt").central + 10)},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HZIPFileSystem fs;
        void* buffer = mallocCopy(c.bytes);
        EXPECT_FALSE(fs.initFileSystemFromMemory(buffer, static_cast<int>(c.bytes.size())));
        std::free(buffer);
        EXPECT_EQ(fs.getUnzFile(), nullptr);
        EXPECT_FALSE(fs.fileExists("art/font.tga"));
        EXPECT_EQ(fs.openFileForRead("art/font.tga"), nullptr);

        const std::string path = dir.write("bad.mvz", c.bytes);
        EXPECT_FALSE(fs.initFileSystem(path.c_str()));
        EXPECT_EQ(fs.openFileForRead("art/font.tga"), nullptr);
    }
    HZIPFileSystem fs;
    EXPECT_FALSE(fs.initFileSystem(dir.file("missing.mvz").c_str()));
    EXPECT_FALSE(fs.initFileSystem(dir.path().c_str())) << "a directory is no archive";
    EXPECT_FALSE(fs.initFileSystemFromMemory(zip.data(), 0));
    EXPECT_FALSE(fs.initFileSystemFromMemory(nullptr, 10));
}

TEST(HZIPFileSystem, DamagedEntriesReadAsFailure)
{
    const std::string zip = sampleArchive();
    const EntryLayout font = findEntry(zip, "art/font.tga");
    const EntryLayout click = findEntry(zip, "sounds/click.wav");
    const EntryLayout layout = findEntry(zip, "layouts/turtle.txt");
    ASSERT_GT(font.compressed, 16u);

    std::string deflatedFlip = zip;
    deflatedFlip[font.data + font.compressed / 2] ^= 0x20;
    std::string storedFlip = zip;
    storedFlip[click.data + 3] ^= 0x01; // the CRC no longer matches
    // Declared one byte longer than the data inflates to, in both headers so
    // that they still agree.
    std::string longerThanData = zip;
    writeU32(longerThanData, layout.local + 22, static_cast<uint32_t>(kLayout.size() + 1));
    writeU32(longerThanData, layout.central + 24, static_cast<uint32_t>(kLayout.size() + 1));

    const struct {
        const char* what;
        std::string bytes;
        const char* name;
        const char* diagnostic;
    } cases[] = {
        {"flipped byte in deflated data", deflatedFlip, "art/font.tga", "HZIPFile::read - damaged entry 'art/font.tga'"},
        {"flipped byte in stored data", storedFlip, "sounds/click.wav",
         "HZIPFile::read - damaged entry 'sounds/click.wav'"},
        {"declared size above what inflates", longerThanData, "layouts/turtle.txt",
         "HZIPFile::read - did not read enough bytes from file 'layouts/turtle.txt'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HZIPFileSystem fs;
        ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(c.bytes), static_cast<int>(c.bytes.size())));
        HFile* f = fs.openFileForRead(c.name);
        ASSERT_NE(f, nullptr);
        std::vector<char> buf(static_cast<size_t>(f->length()) + 1);
        DiagnosticRecorder diagnostics;
        EXPECT_EQ(f->read(buf.data(), f->length()), 0);
        EXPECT_EQ(diagnostics.count(c.diagnostic), 1) << (diagnostics.messages().empty() ? "" : diagnostics.messages()[0]);
        f->close();
        // The other entries are still fine.
        HFile* other = fs.openFileForRead(std::string(c.name) == "sounds/click.wav" ? "art/font.tga" : "sounds/click.wav");
        ASSERT_NE(other, nullptr);
        EXPECT_FALSE(readWhole(other).empty());
        other->close();
        fs.shutdownFileSystem();
    }
}

// Declared sizes that the archive cannot back are refused at open, before a
// caller allocates length() bytes.
TEST(HZIPFileSystem, ImplausibleDeclaredSizesAreRefused)
{
    const std::string zip = sampleArchive();
    const EntryLayout font = findEntry(zip, "art/font.tga");
    const EntryLayout click = findEntry(zip, "sounds/click.wav");
    const struct {
        const char* what;
        EntryLayout entry;
        size_t field; // offset in the central header
        uint32_t value;
        const char* name;
    } cases[] = {
        {"beyond an int", font, 24, 0x80000000u, "art/font.tga"},
        {"beyond any deflate ratio", font, 24, 0x7FFFFFF0u, "art/font.tga"},
        {"compressed larger than the archive", font, 20, 0x00100000u, "art/font.tga"},
        {"stored but larger than its data", click, 24, static_cast<uint32_t>(kClick.size() + 1), "sounds/click.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = zip;
        writeU32(bytes, c.entry.central + c.field, c.value);
        HZIPFileSystem fs;
        ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(bytes), static_cast<int>(bytes.size())));
        DiagnosticRecorder diagnostics;
        EXPECT_TRUE(fs.fileExists(c.name));
        EXPECT_EQ(fs.openFileForRead(c.name), nullptr);
        EXPECT_EQ(diagnostics.count("HZIPFileSystem::openFileForRead - could not read file"), 1);
        fs.shutdownFileSystem();
    }
}

// Where the Zip64 block of an entry's directory record lies in a Zip64
// archive made by the builder: the first byte of its tag.
size_t zip64BlockOf(const std::string& zip, const std::string& name)
{
    const std::string signature("PK\x01\x02", 4);
    for (size_t at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 1)) {
        const uint32_t nameLength = readU16(zip, at + 28);
        if (zip.compare(at + 46, nameLength, name) != 0)
            continue;
        const size_t extra = at + 46 + nameLength;
        const size_t end = extra + readU16(zip, at + 30);
        for (size_t block = extra; block + 4 <= end; block += 4 + readU16(zip, block + 2)) {
            if (readU16(zip, block) == 1)
                return block;
        }
    }
    ADD_FAILURE() << "no Zip64 block for " << name;
    return 0;
}

// Each layout that writers use: the uncompressed size alone in the extra
// field (as `zip -fz` writes a small archive), the compressed size alone,
// both, the local header's offset alone, and all three; every entry reads
// back whole, from memory and from a path.
TEST(HZIPFileSystem, SizesAndOffsetsComeFromTheZip64ExtraField)
{
    ZipBuilder builder;
    builder.add("art/font.tga", kFont).add("sounds/click.wav", kClick, true).add("layouts/turtle.txt", kLayout);
    builder.add("empty.txt", "").add("art/big.tga", pattern(70000, 3));
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"art/font.tga", kFont}, {"sounds/click.wav", kClick}, {"layouts/turtle.txt", kLayout},
        {"art/big.tga", pattern(70000, 3)}};
    const struct {
        const char* what;
        unsigned fields;
    } cases[] = {
        {"uncompressed size", ZipBuilder::ZIP64_UNCOMPRESSED},
        {"compressed size", ZipBuilder::ZIP64_COMPRESSED},
        {"both sizes", ZipBuilder::ZIP64_UNCOMPRESSED | ZipBuilder::ZIP64_COMPRESSED},
        {"offset", ZipBuilder::ZIP64_OFFSET},
        {"sizes and offset", ZipBuilder::ZIP64_UNCOMPRESSED | ZipBuilder::ZIP64_COMPRESSED | ZipBuilder::ZIP64_OFFSET},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string zip = builder.zip64Bytes(c.fields);
        HZIPFileSystem fromMemory;
        HZIPFileSystem fromPath;
        ASSERT_TRUE(fromMemory.initFileSystemFromMemory(mallocCopy(zip), static_cast<int>(zip.size())));
        ASSERT_TRUE(fromPath.initFileSystem(dir.write("zip64.mvz", zip).c_str()));
        for (HZIPFileSystem* fs : {&fromMemory, &fromPath}) {
            for (const auto& entry : entries) {
                SCOPED_TRACE(entry.first);
                HFile* f = fs->openFileForRead(entry.first.c_str());
                ASSERT_NE(f, nullptr);
                EXPECT_EQ(f->length(), static_cast<int>(entry.second.size()));
                EXPECT_TRUE(readWhole(f) == entry.second);
                char first[8];
                ASSERT_EQ(f->read(first, sizeof(first)), 8) << "a read of part of it";
                EXPECT_EQ(std::string(first, 8), entry.second.substr(0, 8));
                std::vector<char> more(entry.second.size() * 2);
                EXPECT_EQ(f->read(more.data(), static_cast<int>(more.size())), static_cast<int>(entry.second.size()))
                    << "never more than the entry";
                f->close();
            }
            HFile* empty = fs->openFileForRead("empty.txt");
            ASSERT_NE(empty, nullptr);
            EXPECT_EQ(empty->length(), 0);
            empty->close();
        }
    }
}

TEST(HZIPFileSystem, DamagedZip64EntriesAreRefused)
{
    ZipBuilder builder;
    builder.add("art/font.tga", kFont).add("sounds/click.wav", kClick, true);
    const unsigned all = ZipBuilder::ZIP64_UNCOMPRESSED | ZipBuilder::ZIP64_COMPRESSED | ZipBuilder::ZIP64_OFFSET;
    const std::string zip = builder.zip64Bytes(all);
    const size_t font = zip64BlockOf(zip, "art/font.tga");
    const size_t click = zip64BlockOf(zip, "sounds/click.wav");
    // The block's values: uncompressed size, compressed size, offset.
    const uint32_t fontPacked = readU32(zip, font + 12);
    const size_t fontData = 30 + std::strlen("art/font.tga") + 20;

    std::string noBlock = zip;
    noBlock[font] = 0x09; // another tag: the values are nowhere
    std::string shortBlock = zip;
    shortBlock[font + 2] = 16; // room for two of the three values
    std::string huge = zip;
    writeU32(huge, font + 4 + 4, 1); // an uncompressed size of 2^32 and more
    std::string beyondArchive = zip;
    writeU32(beyondArchive, font + 4 + 8, static_cast<uint32_t>(zip.size() + 1));
    std::string offsetOff = zip;
    writeU32(offsetOff, font + 4 + 16, 7);
    std::string offsetBeyond = zip;
    writeU32(offsetBeyond, font + 4 + 20, 1);
    std::string deflatedFlip = zip;
    deflatedFlip[fontData + fontPacked / 2] ^= 0x20;
    std::string storedFlip = zip;
    storedFlip[readU32(zip, click + 4 + 16) + 30 + std::strlen("sounds/click.wav") + 20 + 3] ^= 0x01;
    std::string cutData = zip;
    writeU32(cutData, font + 4 + 8, fontPacked / 2);
    std::string longer = zip;
    writeU32(longer, font + 4, static_cast<uint32_t>(kFont.size() + 1));

    const struct {
        const char* what;
        std::string bytes;
        bool opens;
        const char* diagnostic;
    } cases[] = {
        {"no Zip64 block", noBlock, false, "HZIPFileSystem::openFileForRead - could not read file 'art/font.tga'"},
        {"a block too short", shortBlock, false, "could not read file 'art/font.tga'"},
        {"a size beyond an int", huge, false, "could not read file 'art/font.tga'"},
        {"compressed larger than the archive", beyondArchive, false, "could not read file 'art/font.tga'"},
        {"an offset to no local header", offsetOff, true,
         "HZIPFile::read - could not open current file 'art/font.tga'"},
        {"an offset past the archive", offsetBeyond, true, "could not open current file 'art/font.tga'"},
        {"flipped byte in deflated data", deflatedFlip, true, "HZIPFile::read - damaged entry 'art/font.tga'"},
        {"flipped byte in stored data", storedFlip, true, "HZIPFile::read - damaged entry 'sounds/click.wav'"},
        {"compressed size cut short", cutData, true, "did not read enough bytes from file 'art/font.tga'"},
        {"declared size above what inflates", longer, true, "did not read enough bytes from file 'art/font.tga'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const char* name = std::strstr(c.diagnostic, "click") ? "sounds/click.wav" : "art/font.tga";
        HZIPFileSystem fs;
        ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(c.bytes), static_cast<int>(c.bytes.size())));
        DiagnosticRecorder diagnostics;
        HFile* f = fs.openFileForRead(name);
        if (c.opens) {
            ASSERT_NE(f, nullptr);
            std::vector<char> buf(static_cast<size_t>(f->length()) + 1);
            EXPECT_EQ(f->read(buf.data(), f->length()), 0);
            f->close();
        } else {
            EXPECT_EQ(f, nullptr);
        }
        EXPECT_EQ(diagnostics.count(c.diagnostic), 1)
            << (diagnostics.messages().empty() ? "(none)" : diagnostics.messages()[0]);
        HFile* other = fs.openFileForRead(std::string(name) == "art/font.tga" ? "sounds/click.wav" : "art/font.tga");
        ASSERT_NE(other, nullptr) << "the other entry is still fine";
        EXPECT_FALSE(readWhole(other).empty());
        other->close();
    }
}

void writeU16(std::string& s, size_t at, uint32_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// A self-extracting archive: the archive after other bytes, its offsets
// counted from its own first byte. The library allows for that; the
// directory records are then not at their places in the file, which must
// not lead the file system to read an entry itself, nor to read one whose
// sizes stand in its Zip64 extra field at the wrong place: that one is
// refused.
TEST(HZIPFileSystem, AnArchiveAfterOtherBytes)
{
    const std::string stub(1000, '\x90');
    const std::string plain = stub + sampleArchive();
    HZIPFileSystem fs;
    ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(plain), static_cast<int>(plain.size())));
    for (const auto& entry : {std::make_pair("art/font.tga", kFont), std::make_pair("sounds/click.wav", kClick)}) {
        HFile* f = fs.openFileForRead(entry.first);
        ASSERT_NE(f, nullptr) << entry.first;
        EXPECT_TRUE(readWhole(f) == entry.second) << entry.first;
        f->close();
    }
    fs.shutdownFileSystem();

    // Entries with Zip64 extra fields under a plain end record (the library
    // does not open a Zip64 end record after other bytes).
    std::string zip64 = ZipBuilder().add("art/font.tga", kFont).zip64Bytes(ZipBuilder::ZIP64_UNCOMPRESSED);
    const size_t end = zip64.size() - 22;
    const size_t zip64End = end - 20 - 56;
    std::string endRecord = zip64.substr(end);
    writeU16(endRecord, 8, 1);
    writeU16(endRecord, 10, 1);
    writeU32(endRecord, 12, readU32(zip64, zip64End + 40));
    writeU32(endRecord, 16, readU32(zip64, zip64End + 48));
    zip64 = zip64.substr(0, zip64End) + endRecord;
    for (const std::string& bytes : {zip64, stub + zip64}) {
        const bool afterStub = bytes.size() > zip64.size();
        SCOPED_TRACE(afterStub ? "after other bytes" : "from the first byte");
        ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(bytes), static_cast<int>(bytes.size())));
        DiagnosticRecorder diagnostics;
        HFile* f = fs.openFileForRead("art/font.tga");
        if (afterStub) {
            EXPECT_EQ(f, nullptr);
            EXPECT_EQ(diagnostics.count("HZIPFileSystem::openFileForRead - could not read file 'art/font.tga'"), 1);
        } else {
            ASSERT_NE(f, nullptr);
            EXPECT_TRUE(readWhole(f) == kFont);
            f->close();
        }
        fs.shutdownFileSystem();
    }
}

// Only stored (0) and deflated (8) entries are read: any other method, and
// an encrypted entry, is refused when it is opened, with the reason.
TEST(HZIPFileSystem, OnlyStoredAndDeflatedEntriesAreRead)
{
    const std::string zip = sampleArchive();
    const EntryLayout font = findEntry(zip, "art/font.tga");
    const struct {
        const char* what;
        uint32_t method;
        uint32_t flags;
        const char* diagnostic;
    } cases[] = {
        {"bzip2", 12, 0, "HZIPFileSystem::openFileForRead - file 'art/font.tga' is compressed with method 12; only "
                         "stored and deflated entries are read"},
        {"LZMA", 14, 0, "is compressed with method 14"},
        {"Deflate64", 9, 0, "is compressed with method 9"},
        {"zstd", 93, 0, "is compressed with method 93"},
        {"shrunk", 1, 0, "is compressed with method 1"},
        {"encrypted", 8, 1, "HZIPFileSystem::openFileForRead - file 'art/font.tga' is encrypted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = zip;
        for (size_t header : {font.local + 4, font.central + 6}) {
            bytes[header + 2] = static_cast<char>(c.flags);
            bytes[header + 4] = static_cast<char>(c.method);
        }
        HZIPFileSystem fs;
        ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(bytes), static_cast<int>(bytes.size())));
        DiagnosticRecorder diagnostics;
        EXPECT_TRUE(fs.fileExists("art/font.tga"));
        EXPECT_EQ(fs.openFileForRead("art/font.tga"), nullptr);
        EXPECT_EQ(diagnostics.count(c.diagnostic), 1)
            << (diagnostics.messages().empty() ? "(none)" : diagnostics.messages()[0]);
        HFile* click = fs.openFileForRead("sounds/click.wav");
        ASSERT_NE(click, nullptr);
        EXPECT_EQ(readWhole(click), kClick);
        click->close();
    }
}

TEST(HZIPFileSystem, OpeningAgainReplacesTheArchive)
{
    const std::string first = ZipBuilder().add("a.txt", "first").bytes();
    const std::string second = ZipBuilder().add("b.txt", "second").bytes();
    HZIPFileSystem fs;
    ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(first), static_cast<int>(first.size())));
    ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(second), static_cast<int>(second.size())))
        << "the first buffer is released by the second open";
    EXPECT_FALSE(fs.fileExists("a.txt"));
    EXPECT_TRUE(fs.fileExists("b.txt"));
    fs.shutdownFileSystem();
    fs.shutdownFileSystem(); // twice is harmless
    ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(first), static_cast<int>(first.size())))
        << "a file system can be opened again after a shutdown";
    EXPECT_TRUE(fs.fileExists("A.TXT"));
    // Deleted without a shutdown: the destructor closes the archive and
    // frees the buffer (ASan reports a leak otherwise).
}

// The name index finds what the library's own search finds: every entry of
// a larger archive, in any letter case, the first of names that differ only
// in case, nothing for a name the search would refuse; and a miss leaves
// the current entry where it was.
TEST(HZIPFileSystem, TheNameIndexFindsWhatTheLibrarysSearchFinds)
{
    ZipBuilder builder;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        names.push_back("art/sprite_" + std::to_string(i) + ".tga");
        builder.add(names.back(), pattern(40 + i, i), i % 2 == 0);
    }
    // Two names equal without regard to case: the first in the directory wins.
    builder.add("Sound/Twin.wav", "first twin").add("sound/twin.WAV", "second twin");
    // Letters outside a-z are not folded.
    builder.add("art/\xc4x.tga", "upper").add("art/\xe4x.tga", "lower");
    const std::string longName = std::string(300, 'n');
    builder.add(longName, "too long to be found");
    const std::string zip = builder.bytes();
    ASSERT_FALSE(zip.empty());

    HZIPFileSystem fs;
    ASSERT_TRUE(fs.initFileSystemFromMemory(mallocCopy(zip), static_cast<int>(zip.size())));
    EXPECT_EQ(fs.getIndexedEntryCount(), 305);
    unzFile archive = fs.getUnzFile();
    for (size_t i = 0; i < names.size(); ++i) {
        std::string upper = names[i];
        for (char& c : upper)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        for (const std::string& name : {names[i], upper}) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(fs.m_locateEntry(name.c_str()));
            // The same entry the library's search makes current.
            unz64_file_pos found;
            ASSERT_EQ(unzGetFilePos64(archive, &found), UNZ_OK);
            ASSERT_EQ(unzLocateFile(archive, name.c_str(), 2), UNZ_OK);
            unz64_file_pos expected;
            ASSERT_EQ(unzGetFilePos64(archive, &expected), UNZ_OK);
            EXPECT_EQ(found.num_of_file, expected.num_of_file);
            EXPECT_EQ(found.pos_in_zip_directory, expected.pos_in_zip_directory);
        }
        HFile* f = fs.openFileForRead(upper.c_str());
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(readWhole(f), pattern(40 + static_cast<int>(i), static_cast<int>(i)));
        f->close();
    }

    HFile* twin = fs.openFileForRead("SOUND/TWIN.WAV");
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(readWhole(twin), "first twin");
    twin->close();

    HFile* upper = fs.openFileForRead("ART/\xc4X.TGA");
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(readWhole(upper), "upper");
    upper->close();
    HFile* lower = fs.openFileForRead("ART/\xe4X.TGA");
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(readWhole(lower), "lower");
    lower->close();

    EXPECT_FALSE(fs.fileExists(longName.c_str()));
    EXPECT_FALSE(fs.fileExists(longName.substr(0, 256).c_str()));

    // A miss leaves the current entry as it was.
    ASSERT_TRUE(fs.m_locateEntry("art/sprite_7.tga"));
    unz64_file_pos before;
    ASSERT_EQ(unzGetFilePos64(archive, &before), UNZ_OK);
    EXPECT_FALSE(fs.m_locateEntry("art/sprite_7.tgb"));
    unz64_file_pos after;
    ASSERT_EQ(unzGetFilePos64(archive, &after), UNZ_OK);
    EXPECT_EQ(after.num_of_file, before.num_of_file);
    fs.shutdownFileSystem();
    EXPECT_EQ(fs.getIndexedEntryCount(), 0);
    EXPECT_FALSE(fs.fileExists("art/sprite_7.tga"));
}

class HZIPMemoryStreamTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 16; ++i)
            bytes[i] = static_cast<unsigned char>(i);
        source = {bytes, 16, nullptr};
        HZIPMemoryStream::s_fillFunctions(&functions, &source);
        stream = functions.zopen_file(functions.opaque, "memory", ZLIB_FILEFUNC_MODE_READ);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(source.m_pStream, stream);
    }
    void TearDown() override
    {
        EXPECT_EQ(functions.zclose_file(functions.opaque, stream), 0);
        EXPECT_EQ(source.m_pStream, nullptr);
    }
    long tell() { return functions.ztell_file(functions.opaque, stream); }
    long seek(uLong offset, int origin) { return functions.zseek_file(functions.opaque, stream, offset, origin); }

    unsigned char bytes[16];
    HZIPMemoryStream::Source source;
    zlib_filefunc_def functions;
    voidpf stream = nullptr;
};

TEST_F(HZIPMemoryStreamTest, ReadsNeverPassTheEnd)
{
    EXPECT_NE(functions.zerror_file, nullptr);
    EXPECT_EQ(functions.zerror_file(functions.opaque, stream), 0);
    ASSERT_EQ(seek(4, ZLIB_FILEFUNC_SEEK_SET), 0);
    unsigned char out[40];
    std::memset(out, 0xEE, sizeof(out));
    EXPECT_EQ(functions.zread_file(functions.opaque, stream, out, 40), 12u) << "12 bytes were left";
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[11], 15);
    EXPECT_EQ(out[12], 0xEE);
    EXPECT_EQ(tell(), 16);
    EXPECT_NE(functions.zerror_file(functions.opaque, stream), 0) << "a short read is reported";
    EXPECT_EQ(functions.zread_file(functions.opaque, stream, out, 1), 0u);
    ASSERT_EQ(seek(0, ZLIB_FILEFUNC_SEEK_SET), 0);
    EXPECT_EQ(functions.zread_file(functions.opaque, stream, out, 16), 16u);
    EXPECT_EQ(functions.zerror_file(functions.opaque, stream), 0);
    EXPECT_EQ(functions.zwrite_file(functions.opaque, stream, out, 1), 0u);
}

TEST_F(HZIPMemoryStreamTest, SeeksStayWithinTheBuffer)
{
    const uLong minusOne = static_cast<uLong>(-1);
    const uLong minusFour = static_cast<uLong>(-4);
    const struct {
        uLong offset;
        int origin;
        long result; // 0 or -1
        long position;
    } steps[] = {
        {16, ZLIB_FILEFUNC_SEEK_SET, 0, 16},
        {17, ZLIB_FILEFUNC_SEEK_SET, -1, 16},
        {minusFour, ZLIB_FILEFUNC_SEEK_END, 0, 12},
        {1, ZLIB_FILEFUNC_SEEK_END, -1, 12},
        {minusOne, ZLIB_FILEFUNC_SEEK_SET, -1, 12},
        {minusFour, ZLIB_FILEFUNC_SEEK_CUR, 0, 8},
        {9, ZLIB_FILEFUNC_SEEK_CUR, -1, 8},
        {static_cast<uLong>(-9), ZLIB_FILEFUNC_SEEK_CUR, -1, 8},
        {static_cast<uLong>(INT64_MIN), ZLIB_FILEFUNC_SEEK_CUR, -1, 8},
        {static_cast<uLong>(INT64_MAX), ZLIB_FILEFUNC_SEEK_END, -1, 8},
        {0, 7, -1, 8},
        {0, ZLIB_FILEFUNC_SEEK_SET, 0, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "offset " << static_cast<int64_t>(s.offset) << " origin " << s.origin);
        EXPECT_EQ(seek(s.offset, s.origin), s.result);
        EXPECT_EQ(tell(), s.position);
    }
}

} // namespace
