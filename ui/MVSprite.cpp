// Sprites: loading through the image loader proxy, reference counting,
// drawing through the device that made the surface, and the font-sheet hook
// that lets the display device draw text from a sheet sprite.
#include "ui/MVSprite.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HUnix.h"
#include "engine/core/HUtil.h"
#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/HImageLoaderProxy.h"

#include <cstdint>

H_IMPLEMENT_CLASS(MVSprite, "HObject")

namespace {

constexpr const char* kHelpDeskAddress = "support@moravel.example.org";

// The display device lives below the toolkit and cannot see sprites; it asks
// this hook for a font sheet's surface. The device's hook pointer is
// constant-initialised, so setting it here is safe whatever the order of
// static initialisation.
struct FontSheetHookInstaller {
    FontSheetHookInstaller() { H2DDisplayDevice::s_setFontSheetSurfaceHook(&MVSprite::s_getFontSheetSurface); }
};
FontSheetHookInstaller g_fontSheetHookInstaller;

// x + extent, held to the 32-bit range (a sprite far off to the right still
// ends right of its start).
int32_t endOf(int32_t start, int32_t extent)
{
    const int64_t end = static_cast<int64_t>(start) + extent;
    return end > INT32_MAX ? INT32_MAX : static_cast<int32_t>(end);
}

} // namespace

MVSprite::MVSprite() : m_pDisplayDevice(nullptr), m_pSpriteSurface(nullptr), m_szSpriteName()
{
    HUtil::s_strcpy(m_szSpriteName, "(unnamed)", kNameBytes);
}

MVSprite::~MVSprite() = default;

const H2DSurface* MVSprite::s_getFontSheetSurface(const MVSprite* sheet)
{
    return sheet ? sheet->m_pSpriteSurface : nullptr;
}

MVSprite* MVSprite::clone(const HObject& other) const
{
    if (!other.isA(&sm_classInfoMVSprite))
        return nullptr;
    // The class record says the object is exactly a sprite.
    const MVSprite& source = static_cast<const MVSprite&>(other);
    if (!source.m_pSpriteSurface || !source.m_pDisplayDevice)
        return nullptr;
    H2DSurface* copy = source.m_pDisplayDevice->createSurfaceFromSurface(source.m_pSpriteSurface);
    if (!copy)
        return nullptr;
    MVSprite* sprite = new MVSprite();
    sprite->m_pDisplayDevice = source.m_pDisplayDevice;
    sprite->m_pSpriteSurface = copy;
    return sprite;
}

bool MVSprite::isSpriteValid() const
{
    return m_pSpriteSurface != nullptr;
}

void MVSprite::drawSpriteAtPoint(const HScreenPoint& p) const
{
    if (!m_pSpriteSurface)
        return;
    const int32_t width = m_pSpriteSurface->getSurfaceWidth();
    const int32_t height = m_pSpriteSurface->getSurfaceHeight();
    const HScreenRect dst(p.x, p.y, endOf(p.x, width), endOf(p.y, height));
    const HScreenRect src(0, 0, width, height);
    m_pDisplayDevice->clipAndBlitSurface(&dst, &src, m_pSpriteSurface);
}

void MVSprite::blendPartialSpriteAtLocation(const HScreenRect* dst, const HScreenRect* src,
                                            BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                                            uint8_t srcConst, BlendAlphaSource dstAlpha,
                                            BlendParameterSource dstParam, CombineOp dstOp, uint8_t dstConst,
                                            BlendOp op) const
{
    if (!m_pSpriteSurface)
        return;
    m_pDisplayDevice->clipAndBlendSurface(dst, src, m_pSpriteSurface, srcAlpha, srcParam, srcOp, srcConst, dstAlpha,
                                          dstParam, dstOp, dstConst, op);
}

void MVSprite::drawPartialSpriteAtLocation(const HScreenRect* dst, const HScreenRect* src) const
{
    if (!m_pSpriteSurface)
        return;
    m_pDisplayDevice->clipAndBlitSurface(dst, src, m_pSpriteSurface);
}

bool MVSprite::createSpriteFromImage(H2DDisplayDevice* device, HImage* image)
{
    if (!m_pSpriteSurface) {
        if (!device) {
            HErrorManager::s_db_alert("MVSprite::createSpriteFromImage: no display device");
            return false;
        }
        m_pDisplayDevice = device;
        m_pSpriteSurface = device->createSurfaceFromImage(image);
        // A sprite without a surface holds no reference: the owner's unload
        // must not find a count to give back for a load that failed.
        if (!m_pSpriteSurface) {
            HErrorManager::s_db_alert("MVSprite::createSpriteFromImage: the device made no surface");
            return false;
        }
    }
    retain();
    return true;
}

bool MVSprite::loadSprite(H2DDisplayDevice* device, HFileSystem* fs, const char* path)
{
    if (m_pSpriteSurface) {
        retain();
        return true;
    }
    m_pDisplayDevice = device;
    if (!fs) {
        const char* game = HUnix::s_getGameName();
        HErrorManager::s_messageBox(49, "Error",
                                    "%s's read file system was not initialized.  Please report this error to %s",
                                    game ? game : "The game", kHelpDeskAddress);
        return false;
    }
    if (!device || !path) {
        HErrorManager::s_db_alert("MVSprite::loadSprite: no display device or path");
        return false;
    }
    HImageLoaderProxy proxy;
    if (!proxy.load(fs, path)) {
        HErrorManager::s_db_alert("Could not open '%s'", path);
        return false;
    }
    HImage* image = proxy.getImage();
    m_pSpriteSurface = image ? device->createSurfaceFromImage(image) : nullptr;
    // The surface keeps its own pixels.
    proxy.unload();
    if (!m_pSpriteSurface) {
        HErrorManager::s_db_alert("MVSprite::loadSprite: no surface made from '%s'", path);
        return false;
    }
    HUtil::s_strcpy(m_szSpriteName, path, kNameBytes);
    retain();
    return true;
}

void MVSprite::unloadSprite()
{
    release();
    if (getRefCount() > 0)
        return;
    if (m_pSpriteSurface) {
        m_pDisplayDevice->destroySurface(m_pSpriteSurface);
        m_pSpriteSurface = nullptr;
    }
}

int32_t MVSprite::getSpriteWidth() const
{
    if (!m_pSpriteSurface) {
        HErrorManager::s_db_alert("getWidth: m_pSpriteSurface == 0 for sprite '%s'", m_szSpriteName);
        return 0;
    }
    return m_pSpriteSurface->getSurfaceWidth();
}

int32_t MVSprite::getSpriteHeight() const
{
    if (!m_pSpriteSurface) {
        HErrorManager::s_db_alert("getHeight: m_pSpriteSurface == 0 for sprite '%s'", m_szSpriteName);
        return 0;
    }
    return m_pSpriteSurface->getSurfaceHeight();
}

void MVSprite::getSizeRect(HScreenRect* out) const
{
    if (!out)
        return;
    *out = HScreenRect(0, 0, getSpriteWidth(), getSpriteHeight());
}
