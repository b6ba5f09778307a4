// Conversions between host order and the little-endian order of every file
// format of the system (and big-endian, offered for completeness). The
// "long" operations work on 32-bit values.
#pragma once

#include <cstdint>

class HEndian {
public:
    HEndian() = delete;

    static int16_t s_littleShort(int16_t v);
    static int32_t s_littleLong(int32_t v);
    static int16_t s_bigShort(int16_t v);
    static int32_t s_bigLong(int32_t v);
};
