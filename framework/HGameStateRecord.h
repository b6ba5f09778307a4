// The stored form of the game-state stack: the top index as a little-endian
// 32-bit value, then the 32 state bytes, -1 for an empty entry. 36 bytes
// with no padding; written and read field by field in little-endian order,
// never by copying the structure.
#pragma once

#include <cstddef>
#include <cstdint>

struct HGameStateRecord {
    static constexpr int kStateCount = 32;

    int32_t top;                // -1 (empty) to 31
    int8_t states[kStateCount]; // states[0] is the bottom of the stack
};

static_assert(sizeof(HGameStateRecord) == 36, "the game-state record is 36 bytes");
static_assert(offsetof(HGameStateRecord, top) == 0, "top at 0");
static_assert(offsetof(HGameStateRecord, states) == 4, "states at 4");
