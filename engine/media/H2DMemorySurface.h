// A surface over pixels in system memory: 16-bit values in the screen's
// pixel format, rows `stride` bytes apart.
//
// Two kinds exist. A surface made from an image or cloned from another owns
// its pixel and mask arrays (allocated with new[]) and gives them back only in
// destroySurface(), which the display device calls before deleting it. The
// display device's back buffer lends the screen's memory and owns nothing;
// its destroySurface() is never called. The destructor frees nothing in
// either case.
#pragma once

#include "engine/media/H2DSurfaceWithAlpha.h"

class H2DMemorySurface : public H2DSurfaceWithAlpha {
public:
    // Empty: no pixels, no mask, every size 0.
    H2DMemorySurface();
    // Takes the arrays as they are; see the ownership rule above.
    H2DMemorySurface(uint8_t* pixels, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t stride);

    int32_t getSurfaceWidth() const override;
    int32_t getSurfaceHeight() const override;
    // Deletes the pixel array, then the mask array, and clears both pointers;
    // the sizes stay. A second call finds nothing to delete.
    void destroySurface() override;

    // A new surface of the same size and depth with its own packed pixels
    // (stride = width * bytes per pixel) and its own copy of the mask, if any.
    // Null when memory runs out.
    H2DMemorySurface* cloneSurface() const;

    uint8_t* getPixels() const { return m_pPixels; }
    int32_t getBitsPerPixel() const { return m_iBitsPerPixel; }
    int32_t getStride() const { return m_iStride; }

    // Replaces every field but the mask (the back buffer takes the screen's).
    void setSurface(uint8_t* pixels, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t stride);
    // The screen's memory moves when it is locked again or the mode changes.
    void setPixels(uint8_t* pixels, int32_t stride);

private:
    uint8_t* m_pPixels;
    int32_t m_iWidth;
    int32_t m_iHeight;
    int32_t m_iBitsPerPixel;
    int32_t m_iStride;
};
