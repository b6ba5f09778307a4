// A recording display device whose images take the SDL device's colour key
// (255, 0, 255) as well as their alpha, so that the game's art draws on it
// as on the real screen; it reads its screen back as 8-bit colours and
// writes it to a PNG file for a person to look at.
#pragma once

#include "tests/support/RecordingDisplayDevice.h"

#include <cstdint>
#include <string>

class HPuzzleGame;

class ImageDisplayDevice : public RecordingDisplayDevice {
public:
    ImageDisplayDevice();

    // A game's m_createDisplayDevice on this device: the game's display
    // (*slot, its m_pDisplayDevice) shut down when there is one, a device
    // with its screen open put there and registered. False, with *slot
    // null, when the screen does not open.
    static bool s_install(HPuzzleGame* game, H2DDisplayDevice** slot, int32_t width, int32_t height,
                          const char* title, bool fullscreen, bool flag);

    // The screen pixel as 8-bit red, green, blue.
    void rgbAt(int32_t x, int32_t y, uint8_t* r, uint8_t* g, uint8_t* b) const;
    // Writes the screen as an RGB PNG; false when the file cannot be written.
    bool savePng(const std::string& path) const;
};
