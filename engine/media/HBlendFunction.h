// The two-term blend function of the software blender.
//
// Each side (0 the source pixel of a surface, 1 the destination pixel of the
// back buffer) gets a factor from an alpha and a parameter, each 0 to 255;
// the factor is alpha x parameter or 65025 - alpha x parameter, so it runs
// from 0 to 65025. The two scaled pixels are then combined by the blend
// operation. The numeric values are the interface: callers pass them as plain
// numbers, and values outside these lists are reported when a pixel is
// blended. Plain alpha blending is (2, 1, 0, 255, 3, 1, 0, 255, 0).
#pragma once

#include <cstdint>

// The alpha of a side; a is the blended pixel's own alpha (its mask byte).
enum BlendAlphaSource : int32_t {
    BAS_ZERO = 0,          // 0
    BAS_ONE = 1,           // 255
    BAS_SRC_ALPHA = 2,     // a
    BAS_INV_SRC_ALPHA = 3, // 255 - a
    BAS_CONST0 = 4,        // c0
    BAS_INV_CONST0 = 5,    // 255 - c0
    BAS_CONST1 = 6,        // c1
    BAS_INV_CONST1 = 7,    // 255 - c1
};

// The parameter of a side.
enum BlendParameterSource : int32_t {
    BPS_ZERO = 0,        // 0
    BPS_ONE = 1,         // 255
    BPS_CONST0 = 2,      // c0
    BPS_INV_CONST0 = 3,  // 255 - c0
    BPS_CONST1 = 4,      // c1
    BPS_INV_CONST1 = 5,  // 255 - c1
};

// How a side's alpha and parameter make its factor.
enum CombineOp : int32_t {
    CO_PRODUCT = 0,     // alpha x parameter
    CO_INV_PRODUCT = 1, // 65025 - alpha x parameter
};

// How the two scaled sides S and D combine, per channel.
enum BlendOp : int32_t {
    BO_ADD = 0,          // S + D
    BO_MULTIPLY = 1,     // S x D / 255
    BO_SUBTRACT = 2,     // S - D
    BO_REV_SUBTRACT = 3, // D - S
};

enum Hint : int32_t {
    // Classic alpha blending by a 50% threshold instead of exact arithmetic.
    HINT_ALPHA_THRESHOLD = 0,
    HINT_COUNT = 1,
};

// One complete blend function, kept by field name (the display device's text
// blend). The constant of the source side is c0, that of the destination c1.
struct HBlendFunction {
    CombineOp srcCombineOp;
    BlendParameterSource srcParameterSource;
    BlendAlphaSource srcAlphaSource;
    uint8_t srcConstantAlpha;
    CombineOp dstCombineOp;
    BlendParameterSource dstParameterSource;
    BlendAlphaSource dstAlphaSource;
    uint8_t dstConstantAlpha;
    BlendOp blendOp;
};
