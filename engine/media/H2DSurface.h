// The abstract block of pixels that the 2D display device draws from or
// into. Surfaces know nothing of drawing: every copy and blend is the
// display device's.
#pragma once

#include <cstdint>

class H2DSurface {
public:
    H2DSurface() = default;
    H2DSurface(const H2DSurface&) = delete;
    H2DSurface& operator=(const H2DSurface&) = delete;

    virtual int32_t getSurfaceWidth() const = 0;
    virtual int32_t getSurfaceHeight() const = 0;
    // Releases the pixel storage; nothing to release here.
    virtual void destroySurface();
    // Frees nothing: storage goes only through destroySurface().
    virtual ~H2DSurface();
};
