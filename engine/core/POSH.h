// Byte-order primitives: swaps, little- and big-endian readers and writers of
// 16-, 32- and 64-bit integers, float and double bit patterns, and a self-test
// that describes the build. Stated in terms of byte order, so they hold on any
// host; buffers need no alignment. Writers return the address just past what
// they wrote, so writes chain through a buffer.
#pragma once

#include <cstdint>

// Every width comes signed and unsigned, whether or not something calls it:
// the layer stays whole.
uint16_t POSH_SwapU16(uint16_t v);
int16_t POSH_SwapS16(int16_t v);
uint32_t POSH_SwapU32(uint32_t v);
int32_t POSH_SwapS32(int32_t v);
uint64_t POSH_SwapU64(uint64_t v);
int64_t POSH_SwapS64(int64_t v);

void* POSH_WriteU16ToLittle(void* dst, uint16_t v);
void* POSH_WriteS16ToLittle(void* dst, int16_t v);
void* POSH_WriteU32ToLittle(void* dst, uint32_t v);
void* POSH_WriteS32ToLittle(void* dst, int32_t v);
void* POSH_WriteU64ToLittle(void* dst, uint64_t v);
void* POSH_WriteS64ToLittle(void* dst, int64_t v);

void* POSH_WriteU16ToBig(void* dst, uint16_t v);
void* POSH_WriteS16ToBig(void* dst, int16_t v);
void* POSH_WriteU32ToBig(void* dst, uint32_t v);
void* POSH_WriteS32ToBig(void* dst, int32_t v);
void* POSH_WriteU64ToBig(void* dst, uint64_t v);
void* POSH_WriteS64ToBig(void* dst, int64_t v);

uint16_t POSH_ReadU16FromLittle(const void* src);
int16_t POSH_ReadS16FromLittle(const void* src);
uint32_t POSH_ReadU32FromLittle(const void* src);
int32_t POSH_ReadS32FromLittle(const void* src);
uint64_t POSH_ReadU64FromLittle(const void* src);
int64_t POSH_ReadS64FromLittle(const void* src);

uint16_t POSH_ReadU16FromBig(const void* src);
int16_t POSH_ReadS16FromBig(const void* src);
uint32_t POSH_ReadU32FromBig(const void* src);
int32_t POSH_ReadS32FromBig(const void* src);
uint64_t POSH_ReadU64FromBig(const void* src);
int64_t POSH_ReadS64FromBig(const void* src);

// The bit pattern of f arranged so that storing it in host order gives its
// little- (big-) endian bytes.
uint32_t POSH_LittleFloatBits(float f);
uint32_t POSH_BigFloatBits(float f);
float POSH_FloatFromLittleBits(uint32_t bits);
float POSH_FloatFromBigBits(uint32_t bits);

// The 8 bytes of d's bit pattern, least significant first.
void POSH_DoubleBits(double d, unsigned char* out);
double POSH_DoubleFromBits(const unsigned char* in);

// Runs the self-tests; returns the first failure's message, or a six-line
// description of the build.
const char* POSH_GetArchString();
