// Mathematical helpers.
#include "engine/core/HMath.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

double HMath::s_sqrt(double x)
{
    return std::sqrt(x);
}

float HMath::s_sqrtf(float x)
{
    return static_cast<float>(s_sqrt(x));
}

float HMath::s_invSqrtf(float x)
{
    int32_t i;
    std::memcpy(&i, &x, sizeof(i));
    const int32_t guessBits = 0x5f33462e - (i >> 1);
    float y;
    std::memcpy(&y, &guessBits, sizeof(y));
    const float h = x * 0.5f;
    y = y * (1.5f - h * y * y);
    y = y * (1.5f - h * y * y);
    return y;
}

float HMath::s_radiansToDegrees(float radians)
{
    return radians * 180.0f / kPi;
}

float HMath::s_degreesToRadians(float degrees)
{
    return kPi * degrees / 180.0f;
}

float HMath::s_sin(float degrees)
{
    return static_cast<float>(std::sin(static_cast<double>(s_degreesToRadians(degrees))));
}

float HMath::s_cos(float degrees)
{
    return static_cast<float>(std::cos(static_cast<double>(s_degreesToRadians(degrees))));
}

float HMath::s_narrowToFloat(double d)
{
    if (d > static_cast<double>(FLT_MAX))
        return HUGE_VALF;
    if (d < -static_cast<double>(FLT_MAX))
        return -HUGE_VALF;
    return static_cast<float>(d);
}
