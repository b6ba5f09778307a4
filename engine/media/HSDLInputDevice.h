// The input device over SDL 1.2's event queue. Each poll drains every pending
// SDL event, in order, into engine events: key presses and releases through
// the key translation table, with the typed character; mouse buttons as keys
// (left 1, right 2, middle 4); focus changes, paint requests and quit
// requests; and, last, at most one mouse move, for the last motion that came
// after the poll's last key or button event. Four hot keys become their own
// events (Control+G toggles the input grab and gives none), and the release
// of each one's key is swallowed.
//
// Meta, for the hot keys, is either Meta key or either Super key (the
// Windows key of a PC keyboard, which X gives as Super, and for which SDL
// 1.2 sets no modifier bit): the device follows the Super keys' presses and
// releases itself, and forgets them when the window's focus changes (their
// release may have gone to another window).
//
// The modifier flags, the Super keys held and the hot-key release flags
// are process-wide and kept between polls; only key events recompute the
// modifiers.
#pragma once

#include "engine/media/HInputDevice.h"

#include <cstdint>

class HSDLInputDevice : public HInputDevice {
public:
    // SDL 1.2's key symbols, 0 to 322.
    static constexpr int32_t kKeySymbolCount = 323;

    // Fills the key translation table.
    HSDLInputDevice(HCvarManager* cvarManager, MouseMode mouseMode);

    // Traces, calls resume(); true.
    bool createInputDevice(bool flag) override;
    // The poll; true. Nothing is read, and the result is false, without a manager.
    bool updateInputDevice(HEventManager* manager) override;
    // suspend().
    void shutdownInputDevice() override;
    // Nothing to do: SDL keeps delivering events either way.
    void suspend() override;
    void resume() override;
    // The pointer to the middle of the video surface; nothing without one.
    void centerMouse() override;

    // Test seam: modifier flags 0, no Super key held and every hot-key
    // release flag clear, as at process start.
    static void s_resetInputState();

private:
    static uint32_t sm_uModifiers;
    static uint32_t sm_uSuperKeys; // bit 0 left Super held, bit 1 right
    static bool sm_bGrabRelease;
    static bool sm_bQuitRelease;
    static bool sm_bFullscreenRelease;
    static bool sm_bPasteRelease;
};
