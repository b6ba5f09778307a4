// The loader proxy's choice by file name, and what every loader does with a
// missing or short file.
#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/core/HStandardFileSystem.h"
#include "engine/media/HImage.h"
#include "engine/media/HImageLoaderProxy.h"
#include "engine/media/HJPGLoader.h"
#include "engine/media/HPNGLoader.h"
#include "engine/media/HTGALoader.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

Bytes tgaFile()
{
    Bytes file = ImageFixtures::tgaHeader(2, 2, 1, 24);
    file.insert(file.end(), {1, 2, 3, 4, 5, 6});
    return file;
}

Bytes pngFile()
{
    ImageFixtures::PngOptions options;
    options.colourType = PNG_COLOR_TYPE_RGB;
    return ImageFixtures::png(3, 1, Bytes(9, 100), options);
}

Bytes jpegFile()
{
    return ImageFixtures::jpeg(4, 1, ImageFixtures::fill(4, 1, {10, 20, 30}), JCS_RGB);
}

class HImageLoaderProxyTest : public testing::Test {
protected:
    void SetUp() override { fs.initFileSystem(dir.path().c_str()); }

    TempDir dir;
    HStandardFileSystem fs;
};

TEST_F(HImageLoaderProxyTest, TheLastMatchingExtensionTestDecides)
{
    struct Case {
        const char* name;
        Bytes file;
        bool loads;
        int32_t width; // of the decoded image
        const char* alert;
    };
    const char* const unknown = "HImageLoaderProxy::load - unknown file type for file";
    const Case cases[] = {
        {"tile.tga", tgaFile(), true, 2, nullptr},
        {"photo.jpg", jpegFile(), true, 4, nullptr},
        {"photo.jpeg", jpegFile(), true, 4, nullptr},
        {"button.png", pngFile(), true, 3, nullptr},
        {"art.tga.png", pngFile(), true, 3, nullptr},
        {"my.tgafile", tgaFile(), true, 2, nullptr},
        // PNG is tested last, so it wins wherever ".png" appears.
        {"art.png.tga", tgaFile(), false, 0, "HPNGLoader::load - invalid PNG file 'art.png.tga'"},
        {"photo.JPG", jpegFile(), false, 0, unknown},
        {"tile.TGA", tgaFile(), false, 0, unknown},
        {"noextension", tgaFile(), false, 0, unknown},
    };
    for (const Case& c : cases) {
        DiagnosticRecorder diagnostics;
        dir.write(c.name, c.file);
        HImageLoaderProxy proxy;
        EXPECT_EQ(proxy.load(&fs, c.name), c.loads) << c.name;
        if (c.loads) {
            ASSERT_NE(proxy.getImage(), nullptr) << c.name;
            EXPECT_EQ(proxy.getImage()->getWidth(), c.width) << c.name;
        } else {
            EXPECT_EQ(proxy.getImage(), nullptr) << c.name;
            EXPECT_EQ(diagnostics.count(c.alert), 1) << c.name;
        }
        proxy.unload();
        EXPECT_EQ(proxy.getImage(), nullptr);
    }
}

TEST_F(HImageLoaderProxyTest, KeepsTheImageUntilUnloadAndReplacesItOnTheNextLoad)
{
    dir.write("a.tga", tgaFile());
    dir.write("b.png", pngFile());
    HImageLoaderProxy proxy;
    ASSERT_TRUE(proxy.load(&fs, "a.tga"));
    ASSERT_NE(proxy.getImage(), nullptr);
    EXPECT_EQ(proxy.getImage()->getWidth(), 2);
    // The earlier image is freed (the leak checker of the asan build sees it).
    ASSERT_TRUE(proxy.load(&fs, "b.png"));
    EXPECT_EQ(proxy.getImage()->getWidth(), 3);
    EXPECT_FALSE(proxy.load(&fs, "missing.png"));
    EXPECT_EQ(proxy.getImage(), nullptr);

    // The proxy's destructor leaves the image to whoever took it.
    auto other = std::make_unique<HImageLoaderProxy>();
    ASSERT_TRUE(other->load(&fs, "a.tga"));
    std::unique_ptr<HImage> taken(other->m_takeImage());
    other.reset();
    EXPECT_EQ(taken->getWidth(), 2);
}

// A file system whose one file claims more bytes than it delivers.
class ShortFile : public HFile {
public:
    explicit ShortFile(const Bytes& bytes) : m_bytes(bytes) {}
    int read(void* buffer, int len) override
    {
        const int n = std::min(len, static_cast<int>(m_bytes.size()));
        std::memcpy(buffer, m_bytes.data(), static_cast<size_t>(n));
        return n;
    }
    int write(const void*, int) override { return 0; }
    bool rewind() override { return true; }
    int length() const override { return static_cast<int>(m_bytes.size()) + 100; }
    void open(HFileSystem* fs)
    {
        m_setFileSystem(fs);
        m_pHandle = this;
    }
    void release() { m_pHandle = nullptr; }

private:
    Bytes m_bytes;
};

class ShortReadFileSystem : public HFileSystem {
public:
    explicit ShortReadFileSystem(const Bytes& bytes) : m_file(bytes) {}
    bool fileExists(const char*) override { return true; }
    HFile* openFileForRead(const char*) override
    {
        ++m_iOpened;
        m_file.open(this);
        return &m_file;
    }
    HFile* openFileForWrite(const char*) override { return nullptr; }
    int64_t getLastModTime(const char*) override { return 0; }
    void m_closeFile(HFile*) override
    {
        ++m_iClosed;
        m_file.release();
    }

    int m_iOpened = 0;
    int m_iClosed = 0;

private:
    ShortFile m_file;
};

TEST_F(HImageLoaderProxyTest, EveryLoaderFailsOnAMissingOrShortFile)
{
    struct Case {
        const char* name;
        Bytes file;
        std::unique_ptr<HImageLoader> loader;
    };
    Case cases[] = {
        {"a.tga", tgaFile(), std::make_unique<HTGALoader>()},
        {"a.png", pngFile(), std::make_unique<HPNGLoader>()},
        {"a.jpg", jpegFile(), std::make_unique<HJPGLoader>()},
    };
    for (Case& c : cases) {
        EXPECT_FALSE(c.loader->load(&fs, c.name)) << c.name << " does not exist";
        EXPECT_EQ(c.loader->getImage(), nullptr);

        ShortReadFileSystem shortFs(c.file);
        EXPECT_FALSE(c.loader->load(&shortFs, c.name)) << c.name << " reads short";
        EXPECT_EQ(c.loader->getImage(), nullptr);
        EXPECT_EQ(shortFs.m_iOpened, 1);
        EXPECT_EQ(shortFs.m_iClosed, 1) << "the file is given back";

        // The same loader loads the real file afterwards.
        dir.write(c.name, c.file);
        EXPECT_TRUE(c.loader->load(&fs, c.name)) << c.name;
        EXPECT_NE(c.loader->getImage(), nullptr);
        c.loader->unload();
    }
}

} // namespace
