// Encoder for the Ogg Vorbis test files.
#include "tests/support/OggFixtures.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstddef>
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

Bytes OggFixtures::vorbis(const std::vector<int16_t>& frames, int channels, int rate, float quality, uint32_t serial)
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
    ogg_stream_init(&stream, static_cast<int>(serial));

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

namespace {

// Where one page lies in a file: its first byte, its header (27 bytes and the
// lacing values) and its body.
struct PageSpan {
    size_t at;
    size_t header;
    size_t body;
};

// Every page of a file from the first; a file that is not a run of whole
// pages is a broken fixture.
std::vector<PageSpan> pagesOf(const Bytes& file)
{
    std::vector<PageSpan> pages;
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
        pages.push_back(PageSpan{at, header, body});
        at += header + body;
    }
    return pages;
}

// The bytes vorbisfile reads for the reference decoder, with their cursor.
struct MemorySource {
    const Bytes* bytes;
    size_t at;
};

size_t memoryRead(void* buffer, size_t size, size_t count, void* source)
{
    MemorySource* m = static_cast<MemorySource*>(source);
    if (size == 0)
        return 0;
    const size_t left = m->bytes->size() - m->at;
    const size_t n = count < left / size ? count : left / size;
    if (n > 0)
        std::memcpy(buffer, m->bytes->data() + m->at, n * size);
    m->at += n * size;
    return n;
}

int memorySeek(void* source, ogg_int64_t offset, int whence)
{
    MemorySource* m = static_cast<MemorySource*>(source);
    const ogg_int64_t size = static_cast<ogg_int64_t>(m->bytes->size());
    const ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->at) : size;
    const ogg_int64_t to = base + offset;
    if (to < 0 || to > size)
        return -1;
    m->at = static_cast<size_t>(to);
    return 0;
}

long memoryTell(void* source)
{
    return static_cast<long>(static_cast<MemorySource*>(source)->at);
}

} // namespace

void OggFixtures::setLastGranulePosition(Bytes& file, int64_t granule)
{
    const std::vector<PageSpan> pages = pagesOf(file);
    if (pages.empty())
        fixtureFailed("no page");
    const PageSpan& last = pages.back();
    for (int b = 0; b < 8; ++b)
        file[last.at + 6 + static_cast<size_t>(b)] =
            static_cast<unsigned char>(static_cast<uint64_t>(granule) >> (8 * b));
    ogg_page page;
    page.header = &file[last.at];
    page.header_len = static_cast<long>(last.header);
    page.body = &file[last.at + last.header];
    page.body_len = static_cast<long>(last.body);
    ogg_page_checksum_set(&page);
}

Bytes OggFixtures::chain(const std::vector<Bytes>& links)
{
    Bytes out;
    for (const Bytes& link : links)
        out.insert(out.end(), link.begin(), link.end());
    return out;
}

int OggFixtures::pageCount(const Bytes& file)
{
    return static_cast<int>(pagesOf(file).size());
}

Bytes OggFixtures::withoutPage(const Bytes& file, int index)
{
    const std::vector<PageSpan> pages = pagesOf(file);
    if (index < 0 || static_cast<size_t>(index) >= pages.size())
        fixtureFailed("no such page");
    const PageSpan& cut = pages[static_cast<size_t>(index)];
    Bytes out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut.at));
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(cut.at + cut.header + cut.body), file.end());
    return out;
}

std::vector<int16_t> OggFixtures::referenceDecode(const Bytes& file, int* holes)
{
    if (holes)
        *holes = 0;
    MemorySource source{&file, 0};
    const ov_callbacks callbacks = {memoryRead, memorySeek, nullptr, memoryTell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&source, &vf, nullptr, 0, callbacks) < 0)
        return {};
    std::vector<int16_t> pcm;
    char buffer[4096];
    for (;;) {
        int section = 0;
        const long got = ov_read(&vf, buffer, sizeof(buffer), 0, 2, 1, &section);
        if (got == OV_HOLE) {
            if (holes)
                ++*holes;
            continue;
        }
        if (got < 0) {
            pcm.clear();
            break;
        }
        if (got == 0)
            break;
        const size_t at = pcm.size();
        pcm.resize(at + static_cast<size_t>(got) / 2);
        std::memcpy(&pcm[at], buffer, static_cast<size_t>(got));
    }
    ov_clear(&vf);
    return pcm;
}
