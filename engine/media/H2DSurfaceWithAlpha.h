// A surface that may carry an 8-bit alpha mask, one byte per pixel, rows of
// the surface's width one after another (pixel (x, y) at y * width + x).
// 255 is opaque, 0 transparent; no mask means fully opaque.
#pragma once

#include "engine/media/H2DSurface.h"

class H2DSurfaceWithAlpha : public H2DSurface {
public:
    H2DSurfaceWithAlpha();

    // Stores the pointer. An earlier mask is not freed: whoever set it still
    // owns it (the same pointer may be set again).
    virtual void setAlphaMask(uint8_t* mask);
    // The mask, or null for a fully opaque surface.
    virtual uint8_t* getAlphaMask() const;

protected:
    uint8_t* m_pAlphaMask;
};
