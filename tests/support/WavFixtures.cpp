// Canonical WAV files built byte by byte.
#include "tests/support/WavFixtures.h"

#include <cstring>

namespace {

void append(Bytes& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

void appendU16(Bytes& out, uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void appendU32(Bytes& out, uint32_t v)
{
    appendU16(out, v & 0xFFFF);
    appendU16(out, v >> 16);
}

} // namespace

Bytes WavFixtures::wav(int channels, int bits, int rate, const Bytes& pcm)
{
    Bytes out;
    const uint32_t blockAlign = static_cast<uint32_t>(channels * bits / 8);
    append(out, "RIFF");
    appendU32(out, static_cast<uint32_t>(36 + pcm.size()));
    append(out, "WAVE");
    append(out, "fmt ");
    appendU32(out, 16);
    appendU16(out, 1);
    appendU16(out, static_cast<uint32_t>(channels));
    appendU32(out, static_cast<uint32_t>(rate));
    appendU32(out, static_cast<uint32_t>(rate) * blockAlign);
    appendU16(out, blockAlign);
    appendU16(out, static_cast<uint32_t>(bits));
    append(out, "data");
    appendU32(out, static_cast<uint32_t>(pcm.size()));
    out.insert(out.end(), pcm.begin(), pcm.end());
    return out;
}

Bytes WavFixtures::pcm16(const std::vector<int16_t>& values)
{
    Bytes out;
    for (int16_t v : values)
        appendU16(out, static_cast<uint16_t>(v));
    return out;
}

void WavFixtures::setU16(Bytes& file, size_t offset, uint16_t value)
{
    file[offset] = static_cast<unsigned char>(value & 0xFF);
    file[offset + 1] = static_cast<unsigned char>(value >> 8);
}

void WavFixtures::setU32(Bytes& file, size_t offset, uint32_t value)
{
    setU16(file, offset, static_cast<uint16_t>(value & 0xFFFF));
    setU16(file, offset + 2, static_cast<uint16_t>(value >> 16));
}
