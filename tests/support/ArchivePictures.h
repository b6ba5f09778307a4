// Pictures of the build's resource archive (the one the game under test
// reads), decoded by the engine's own image loaders, and how far a screen
// shows one. Tests compare the game's drawing with them where the picture
// itself is what is required: a button shows its art, in its place.
#pragma once

#include "engine/core/HZIPFileSystem.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class HImage;

class ArchivePictures {
public:
    // Opens the build's archive; ok() tells whether it opened.
    ArchivePictures();
    ~ArchivePictures();

    ArchivePictures(const ArchivePictures&) = delete;
    ArchivePictures& operator=(const ArchivePictures&) = delete;

    bool ok() const { return m_bOpen; }
    // The entry decoded (once, then kept); null when it is missing or does
    // not decode.
    const HImage* picture(const std::string& name);

    // A screen pixel at (x, y) as 0xRRGGBB.
    using ScreenReader = std::function<uint32_t(int32_t x, int32_t y)>;
    struct Match {
        int compared;  // the picture's pixels that show as they are
        int differing; // of those, the ones the screen does not show
    };
    // The picture with its top-left corner at (x, y) against the screen.
    // Compared are the pixels that are drawn as they are: opaque and not
    // the colour key (255, 0, 255); the rest blend with what lies beneath.
    // The screen holds art cut to its channel widths and dithered, so a
    // pixel differs when a channel, cut to the screen's width, lies more
    // than one step from the picture's. An entry that does not decode
    // compares nothing.
    Match compare(const std::string& name, int32_t x, int32_t y, const ScreenReader& screen);

private:
    HZIPFileSystem m_fs;
    bool m_bOpen;
    std::map<std::string, std::unique_ptr<HImage>> m_pictures;
};
