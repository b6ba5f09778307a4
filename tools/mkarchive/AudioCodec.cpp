// WAV and Ogg Vorbis encoding of synthesised sounds.
#include "tools/mkarchive/AudioCodec.h"

#include "tools/mkarchive/Manifest.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vorbis/vorbisenc.h>

namespace mkarchive {

namespace {

void putU32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void putU16(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v & 255));
    out.push_back(uint8_t((v >> 8) & 255));
}

void putTag(Bytes& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

int16_t toPcm16(float v)
{
    float c = v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v);
    return int16_t(std::lrint(c * 32767.0f));
}

void appendPages(Bytes& out, ogg_stream_state* os, bool flush)
{
    ogg_page page;
    while ((flush ? ogg_stream_flush(os, &page) : ogg_stream_pageout(os, &page)) != 0) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }
}

} // namespace

Bytes encodeWav(const Sound& sound)
{
    const uint32_t channels = uint32_t(sound.channels.size());
    const uint32_t frames = uint32_t(sound.frames());
    const uint32_t dataBytes = frames * channels * 2;
    Bytes out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    putU32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, 16);
    putU16(out, 1); // PCM
    putU16(out, channels);
    putU32(out, uint32_t(kSampleRate));
    putU32(out, uint32_t(kSampleRate) * channels * 2);
    putU16(out, channels * 2);
    putU16(out, 16);
    putTag(out, "data");
    putU32(out, dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        for (uint32_t c = 0; c < channels; ++c) {
            uint16_t v = uint16_t(toPcm16(sound.channels[c][i]));
            putU16(out, v);
        }
    }
    return out;
}

Bytes encodeOgg(const Sound& sound, float quality, int32_t serial)
{
    const int channels = int(sound.channels.size());
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, kSampleRate, quality) != 0) {
        std::fprintf(stderr, "mkarchive: the Vorbis encoder refuses %d channels at quality %.2f\n", channels, double(quality));
        std::exit(1);
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    Bytes out;
    ogg_packet header;
    ogg_packet headerComment;
    ogg_packet headerCode;
    vorbis_analysis_headerout(&vd, &vc, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &headerComment);
    ogg_stream_packetin(&os, &headerCode);
    appendPages(out, &os, true); // audio starts on a fresh page

    const int32_t total = sound.frames();
    const int32_t chunk = 1024;
    int32_t pos = 0;
    bool eos = false;
    while (!eos) {
        int32_t n = total - pos < chunk ? total - pos : chunk;
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            for (int c = 0; c < channels; ++c) {
                for (int32_t i = 0; i < n; ++i)
                    buffer[c][i] = sound.channels[size_t(c)][size_t(pos + i)];
            }
            vorbis_analysis_wrote(&vd, n);
            pos += n;
        } else {
            vorbis_analysis_wrote(&vd, 0); // end of the stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
                ogg_stream_packetin(&os, &packet);
                appendPages(out, &os, false);
                if (packet.e_o_s != 0)
                    eos = true;
            }
        }
    }
    appendPages(out, &os, true);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

} // namespace mkarchive
