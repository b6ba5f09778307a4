// Where the framework's own dialogs put their buttons, and where its loading
// screen puts the logos: plain numbers from the sizes of the art, so that
// the message box, the slide show, the loading screen, the game's own
// two-button confirmation and the archive generator's previews of them all
// work from one rule. w and h are the dialog's (or screen's) size, the other
// sizes those of the buttons' (or logos') pictures. All divisions truncate.
// Only <cstdint>: the generator includes it without the engine.
#pragma once

#include <cstdint>

struct MVDialogLayout {
    struct Place {
        int32_t x;
        int32_t y;
    };

    // --- The message box: its buttons on one row, one and a half OK
    // heights above the bottom; OK a quarter across the free width when
    // there is a cancel button (else in the middle), cancel three quarters.
    static constexpr int32_t messageRowY(int32_t h, int32_t okH) { return h - (3 * okH) / 2; }
    static constexpr Place messageOkAt(int32_t w, int32_t h, int32_t okW, int32_t okH, bool withCancel)
    {
        return {withCancel ? (w - okW) / 4 : (w - okW) / 2, messageRowY(h, okH)};
    }
    static constexpr Place messageCancelAt(int32_t w, int32_t h, int32_t cancelW, int32_t okH)
    {
        return {(3 * (w - cancelW)) / 4, messageRowY(h, okH)};
    }

    // --- The slide show of w x h slides: done a quarter across, one and a
    // quarter of its height above the bottom; previous two thirds across and
    // next two previous widths further, each one and a half of its height
    // above the bottom.
    static constexpr Place slideDoneAt(int32_t w, int32_t h, int32_t doneH) { return {w / 4, h - (5 * doneH) / 4}; }
    static constexpr Place slidePreviousAt(int32_t w, int32_t h, int32_t previousH)
    {
        return {(2 * w) / 3, h - (3 * previousH) / 2};
    }
    static constexpr Place slideNextAt(int32_t w, int32_t h, int32_t previousW, int32_t nextH)
    {
        return {(2 * w) / 3 + 2 * previousW, h - (3 * nextH) / 2};
    }

    // --- The loading screen's logos, one pixel in from the bottom corners.
    static constexpr Place loadingLeftLogoAt(int32_t /*w*/, int32_t h, int32_t /*logoW*/, int32_t logoH)
    {
        return {0, h - logoH - 1};
    }
    static constexpr Place loadingRightLogoAt(int32_t w, int32_t h, int32_t logoW, int32_t logoH)
    {
        return {w - logoW - 1, h - logoH - 1};
    }
};
