// A screen point in pixels.
#pragma once

#include <cstdint>

struct HScreenPoint {
    int32_t x;
    int32_t y;
};
