// A recording display device that also turns images into surfaces, so that
// sprites loaded through it draw real pixels into the back buffer: 32-bit
// images are packed into the configured 16-bit format (without the SDL
// device's dither), with a mask from their alpha and from the colour key
// (255, 0, 255). It counts the surfaces it made and destroyed, and writes
// its screen to a PNG file for a person to look at.
#pragma once

#include "tests/support/RecordingDisplayDevice.h"

#include <cstdint>
#include <string>

class ImageDisplayDevice : public RecordingDisplayDevice {
public:
    ImageDisplayDevice();

    H2DSurface* createSurfaceFromImage(const HImage* image) override;
    void destroySurface(H2DSurface* surface) override;

    int32_t surfacesMade() const { return m_iSurfacesMade; }
    int32_t surfacesDestroyed() const { return m_iSurfacesDestroyed; }
    int32_t liveSurfaces() const { return m_iSurfacesMade - m_iSurfacesDestroyed; }

    // The screen pixel as 8-bit red, green, blue.
    void rgbAt(int32_t x, int32_t y, uint8_t* r, uint8_t* g, uint8_t* b) const;
    // Writes the screen as an RGB PNG; false when the file cannot be written.
    bool savePng(const std::string& path) const;

private:
    int32_t m_iSurfacesMade;
    int32_t m_iSurfacesDestroyed;
};
