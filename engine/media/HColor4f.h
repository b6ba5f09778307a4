// A colour of four floats, red, green, blue and alpha, each 0 to 1.
#pragma once

struct HColor4f {
    float r;
    float g;
    float b;
    float a;
};
