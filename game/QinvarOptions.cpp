// The player's options: read from and written to the per-user registry,
// switching between window and full screen, the options dialog and the
// partner link it offers.
#include "game/Qinvar.h"

#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUtil.h"
#include "engine/core/POSH.h"

#include <cmath>
#include <cstring>

namespace {

const char* const kCompany = "Moravel";
const char* const kProduct = "Qinvar";

// Volumes when the registry holds none (or a damaged one).
constexpr float kDefaultSoundVolume = 1.0f;
constexpr float kDefaultMusicVolume = 0.25f;

// The raw 4 bytes of a key, only when the stored value is exactly 4 bytes
// long: a shorter or longer value is not one of ours and leaves the field as
// it was.
bool readFourBytes(HSystemRegistry* registry, const char* key, uint8_t (&bytes)[4])
{
    uint8_t buffer[5] = {};
    int copied = 0;
    if (!registry->getBinaryValue(key, buffer, sizeof(buffer), &copied) || copied != 4)
        return false;
    std::memcpy(bytes, buffer, 4);
    return true;
}

// A u32 value (stored in machine order) as a signed field.
void readInt(HSystemRegistry* registry, const char* key, int32_t* field)
{
    uint8_t bytes[4];
    if (!readFourBytes(registry, key, bytes))
        return;
    uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof(value));
    *field = static_cast<int32_t>(value);
}

// A volume: little-endian float bits, clamped to [0, 1]; absent, short, long
// or not a number gives the default.
float readVolume(HSystemRegistry* registry, const char* key, float fallback)
{
    uint8_t bytes[4];
    if (!readFourBytes(registry, key, bytes))
        return fallback;
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                          (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    const float v = POSH_FloatFromLittleBits(bits);
    if (std::isnan(v))
        return fallback;
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// A switch stored as 0 or 1; anything else counts as the default.
int32_t sanitizeFlag(int32_t value, int32_t fallback)
{
    return (value == 0 || value == 1) ? value : fallback;
}

} // namespace

bool Qinvar::m_loadOptions()
{
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    if (registry && registry->openRegistry(&m_cvarManager, kCompany, kProduct)) {
        registry->getStringValue("LastHighScoreName", m_options.lastHighScoreName,
                                 sizeof(m_options.lastHighScoreName));
        readInt(registry, "Layout", &m_options.layout);
        readInt(registry, "Background", &m_options.background);
        readInt(registry, "Tileset", &m_options.tileSet);
        readInt(registry, "Autohint", &m_options.autoHint);
        m_options.soundVolume = readVolume(registry, "Sound Volume", kDefaultSoundVolume);
        m_options.musicVolume = readVolume(registry, "Music Volume", kDefaultMusicVolume);
        int32_t fullscreen = 0;
        uint8_t bytes[4];
        if (readFourBytes(registry, "Fullscreen", bytes))
            std::memcpy(&fullscreen, bytes, sizeof(fullscreen));
        m_options.fullscreen = fullscreen;
        registry->closeRegistry();
    } else {
        m_options.soundVolume = kDefaultSoundVolume;
        m_options.musicVolume = kDefaultMusicVolume;
    }
    // A damaged or hand-edited registry must never leave a switch that cannot
    // be turned off, or an index outside its range.
    m_options.autoHint = sanitizeFlag(m_options.autoHint, 1);
    m_options.fullscreen = sanitizeFlag(m_options.fullscreen, 0);
    adjustBackgroundPreview(0);
    adjustTileSetPreview(0);
    adjustLayoutPreview(0);
    return true;
}

void Qinvar::m_saveOptions()
{
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    if (!registry || !registry->openRegistry(&m_cvarManager, kCompany, kProduct))
        return;
    registry->setU32Value("Autohint", static_cast<uint32_t>(m_options.autoHint));
    registry->setFloatValue("Sound Volume", m_options.soundVolume);
    registry->setFloatValue("Music Volume", m_options.musicVolume);
    registry->setU32Value("Tileset", static_cast<uint32_t>(m_options.tileSet));
    registry->setU32Value("Background", static_cast<uint32_t>(m_options.background));
    registry->setU32Value("Layout", static_cast<uint32_t>(m_options.layout));
    registry->setBinaryValue("Fullscreen", &m_options.fullscreen, sizeof(m_options.fullscreen));
    registry->setStringValue("LastHighScoreName", m_options.lastHighScoreName, sizeof(m_options.lastHighScoreName));
    registry->closeRegistry();
}

// --- Not built yet: full screen, the partner link and the options dialog ---

void Qinvar::toggleFullscreen()
{
}

void Qinvar::goToPartnerSite()
{
}

void Qinvar::m_doOptionsDialog()
{
}
