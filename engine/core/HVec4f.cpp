// 4D float vectors.
#include "engine/core/HVec4f.h"

#include "engine/core/HMath.h"

float HVec4f::normalize()
{
    const float len = static_cast<float>(HMath::s_sqrt(x * x + y * y + z * z + w * w));
    if (len != 0.0f) {
        const float inv = 1.0f / len;
        x *= inv;
        y *= inv;
        z *= inv;
        w *= inv;
    }
    return len;
}

HVec4f& HVec4f::sub(const HVec4f& o)
{
    x -= o.x;
    y -= o.y;
    z -= o.z;
    w -= o.w;
    return *this;
}

void HVec4f::sub(const HVec4f& o, HVec4f* out) const
{
    out->x = x - o.x;
    out->y = y - o.y;
    out->z = z - o.z;
    out->w = w - o.w;
}
