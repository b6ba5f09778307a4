// The registry interface's typed helpers and the process-wide instance.
#include "engine/core/HSystemRegistry.h"

#include "engine/core/HUnixSystemRegistry.h"
#include "engine/core/POSH.h"

#include <cstdlib>
#include <cstring>

static_assert(sizeof(float) == 4 && sizeof(uint32_t) == 4, "registry numbers are 4 bytes");

HSystemRegistry* HSystemRegistry::sm_pSystemRegistry = nullptr;

HSystemRegistry::HSystemRegistry() : m_eOpeningUse(USE_CHANGE) {}

HSystemRegistry::~HSystemRegistry() = default;

bool HSystemRegistry::openRegistryFor(Use use, HCvarManager* manager, const char* company, const char* product)
{
    m_eOpeningUse = use;
    const bool opened = openRegistry(manager, company, product);
    m_eOpeningUse = USE_CHANGE;
    return opened;
}

bool HSystemRegistry::setFloatValue(const char* key, float f)
{
    const uint32_t bits = POSH_LittleFloatBits(f);
    return setBinaryValue(key, &bits, sizeof(bits));
}

bool HSystemRegistry::getFloatValue(const char* key, float* out)
{
    uint32_t bits = 0;
    int copied = 0;
    if (!out || !getBinaryValue(key, &bits, sizeof(bits), &copied) || copied != static_cast<int>(sizeof(bits)))
        return false;
    *out = POSH_FloatFromLittleBits(bits);
    return true;
}

bool HSystemRegistry::setU32Value(const char* key, uint32_t v)
{
    return setBinaryValue(key, &v, sizeof(v));
}

bool HSystemRegistry::getU32Value(const char* key, uint32_t* out)
{
    uint32_t v = 0;
    int copied = 0;
    if (!out || !getBinaryValue(key, &v, sizeof(v), &copied) || copied != static_cast<int>(sizeof(v)))
        return false;
    *out = v;
    return true;
}

HSystemRegistry* HSystemRegistry::s_getSystemRegistry()
{
    if (!sm_pSystemRegistry) {
        sm_pSystemRegistry = new HUnixSystemRegistry();
        std::atexit(s_destroySystemRegistry);
    }
    return sm_pSystemRegistry;
}

void HSystemRegistry::s_destroySystemRegistry()
{
    // The destructor closes the store, writing back anything still open.
    HSystemRegistry* registry = sm_pSystemRegistry;
    sm_pSystemRegistry = nullptr;
    delete registry;
}
