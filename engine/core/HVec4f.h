// A 4D float vector.
#pragma once

struct HVec4f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    // Normalises in place; returns the length before (0 leaves it unchanged).
    float normalize();
    HVec4f& sub(const HVec4f& o);
    void sub(const HVec4f& o, HVec4f* out) const;
};
