// A decoded sound in memory: interleaved PCM frames (left, right for two
// channels), 8-bit unsigned or 16-bit signed in host order. The loaders fill
// it, the sound manager caches it and the mixer plays a copy of it; whoever
// allocated the data frees it, never the mixer.
#pragma once

#include <cstddef>
#include <cstdint>

struct HAudioSample {
    uint8_t* data;    // the PCM bytes, not owned by the record
    int32_t channels; // 1 or 2
    int32_t bits;     // 8 or 16
    int32_t rate;     // Hz
    int32_t size;     // bytes of PCM at data
};

static_assert(sizeof(HAudioSample) == 24, "the sample record is 24 bytes");
static_assert(offsetof(HAudioSample, channels) == 8, "channels at 8");
static_assert(offsetof(HAudioSample, bits) == 12, "bits at 12");
static_assert(offsetof(HAudioSample, rate) == 16, "rate at 16");
static_assert(offsetof(HAudioSample, size) == 20, "size at 20");
