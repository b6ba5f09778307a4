// Where a player clicks on the game's screen: the buttons of the game screen
// and the items of its dialogs, as screen rectangles worked out from their
// places and the sizes of their pictures in the archive's manifest. The
// whole-program tests and the screenshot tool click the middles of these.
#pragma once

#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "tools/mkarchive/Manifest.h"

#include <cstdint>

namespace screen {

// A picture of size w x h placed with its top-left corner at (x, y).
inline HScreenRect placed(int32_t x, int32_t y, const char* art)
{
    const mkarchive::ManifestEntry* e = mkarchive::findManifestEntry(art);
    const int32_t w = e ? static_cast<int32_t>(e->width) : 0;
    const int32_t h = e ? static_cast<int32_t>(e->height) : 0;
    return HScreenRect(x, y, x + w, y + h);
}

inline int32_t widthOf(const char* art)
{
    const mkarchive::ManifestEntry* e = mkarchive::findManifestEntry(art);
    return e ? static_cast<int32_t>(e->width) : 0;
}

inline int32_t heightOf(const char* art)
{
    const mkarchive::ManifestEntry* e = mkarchive::findManifestEntry(art);
    return e ? static_cast<int32_t>(e->height) : 0;
}

inline HScreenPoint middle(const HScreenRect& r)
{
    return HScreenPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// --- The game screen's buttons (each sized by its lit picture) -------------

inline HScreenRect startButton()
{
    return placed(324, 429, "art/icon_start_lit_qz.tga");
}
inline HScreenRect continueButton()
{
    return placed(248, 334, "art/icon_clicktocontinue_lit.tga");
}
inline HScreenRect exitButton()
{
    return placed(35, 447, "art/icon_exit_lit_qz.tga");
}
inline HScreenRect optionsButton()
{
    return placed(17, 175, "art/icon_options_lit_qz.tga");
}
inline HScreenRect hintButton()
{
    return placed(6, 257, "art/icon_hint_lit_qz.tga");
}
inline HScreenRect pauseButton()
{
    return placed(16, 327, "art/icon_pause_lit_qz.tga");
}

// The information strip's count of tiles left: digits 20 high whose last
// one starts at x 610, on y 452.
inline HScreenRect tilesLeftCounter()
{
    return HScreenRect(560, 452, 640, 472);
}

// The board area, right of the 125-pixel panel; a click there resumes a
// paused game.
inline HScreenRect boardArea()
{
    return HScreenRect(125, 0, 640, 480);
}

// --- Dialogs ------------------------------------------------------------------

// The yes or no button of the quit / new-game confirmation: the dialog's
// background at x 220, centred vertically; yes a quarter and no three
// quarters across the free width, one and a half button heights above the
// bottom.
inline HScreenRect confirmationButton(bool yes)
{
    const char* bg = "art/restart_areyousure.jpg";
    const char* button = yes ? "art/besttimes_areyousure_yes.tga" : "art/besttimes_areyousure_no.tga";
    const int32_t top = (480 - heightOf(bg)) / 2;
    const int32_t free = widthOf(bg) - widthOf(button);
    const int32_t x = 220 + (yes ? free / 4 : (3 * free) / 4);
    const int32_t y = top + heightOf(bg) - (3 * heightOf(button)) / 2;
    return placed(x, y, button);
}

// The no-more-moves dialog's end-game button: the dialog is centred on the
// screen, shifted 63 right and 45 down; the button centred across it at 195.
inline HScreenRect endGameButton()
{
    const char* bg = "art/no_more_moves.jpg";
    const char* button = "art/no_more_moves_endgame.tga";
    const int32_t left = (640 - widthOf(bg)) / 2 + 63;
    const int32_t top = (480 - heightOf(bg)) / 2 + 45;
    return placed(left + (widthOf(bg) - widthOf(button)) / 2, top + 195, button);
}

// The name entry's OK button: the dialog centred over the board area, the
// button centred across it, one and a half button heights above its bottom.
inline HScreenRect nameEntryOkButton()
{
    const char* bg = "art/entername_qz.jpg";
    const char* button = "art/entername_ok_qz.tga";
    const int32_t left = (640 - widthOf(bg) - 125) / 2 + 125;
    const int32_t top = (480 - heightOf(bg)) / 2;
    return placed(left + (widthOf(bg) - widthOf(button)) / 2, top + heightOf(bg) - (3 * heightOf(button)) / 2,
                  button);
}

// The best-times dialog (at (125, 0)): its OK button, shown only while lit.
inline HScreenRect bestTimesOkButton()
{
    return placed(125 + 329, 421, "art/ok_lit_qz.tga");
}

// The options dialog (at (125, 0)).
inline HScreenRect optionsOkButton()
{
    return placed(125 + 63, 396, "art/options_done_qz.tga");
}
inline HScreenRect autoHintButton()
{
    return placed(125 + 434, 218, "art/options_on_qz.tga");
}
// The sliders' tracks start at x 375 on screen and are 160 long; the knob's
// middle sits at the value's place along it.
constexpr int32_t kSliderTrackX = 125 + 250;
constexpr int32_t kSliderTrackLength = 160;
constexpr int32_t kSoundSliderY = 119;
constexpr int32_t kMusicSliderY = 166;
inline int32_t sliderX(float value)
{
    return kSliderTrackX + static_cast<int32_t>(value * static_cast<float>(kSliderTrackLength));
}
// The value a drag to x leaves on a slider, as the slider computes it.
inline float sliderValueAt(int32_t x)
{
    double v = static_cast<double>(x - kSliderTrackX) / kSliderTrackLength;
    v = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
    return static_cast<float>(v);
}

} // namespace screen
