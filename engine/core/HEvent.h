// The engine's event record: 44 bytes, also the record of the journal and
// demo files (little-endian, no header, no padding between records). The
// producer fills type, state, modifiers, key code, character and point; the
// event manager sets the time when the event is queued.
#pragma once

#include "engine/core/HKeyCodes.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/MvTime.h"

#include <cstddef>
#include <cstdint>

enum HEventType : uint32_t {
    ET_NONE = 0,
    ET_QUIT = 1,
    ET_PASTE = 2,
    ET_TOGGLE_FULLSCREEN = 3,
    ET_PAINT = 4,
    ET_ACTIVATE = 5,
    ET_WINDOW_MINIMIZED = 6,
    ET_KEYUP = 7,
    ET_KEYDOWN = 8,
    ET_DPAD = 9,
    ET_COMMAND = 10,
    ET_NETWORK = 11,
    ET_MOUSEMOVE = 12,
    ET_MOUSEWHEEL = 13,
    ET_TIMESTAMP = 14,
    ET_LAST = ET_TIMESTAMP,
};

struct HEvent {
    uint32_t type;        // HEventType; a record read from a file may hold anything
    MvTime time;          // milliseconds, set when queued
    uint32_t state;       // ET_ACTIVATE: 1 gained, 0 lost; ET_WINDOW_MINIMIZED: minimised
    uint32_t modifiers;   // HKeyModifier flags
    uint32_t reserved[2]; // always 0
    uint32_t keyCode;     // HKeyCode, mouse buttons included
    char character;       // typed character, 0 when none
    uint8_t padding[3];   // always 0
    HScreenPoint point;

    // An all-zero record of the given type.
    static HEvent s_make(HEventType type);

    // "ET_KEYDOWN(5000) - key=KC_G pt=10,20"; a type above ET_LAST prints "Unknown".
    const char* toString(char* buf, int len) const;
    // The key's name, its typed character, "KC_INVALID", "Unknown(0x..)" or
    // "Not A Key". The character and unknown-code texts live in process-wide
    // buffers that the next call overwrites.
    const char* getKeyString() const;
};

static_assert(sizeof(HEvent) == 44, "the event record is 44 bytes");
static_assert(offsetof(HEvent, time) == 4, "time at 4");
static_assert(offsetof(HEvent, state) == 12, "state at 12");
static_assert(offsetof(HEvent, modifiers) == 16, "modifiers at 16");
static_assert(offsetof(HEvent, reserved) == 20, "reserved words at 20");
static_assert(offsetof(HEvent, keyCode) == 28, "key code at 28");
static_assert(offsetof(HEvent, character) == 32, "character at 32");
static_assert(offsetof(HEvent, point) == 36, "point at 36");
