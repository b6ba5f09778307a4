// 3D float vectors.
#include "engine/core/HVec3f.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HMath.h"

#include <cmath>

float HVec3f::length() const
{
    return HMath::s_sqrtf(x * x + y * y + z * z);
}

void HVec3f::normalize(HVec3f* out) const
{
    const float len = length();
    if (len == 0.0f)
        return;
    const float inv = 1.0f / len;
    const float nx = x * inv;
    const float ny = y * inv;
    const float nz = z * inv;
    out->x = nx;
    out->y = ny;
    out->z = nz;
}

void HVec3f::normalize()
{
    normalize(this);
}

bool HVec3f::eq(const HVec3f& o, float epsilon) const
{
    if (std::fabs(x - o.x) > epsilon)
        return false;
    if (std::fabs(y - o.y) > epsilon)
        return false;
    if (std::fabs(z - o.z) > epsilon)
        return false;
    return true;
}

bool HVec3f::eq(const HVec3f& o) const
{
    return x == o.x && y == o.y && z == o.z;
}

float& HVec3f::operator[](int i)
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default:
        HErrorManager::s_alert("Out of bound vector operator, Vec3");
        return x;
    }
}

float HVec3f::operator[](int i) const
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default:
        HErrorManager::s_alert("Out of bound vector operator, Vec3");
        return 0.0f;
    }
}

void HVec3f::s_getAABB(const HVec3f* minMax, HVec3f* corners, int /*unused*/)
{
    const HVec3f& lo = minMax[0];
    const HVec3f& hi = minMax[1];
    for (int i = 0; i < 8; ++i) {
        corners[i].x = (i & 1) ? hi.x : lo.x;
        corners[i].y = (i & 2) ? hi.y : lo.y;
        corners[i].z = (i & 4) ? hi.z : lo.z;
    }
}
