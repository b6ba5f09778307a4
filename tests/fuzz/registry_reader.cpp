// Fuzzes the per-user registry's file reader. Any bytes must load without a
// fault, and writing the loaded store back must give exactly the leading part
// of the input that was accepted: records keep their order and their bytes.
// Input that is not reported damaged must come back whole.
#include "engine/core/HUnixSystemRegistry.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A private copy: the stream reads from it and nothing else.
    std::vector<char> input(data, data + size);
    input.push_back('\0'); // never read: the stream's size excludes it
    FILE* in = ::fmemopen(input.data(), size, "rb");
    if (!in)
        return 0;
    HUnixSystemRegistry registry;
    registry.m_readRegistry(in);
    std::fclose(in);

    // Every loaded key reads back through the getters, and no key is loaded
    // twice (a key read again is damage).
    for (const HUnixSystemRegistry::Entry* e = registry.getHead(); e; e = e->m_pNext) {
        char text[64];
        int copied = -1;
        if (!registry.getStringValue(e->m_pszKey, text, sizeof(text)) || text[sizeof(text) - 1] != '\0' ||
            !registry.getBinaryValue(e->m_pszKey, text, sizeof(text), &copied) || copied < 0 ||
            copied > static_cast<int>(sizeof(text)))
            std::abort();
        for (const HUnixSystemRegistry::Entry* later = e->m_pNext; later; later = later->m_pNext) {
            if (std::strcmp(e->m_pszKey, later->m_pszKey) == 0)
                std::abort();
        }
    }

    char* out = nullptr;
    size_t outSize = 0;
    FILE* w = ::open_memstream(&out, &outSize);
    if (!w)
        return 0;
    const bool written = registry.m_writeRegistry(w);
    std::fclose(w);
    if (!written || outSize > size || (outSize > 0 && std::memcmp(out, data, outSize) != 0))
        std::abort();
    if (!registry.isDamaged() && outSize != size)
        std::abort();
    std::free(out);
    return 0;
}
