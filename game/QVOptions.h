// The player's settings, kept in the game object and persisted in the
// per-user registry: the two volumes, automatic hints, the chosen tile set,
// table top and layout, the full-screen choice, and the last name entered
// for a best time. The 32-bit fields are stored as 4-byte registry values.
#pragma once

#include <cstdint>

struct QVOptions {
    static constexpr int kNameBytes = 25;

    float soundVolume;   // 0..1, scales every sound effect
    float musicVolume;   // 0..1, the soundtrack
    int32_t autoHint;    // 0 or 1
    int32_t tileSet;     // 0-8
    int32_t background;  // table top, 0-9
    int32_t layout;      // 0-17
    int32_t fullscreen;  // 0 or 1
    char lastHighScoreName[kNameBytes];

    // The fields the player set since this window's last successful save
    // of the options (since the start, before the first), whatever their
    // values now: a choice changed and changed back is still his. A save
    // writes these and leaves the others as the registry holds them, so
    // that an earlier choice of this window never puts back a newer one of
    // another's; once the save succeeds they count as saved, until the
    // player sets them again. Bits of Field.
    enum Field : uint32_t {
        kSoundVolumeSet = 1u << 0,
        kMusicVolumeSet = 1u << 1,
        kAutoHintSet = 1u << 2,
        kTileSetSet = 1u << 3,
        kBackgroundSet = 1u << 4,
        kLayoutSet = 1u << 5,
        kFullscreenSet = 1u << 6,
        kLastNameSet = 1u << 7,
    };
    uint32_t unsavedFields;
    bool isUnsaved(uint32_t field) const { return (unsavedFields & field) != 0; }
    void markSaved(uint32_t fields) { unsavedFields &= ~fields; }

    // The player's choices (the pickers, the options dialog, the full-screen
    // switch, a name entered): each sets its field and marks it unsaved.
    // Reading the registry sets the fields themselves.
    void setSoundVolume(float v) { m_set(&soundVolume, v, kSoundVolumeSet); }
    void setMusicVolume(float v) { m_set(&musicVolume, v, kMusicVolumeSet); }
    void setAutoHint(int32_t v) { m_set(&autoHint, v, kAutoHintSet); }
    void setTileSet(int32_t v) { m_set(&tileSet, v, kTileSetSet); }
    void setBackground(int32_t v) { m_set(&background, v, kBackgroundSet); }
    void setLayout(int32_t v) { m_set(&layout, v, kLayoutSet); }
    void setFullscreen(int32_t v) { m_set(&fullscreen, v, kFullscreenSet); }
    // At most kNameBytes - 1 characters, terminated.
    void setLastHighScoreName(const char* name);

    // The values before anything is read: both volumes 1.0, automatic hints
    // on, the first tile set, table top and layout, a window, no name;
    // nothing unsaved.
    QVOptions();

private:
    template <class T>
    void m_set(T* field, T value, Field which)
    {
        *field = value;
        unsavedFields |= which;
    }
};
