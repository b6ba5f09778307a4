// Host-order conversions built on the byte-order primitives.
#include "engine/core/HEndian.h"

#include "engine/core/POSH.h"

int16_t HEndian::s_littleShort(int16_t v)
{
    return POSH_ReadS16FromLittle(&v);
}

int32_t HEndian::s_littleLong(int32_t v)
{
    return POSH_ReadS32FromLittle(&v);
}

int16_t HEndian::s_bigShort(int16_t v)
{
    return POSH_ReadS16FromBig(&v);
}

int32_t HEndian::s_bigLong(int32_t v)
{
    return POSH_ReadS32FromBig(&v);
}
