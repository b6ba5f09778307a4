// One format-2 image pixel unpacked into its channels, in the order red,
// green, blue, alpha (the stored pixel keeps blue first; see HImage).
#pragma once

#include <cstddef>
#include <cstdint>

struct HImagePixel32 {
    uint8_t r;
    uint8_t g;
    uint8_t b;
    uint8_t a;
};

static_assert(sizeof(HImagePixel32) == 4, "HImagePixel32 is four bytes");
static_assert(offsetof(HImagePixel32, r) == 0 && offsetof(HImagePixel32, a) == 3,
              "HImagePixel32 holds red first and alpha last");
