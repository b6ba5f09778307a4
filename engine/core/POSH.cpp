// Byte-order primitives and the build's self-test.
#include "engine/core/POSH.h"

#include <cstring>

namespace {

bool hostIsLittleEndian()
{
    const uint16_t probe = 1;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

template <typename T>
void* writeLittle(void* dst, T v)
{
    unsigned char* p = static_cast<unsigned char*>(dst);
    for (size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<unsigned char>(static_cast<uint64_t>(v) >> (8 * i));
    return p + sizeof(T);
}

template <typename T>
void* writeBig(void* dst, T v)
{
    unsigned char* p = static_cast<unsigned char*>(dst);
    for (size_t i = 0; i < sizeof(T); ++i)
        p[sizeof(T) - 1 - i] = static_cast<unsigned char>(static_cast<uint64_t>(v) >> (8 * i));
    return p + sizeof(T);
}

template <typename T>
T readLittle(const void* src)
{
    const unsigned char* p = static_cast<const unsigned char*>(src);
    uint64_t v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return static_cast<T>(v);
}

template <typename T>
T readBig(const void* src)
{
    const unsigned char* p = static_cast<const unsigned char*>(src);
    uint64_t v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v = (v << 8) | p[i];
    return static_cast<T>(v);
}

uint32_t floatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof(bits));
    return bits;
}

float floatFromBits(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof(f));
    return f;
}

#define POSH_CONTACT "the maintainers of Qinvar"

#if defined(__x86_64__)
#define POSH_CPU_STRING "AMD x86-64"
#elif defined(__i386__)
#define POSH_CPU_STRING "Intel 386+"
#elif defined(__aarch64__)
#define POSH_CPU_STRING "ARM64"
#else
#define POSH_CPU_STRING "Unknown"
#endif

#if UINTPTR_MAX > 0xFFFFFFFFu
#define POSH_PTR_STRING "64-bits"
#else
#define POSH_PTR_STRING "32-bits"
#endif

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#define POSH_ENDIAN_STRING "big"
constexpr bool kBuiltLittleEndian = false;
#else
#define POSH_ENDIAN_STRING "little"
constexpr bool kBuiltLittleEndian = true;
#endif

} // namespace

uint16_t POSH_SwapU16(uint16_t v) { return static_cast<uint16_t>((v << 8) | (v >> 8)); }
int16_t POSH_SwapS16(int16_t v) { return static_cast<int16_t>(POSH_SwapU16(static_cast<uint16_t>(v))); }

uint32_t POSH_SwapU32(uint32_t v)
{
    return (v << 24) | ((v << 8) & 0x00FF0000u) | ((v >> 8) & 0x0000FF00u) | (v >> 24);
}
int32_t POSH_SwapS32(int32_t v) { return static_cast<int32_t>(POSH_SwapU32(static_cast<uint32_t>(v))); }

uint64_t POSH_SwapU64(uint64_t v)
{
    return (static_cast<uint64_t>(POSH_SwapU32(static_cast<uint32_t>(v))) << 32) |
           POSH_SwapU32(static_cast<uint32_t>(v >> 32));
}
int64_t POSH_SwapS64(int64_t v) { return static_cast<int64_t>(POSH_SwapU64(static_cast<uint64_t>(v))); }

void* POSH_WriteU16ToLittle(void* dst, uint16_t v) { return writeLittle(dst, v); }
void* POSH_WriteS16ToLittle(void* dst, int16_t v) { return writeLittle(dst, static_cast<uint16_t>(v)); }
void* POSH_WriteU32ToLittle(void* dst, uint32_t v) { return writeLittle(dst, v); }
void* POSH_WriteS32ToLittle(void* dst, int32_t v) { return writeLittle(dst, static_cast<uint32_t>(v)); }
void* POSH_WriteU64ToLittle(void* dst, uint64_t v) { return writeLittle(dst, v); }
void* POSH_WriteS64ToLittle(void* dst, int64_t v) { return writeLittle(dst, static_cast<uint64_t>(v)); }

void* POSH_WriteU16ToBig(void* dst, uint16_t v) { return writeBig(dst, v); }
void* POSH_WriteS16ToBig(void* dst, int16_t v) { return writeBig(dst, static_cast<uint16_t>(v)); }
void* POSH_WriteU32ToBig(void* dst, uint32_t v) { return writeBig(dst, v); }
void* POSH_WriteS32ToBig(void* dst, int32_t v) { return writeBig(dst, static_cast<uint32_t>(v)); }
void* POSH_WriteU64ToBig(void* dst, uint64_t v) { return writeBig(dst, v); }
void* POSH_WriteS64ToBig(void* dst, int64_t v) { return writeBig(dst, static_cast<uint64_t>(v)); }

uint16_t POSH_ReadU16FromLittle(const void* src) { return readLittle<uint16_t>(src); }
int16_t POSH_ReadS16FromLittle(const void* src) { return static_cast<int16_t>(readLittle<uint16_t>(src)); }
uint32_t POSH_ReadU32FromLittle(const void* src) { return readLittle<uint32_t>(src); }
int32_t POSH_ReadS32FromLittle(const void* src) { return static_cast<int32_t>(readLittle<uint32_t>(src)); }
uint64_t POSH_ReadU64FromLittle(const void* src) { return readLittle<uint64_t>(src); }
int64_t POSH_ReadS64FromLittle(const void* src) { return static_cast<int64_t>(readLittle<uint64_t>(src)); }

uint16_t POSH_ReadU16FromBig(const void* src) { return readBig<uint16_t>(src); }
int16_t POSH_ReadS16FromBig(const void* src) { return static_cast<int16_t>(readBig<uint16_t>(src)); }
uint32_t POSH_ReadU32FromBig(const void* src) { return readBig<uint32_t>(src); }
int32_t POSH_ReadS32FromBig(const void* src) { return static_cast<int32_t>(readBig<uint32_t>(src)); }
uint64_t POSH_ReadU64FromBig(const void* src) { return readBig<uint64_t>(src); }
int64_t POSH_ReadS64FromBig(const void* src) { return static_cast<int64_t>(readBig<uint64_t>(src)); }

uint32_t POSH_LittleFloatBits(float f)
{
    const uint32_t bits = floatBits(f);
    return hostIsLittleEndian() ? bits : POSH_SwapU32(bits);
}

uint32_t POSH_BigFloatBits(float f)
{
    const uint32_t bits = floatBits(f);
    return hostIsLittleEndian() ? POSH_SwapU32(bits) : bits;
}

float POSH_FloatFromLittleBits(uint32_t bits)
{
    return floatFromBits(hostIsLittleEndian() ? bits : POSH_SwapU32(bits));
}

float POSH_FloatFromBigBits(uint32_t bits)
{
    return floatFromBits(hostIsLittleEndian() ? POSH_SwapU32(bits) : bits);
}

void POSH_DoubleBits(double d, unsigned char* out)
{
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof(bits));
    POSH_WriteU64ToLittle(out, bits);
}

double POSH_DoubleFromBits(const unsigned char* in)
{
    const uint64_t bits = POSH_ReadU64FromLittle(in);
    double d;
    std::memcpy(&d, &bits, sizeof(d));
    return d;
}

const char* POSH_GetArchString()
{
    if (kBuiltLittleEndian != hostIsLittleEndian())
        return "*ERROR: POSH compile time endianess does not match run-time endianess verification.  "
               "Please report this to " POSH_CONTACT "!\n";

    if (POSH_SwapU32(0x11223344u) != 0x44332211u || POSH_SwapU16(0x1234) != 0x3412)
        return "*ERROR: POSH endianess macro selection failed.  Please report this to " POSH_CONTACT "!\n";

    unsigned char buf[8];
    POSH_WriteU16ToLittle(buf, 0xABCD);
    if (POSH_ReadU16FromLittle(buf) != 0xABCD)
        return "*ERROR: failed little-endian 16-bit serialization test";
    POSH_WriteU16ToBig(buf, 0xABCD);
    if (POSH_ReadU16FromBig(buf) != 0xABCD)
        return "*ERROR: failed big-endian 16-bit serialization test";
    POSH_WriteU32ToLittle(buf, 0xABCD1234u);
    if (POSH_ReadU32FromLittle(buf) != 0xABCD1234u)
        return "*ERROR: failed little-endian 32-bit serialization test";
    POSH_WriteU32ToBig(buf, 0xABCD1234u);
    if (POSH_ReadU32FromBig(buf) != 0xABCD1234u)
        return "*ERROR: failed big-endian 32-bit serialization test";
    const uint64_t v64 = (static_cast<uint64_t>(0xFEDCBA98u) << 32) | 0x76543210u;
    POSH_WriteU64ToLittle(buf, v64);
    if (POSH_ReadU64FromLittle(buf) != v64)
        return "*ERROR: failed little-endian 64-bit serialization test";
    POSH_WriteU64ToBig(buf, v64);
    if (POSH_ReadU64FromBig(buf) != v64)
        return "*ERROR: failed big-endian 64-bit serialization test";

    const float third = floatFromBits(0x3EAAAAABu);
    if (floatBits(POSH_FloatFromLittleBits(POSH_LittleFloatBits(third))) != 0x3EAAAAABu)
        return "*ERROR: POSH little endian floating point conversion failed.  Please report this to " POSH_CONTACT
               "!\n";
    if (floatBits(POSH_FloatFromBigBits(POSH_BigFloatBits(third))) != 0x3EAAAAABu)
        return "*ERROR: POSH big endian floating point conversion failed.  Please report this to " POSH_CONTACT "!\n";
    const uint64_t thirdBits = (static_cast<uint64_t>(0x3FD55555u) << 32) | 0x55555555u;
    double dthird;
    std::memcpy(&dthird, &thirdBits, sizeof(dthird));
    POSH_DoubleBits(dthird, buf);
    const double back = POSH_DoubleFromBits(buf);
    if (std::memcmp(&back, &dthird, sizeof(back)) != 0)
        return "*ERROR: POSH double precision floating point serialization failed.  Please report this to " POSH_CONTACT
               "!\n";

    return "OS:..............Linux\n"
           "CPU:............." POSH_CPU_STRING "\n"
           "endian:.........." POSH_ENDIAN_STRING "\n"
           "ptr size:........" POSH_PTR_STRING "\n"
           "64-bit ints......yes\n"
           "floating point...enabled\n";
}
