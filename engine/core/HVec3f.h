// A 3D float vector.
#pragma once

struct HVec3f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    float length() const;
    // Leaves out untouched for the zero vector; out may be this vector.
    void normalize(HVec3f* out) const;
    void normalize();
    // A difference of exactly epsilon still counts as equal.
    bool eq(const HVec3f& o, float epsilon) const;
    bool eq(const HVec3f& o) const;
    // Components 0, 1, 2; any other index raises an alert and yields x
    // (0 for the const form).
    float& operator[](int i);
    float operator[](int i) const;
    // minMax points at the minimum and maximum corners of a box; writes its 8
    // corners, corner i taking x, y, z from the maximum by bits 0, 1, 2 of i.
    static void s_getAABB(const HVec3f* minMax, HVec3f* corners, int unused);
};
