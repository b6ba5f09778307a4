// Static mathematical helpers: square roots, a fast inverse square root, and
// angles in degrees. Pi is the float 3.1415927 wherever angles are converted.
#pragma once

class HMath {
public:
    HMath() = delete;

    static constexpr float kPi = 3.1415927f;

    static double s_sqrt(double x);
    static float s_sqrtf(float x);
    // Two Newton steps from the guess 0x5f33462e - (bits >> 1); no checks for
    // zero, negative or non-finite input.
    static float s_invSqrtf(float x);
    static float s_radiansToDegrees(float radians);
    static float s_degreesToRadians(float degrees);
    static float s_sin(float degrees);
    static float s_cos(float degrees);
    // Double to float without undefined behaviour: values beyond the float
    // range become plus or minus infinity.
    static float s_narrowToFloat(double d);
};
