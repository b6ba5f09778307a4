// The unit of art of the framework, the toolkit and the game: a named,
// reference-counted wrapper around one display surface that the display
// device made from an image file or a decoded image.
//
// Each successful load takes a reference and each unload gives one back; the
// surface is destroyed through the device that made it when the count falls
// to 0 or below. The count only counts: it may go below 0 (an unload without
// a load), and it never deletes the sprite object itself, which is mostly
// held by value inside its owner (the game's sprite table, a dialog, the
// loading screen). The owner unloads a sprite before destroying it.
#pragma once

#include "engine/core/HObject.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "engine/media/HBlendFunction.h"

#include <cstdint>

class H2DDisplayDevice;
class H2DSurface;
class HFileSystem;
class HImage;

class MVSprite : public HObject {
    H_DECLARE_CLASS(MVSprite)
public:
    // Bytes of the name, the terminator included.
    static constexpr int kNameBytes = 64;

    // No device, no surface, name "(unnamed)", count 0.
    MVSprite();
    // Frees nothing.
    ~MVSprite() override;

    MVSprite(const MVSprite&) = delete;
    MVSprite& operator=(const MVSprite&) = delete;

    using HObject::clone;
    // A new sprite (unnamed, count 0) on the same device holding a copy of
    // a loaded surface; null unless `other` is exactly a sprite and a loaded
    // surface is there to copy. Nothing in the system calls it.
    virtual MVSprite* clone(const HObject& other) const;
    virtual bool isSpriteValid() const;
    // The whole sprite with its top-left corner at p; nothing without a surface.
    virtual void drawSpriteAtPoint(const HScreenPoint& p) const;
    // The device's clipAndBlendSurface with the nine blend values in order;
    // nothing without a surface.
    virtual void blendPartialSpriteAtLocation(const HScreenRect* dst, const HScreenRect* src,
                                              BlendAlphaSource srcAlpha, BlendParameterSource srcParam,
                                              CombineOp srcOp, uint8_t srcConst, BlendAlphaSource dstAlpha,
                                              BlendParameterSource dstParam, CombineOp dstOp, uint8_t dstConst,
                                              BlendOp op) const;
    // The device's clipAndBlitSurface; nothing without a surface.
    virtual void drawPartialSpriteAtLocation(const HScreenRect* dst, const HScreenRect* src) const;
    // Takes the surface from the device when there is none yet, then one
    // reference. The image stays the caller's. False, taking no reference,
    // when the device makes no surface of the image.
    virtual bool createSpriteFromImage(H2DDisplayDevice* device, HImage* image);
    // Loads the image file through the image loader proxy and makes the
    // surface; a sprite that is already loaded only takes a reference. False,
    // with no surface and no reference, when there is no file system (a
    // message box tells the player), the file cannot be loaded, or no
    // surface comes of it.
    virtual bool loadSprite(H2DDisplayDevice* device, HFileSystem* fs, const char* path);
    // Gives one reference back; at 0 or below the surface is destroyed.
    virtual void unloadSprite();
    // 0, with a developer alert, without a surface.
    virtual int32_t getSpriteWidth() const;
    virtual int32_t getSpriteHeight() const;
    // (0, 0, width, height).
    virtual void getSizeRect(HScreenRect* out) const;

    const char* getSpriteName() const { return m_szSpriteName; }
    const H2DSurface* getSpriteSurface() const { return m_pSpriteSurface; }
    H2DDisplayDevice* getDisplayDevice() const { return m_pDisplayDevice; }

    // What the display device's text drawing asks for a font sheet: the
    // sheet sprite's surface, null while it is not loaded. Installed as the
    // device's font-sheet hook when this file's static initialisation runs.
    static const H2DSurface* s_getFontSheetSurface(const MVSprite* sheet);

private:
    H2DDisplayDevice* m_pDisplayDevice; // not owned
    H2DSurface* m_pSpriteSurface;       // owned through the device
    char m_szSpriteName[kNameBytes];
};
