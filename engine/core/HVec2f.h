// A 2D float vector.
#pragma once

#include "engine/core/HMath.h"

struct HVec2f {
    float x = 0.0f;
    float y = 0.0f;

    float dot(const HVec2f& o) const { return x * o.x + y * o.y; }
    float length() const { return HMath::s_sqrtf(dot(*this)); }
};
