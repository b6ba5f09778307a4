// A screen point in pixels.
#pragma once

#include <cstdint>

struct HScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};
