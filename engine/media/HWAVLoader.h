// The WAV sample loader: a file with the canonical 44-byte RIFF/WAVE header
// (no other chunk before the data) holding 8-bit unsigned or 16-bit signed
// PCM (format tag 1) of one or two channels, at exactly the requested rate. The PCM is
// converted to the requested bits: 8 to 16 as m x 257 for m = u - 128 of 0
// or more and m x 255 below (255 gives 32639, 0 gives -32640), 16 to 8 as
// the high byte + 128. Only whole frames are kept.
#pragma once

#include "engine/media/HAudioSampleLoader.h"

#include <cstddef>
#include <cstdint>

class HWAVLoader : public HAudioSampleLoader {
public:
    static constexpr int32_t kHeaderBytes = 44;

    HWAVLoader();
    ~HWAVLoader() override;

    // Reads the whole file and decodes it as s_loadFromMemory does. A
    // missing file, one shorter than the header or one holding more than
    // 64 MiB after it is refused without a message.
    bool loadAudioSample(HFileSystem* fs, const char* name, HAudioSample* out, int bits, int rate) override;

    // Decodes the `size` bytes of a whole WAV file; `name` is for messages.
    // False, `out` untouched, for: a size below the header; "RIFF", "WAVE",
    // a format chunk size of 16 or "data" missing (no message); a format
    // tag other than 1 (PCM); a channel count other than 1 or 2; a rate other than `rate`; bits other than 8
    // or 16, in the file or requested; a data size beyond the bytes that
    // follow the header; no whole frame of data; more than 64 MiB of output.
    static bool s_loadFromMemory(const uint8_t* file, size_t size, const char* name, HAudioSample* out, int bits,
                                 int rate);
};
