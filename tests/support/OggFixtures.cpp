// Encoder for the Ogg Vorbis test files.
#include "tests/support/OggFixtures.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Encoding the fixtures must work; a failure is a broken test, not a result.
[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "OggFixtures: %s\n", what);
    std::abort();
}

void appendPage(Bytes& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

Bytes OggFixtures::vorbis(const std::vector<int16_t>& frames, int channels, int rate, float quality)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0)
        fixtureFailed("vorbis_encode_init_vbr refused the format");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x51564d55);

    Bytes out;
    ogg_packet header;
    ogg_packet commentPacket;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(out, page);

    const size_t total = frames.size() / static_cast<size_t>(channels);
    const size_t step = 1024;
    ogg_int64_t pageGranule = 0;
    bool ended = false;
    for (size_t done = 0; !ended;) {
        const size_t count = total - done < step ? total - done : step;
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);
            ended = true;
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (size_t i = 0; i < count; ++i) {
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = frames[(done + i) * static_cast<size_t>(channels) + static_cast<size_t>(c)] / 32768.0f;
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                // A page at least every 4096 frames, as with louder music,
                // so that seeking has pages to search.
                if (packet.granulepos - pageGranule >= 4096) {
                    pageGranule = packet.granulepos;
                    while (ogg_stream_flush(&stream, &page) != 0)
                        appendPage(out, page);
                }
                while (ogg_stream_pageout(&stream, &page) != 0)
                    appendPage(out, page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::vector<int16_t> OggFixtures::tone(int frames, int channels, int rate, int hz)
{
    const double pi = 3.14159265358979323846;
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double phase = 2.0 * pi * hz * (c + 1) * i / rate;
            pcm[static_cast<size_t>(i) * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                static_cast<int16_t>(std::lround(16000.0 * std::sin(phase)));
        }
    }
    return pcm;
}

void OggFixtures::setLastGranulePosition(Bytes& file, int64_t granule)
{
    // Walk the pages from the first: each is a 27-byte header, its lacing
    // values, then the body they add up to.
    size_t last = file.size();
    size_t headerLength = 0;
    size_t bodyLength = 0;
    for (size_t at = 0; at < file.size();) {
        if (at + 27 > file.size() || std::memcmp(&file[at], "OggS", 4) != 0)
            fixtureFailed("not a page");
        const size_t segments = file[at + 26];
        const size_t header = 27 + segments;
        if (at + header > file.size())
            fixtureFailed("short page header");
        size_t body = 0;
        for (size_t s = 0; s < segments; ++s)
            body += file[at + 27 + s];
        if (at + header + body > file.size())
            fixtureFailed("short page body");
        last = at;
        headerLength = header;
        bodyLength = body;
        at += header + body;
    }
    if (last == file.size())
        fixtureFailed("no page");
    for (int b = 0; b < 8; ++b)
        file[last + 6 + static_cast<size_t>(b)] = static_cast<unsigned char>(static_cast<uint64_t>(granule) >> (8 * b));
    ogg_page page;
    page.header = &file[last];
    page.header_len = static_cast<long>(headerLength);
    page.body = &file[last + headerLength];
    page.body_len = static_cast<long>(bodyLength);
    ogg_page_checksum_set(&page);
}
