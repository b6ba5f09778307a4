// A 2D float vector.
#pragma once

#include "engine/core/HMath.h"

struct HVec2f {
    float x;
    float y;

    float dot(const HVec2f& o) const { return x * o.x + y * o.y; }
    float length() const { return HMath::s_sqrtf(dot(*this)); }
};
