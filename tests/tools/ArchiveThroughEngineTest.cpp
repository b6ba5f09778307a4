// The generated resource archive read the way the game reads it: opened from
// memory by the engine's ZIP file system, every image decoded by the engine's
// own loaders at the size the manifest promises.
#include "engine/core/HFile.h"
#include "engine/core/HZIPFileSystem.h"
#include "engine/media/HImage.h"
#include "engine/media/HImageLoaderProxy.h"
#include "tests/tools/ArchiveReader.h"
#include "tools/mkarchive/Manifest.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

using namespace mkarchive;

namespace {

class ArchiveThroughEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(openBuiltArchive(fs), "");
    }
    void TearDown() override { fs.shutdownFileSystem(); }

    HZIPFileSystem fs;
};

TEST_F(ArchiveThroughEngineTest, EveryImageLoadsAtItsSize)
{
    int loaded = 0;
    for (const ManifestEntry& e : kManifest) {
        if (e.format != AssetFormat::Tga && e.format != AssetFormat::Jpeg)
            continue;
        HImageLoaderProxy loader;
        ASSERT_TRUE(loader.load(&fs, e.name)) << e.name;
        const HImage* image = loader.getImage();
        ASSERT_NE(image, nullptr) << e.name;
        EXPECT_EQ(image->getWidth(), e.width) << e.name;
        EXPECT_EQ(image->getHeight(), e.height) << e.name;
        loader.unload();
        ++loaded;
    }
    EXPECT_GT(loaded, 0);
}

TEST_F(ArchiveThroughEngineTest, EveryEntryIsFoundWithoutRegardToCaseAndReadsWhole)
{
    for (const ManifestEntry& e : kManifest) {
        std::string upper = e.name;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        HFile* f = fs.openFileForRead(upper.c_str());
        ASSERT_NE(f, nullptr) << upper;
        std::string data(static_cast<size_t>(f->length()), '\0');
        EXPECT_EQ(f->read(data.data(), f->length()), f->length()) << e.name;
        f->close();
    }
}

TEST(ArchiveFromPath, OpensLikeTheMemoryCopy)
{
    HZIPFileSystem fs;
    ASSERT_TRUE(fs.initFileSystem(buildArchivePath().c_str()));
    HFile* f = fs.openFileForRead("config.txt");
    ASSERT_NE(f, nullptr);
    std::string text(static_cast<size_t>(f->length()), '\0');
    EXPECT_EQ(f->read(text.data(), f->length()), f->length());
    f->close();
    EXPECT_NE(text.find("\r\npartnerURL="), std::string::npos);
    fs.shutdownFileSystem();
}

} // namespace
