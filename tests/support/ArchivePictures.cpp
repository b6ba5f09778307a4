// Pictures of the build's archive, decoded for comparisons with the screen.
#include "tests/support/ArchivePictures.h"

#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/HImage.h"
#include "engine/media/HImageLoaderProxy.h"
#include "tests/support/TestPaths.h"

ArchivePictures::ArchivePictures() : m_fs(), m_bOpen(false), m_pictures()
{
    m_bOpen = m_fs.initFileSystem(buildArchivePath().c_str());
}

ArchivePictures::~ArchivePictures()
{
    m_pictures.clear();
    if (m_bOpen)
        m_fs.shutdownFileSystem();
}

const HImage* ArchivePictures::picture(const std::string& name)
{
    const auto found = m_pictures.find(name);
    if (found != m_pictures.end())
        return found->second.get();
    std::unique_ptr<HImage> image;
    HImageLoaderProxy loader;
    if (m_bOpen && loader.load(&m_fs, name.c_str()) && loader.getImage() &&
        loader.getImage()->getFormat() == HImage::FORMAT_32BIT)
        image.reset(loader.getImage()->cloneImage());
    loader.unload();
    const HImage* out = image.get();
    // A picture that did not decode stays null: it is not tried again.
    m_pictures[name] = std::move(image);
    return out;
}

ArchivePictures::Match ArchivePictures::compare(const std::string& name, int32_t x, int32_t y,
                                                const ScreenReader& screen)
{
    Match match{0, 0};
    const HImage* image = picture(name);
    if (!image || !image->getData())
        return match;
    int32_t bits[3] = {8, 8, 8};
    int32_t shift[3] = {0, 0, 0};
    H2DDisplayDevice::sm_getPixelFormat(&bits[0], &bits[1], &bits[2], &shift[0], &shift[1], &shift[2]);
    for (int32_t py = 0; py < image->getHeight(); ++py) {
        for (int32_t px = 0; px < image->getWidth(); ++px) {
            // Blue in the low byte, alpha in the high one.
            const uint32_t p = image->getPixel32(px, py);
            const uint32_t picture[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
            if ((p >> 24) != 0xFF || (picture[0] == 255 && picture[1] == 0 && picture[2] == 255))
                continue;
            ++match.compared;
            const uint32_t s = screen(x + px, y + py);
            const uint32_t shown[3] = {(s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF};
            for (int c = 0; c < 3; ++c) {
                const int32_t cut = bits[c] < 8 ? 8 - bits[c] : 0;
                const int32_t step = static_cast<int32_t>(shown[c] >> cut) - static_cast<int32_t>(picture[c] >> cut);
                if (step < -1 || step > 1) {
                    ++match.differing;
                    break;
                }
            }
        }
    }
    return match;
}
