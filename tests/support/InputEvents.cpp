// Input events as the input device makes them.
#include "tests/support/InputEvents.h"

#include <cstring>

namespace {

// The symbols on the digit keys 0 to 9 with shift, and the other shifted
// symbols of a US keyboard.
const char kShiftedDigits[] = ")!@#$%^&*(";
const char kShiftedPunctuation[] = "~_+{}|:\"<>?";

HEvent record(uint32_t type, uint64_t time)
{
    HEvent e = HEvent::s_make(ET_NONE);
    e.type = type;
    e.time = MvTime::s_fromTime64(time);
    return e;
}

// What the device fills for a key or a button, pressed or released, but the
// character: the code, the modifiers and the pointer's position.
HEvent keyRecord(uint32_t type, uint64_t time, uint32_t keyCode, uint32_t modifiers, HScreenPoint pointer)
{
    HEvent e = record(type, time);
    e.keyCode = keyCode;
    e.modifiers = modifiers;
    e.point = pointer;
    return e;
}

// What it fills for the window's events and the hot keys: the modifiers.
HEvent modifiersRecord(uint32_t type, uint64_t time, uint32_t modifiers)
{
    HEvent e = record(type, time);
    e.modifiers = modifiers;
    return e;
}

bool oneOf(const char* set, char c)
{
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// 1 to 26: Control and a letter, but for the three that are keys of their own.
bool isControlLetter(char c)
{
    return c >= 1 && c <= 26 && c != '\b' && c != '\t' && c != '\r';
}

} // namespace

HEvent InputEvents::s_keyDown(uint64_t time, uint32_t keyCode, char character, uint32_t modifiers,
                              HScreenPoint pointer)
{
    HEvent e = keyRecord(ET_KEYDOWN, time, keyCode, modifiers, pointer);
    // The device gives backspace its character whatever the keyboard said.
    e.character = keyCode == KC_BACK ? '\b' : character;
    return e;
}

HEvent InputEvents::s_keyUp(uint64_t time, uint32_t keyCode, uint32_t modifiers, HScreenPoint pointer)
{
    return keyRecord(ET_KEYUP, time, keyCode, modifiers, pointer);
}

uint32_t InputEvents::s_keyCodeOf(char c)
{
    if (c >= 'a' && c <= 'z')
        return KC_A + static_cast<uint32_t>(c - 'a');
    if (c >= 'A' && c <= 'Z')
        return KC_A + static_cast<uint32_t>(c - 'A');
    if (c >= '0' && c <= '9')
        return KC_0 + static_cast<uint32_t>(c - '0');
    if (oneOf(kShiftedDigits, c))
        return KC_0 + static_cast<uint32_t>(std::strchr(kShiftedDigits, c) - kShiftedDigits);
    switch (c) {
    case ' ': return KC_SPACE;
    case '\b': return KC_BACK;
    case '\t': return KC_TAB;
    case '\r': return KC_RETURN;
    case 27: return KC_ESCAPE;
    case 127: return KC_DELETE;
    default: break;
    }
    if (isControlLetter(c))
        return KC_A + static_cast<uint32_t>(c - 1);
    return KC_NONE; // punctuation, and keys of other layouts
}

uint32_t InputEvents::s_modifiersOf(char c)
{
    if (isControlLetter(c))
        return KM_CONTROL;
    const bool shifted = (c >= 'A' && c <= 'Z') || oneOf(kShiftedDigits, c) || oneOf(kShiftedPunctuation, c);
    return shifted ? static_cast<uint32_t>(KM_SHIFT) : 0u;
}

HEvent InputEvents::s_typed(uint64_t time, char c, HScreenPoint pointer)
{
    return s_keyDown(time, s_keyCodeOf(c), c, s_modifiersOf(c), pointer);
}

HEvent InputEvents::s_typedUp(uint64_t time, char c, HScreenPoint pointer)
{
    return s_keyUp(time, s_keyCodeOf(c), s_modifiersOf(c), pointer);
}

HEvent InputEvents::s_buttonDown(uint64_t time, HScreenPoint p, uint32_t button, uint32_t modifiers)
{
    return keyRecord(ET_KEYDOWN, time, button, modifiers, p);
}

HEvent InputEvents::s_buttonUp(uint64_t time, HScreenPoint p, uint32_t button, uint32_t modifiers)
{
    return keyRecord(ET_KEYUP, time, button, modifiers, p);
}

HEvent InputEvents::s_mouseMove(uint64_t time, HScreenPoint p)
{
    HEvent e = record(ET_MOUSEMOVE, time);
    e.point = p;
    return e;
}

HEvent InputEvents::s_mouse(HEventType type, uint64_t time, HScreenPoint p, uint32_t button)
{
    if (type == ET_KEYDOWN)
        return s_buttonDown(time, p, button);
    if (type == ET_KEYUP)
        return s_buttonUp(time, p, button);
    return s_mouseMove(time, p);
}

HEvent InputEvents::s_activate(uint64_t time, bool gained, uint32_t modifiers)
{
    HEvent e = modifiersRecord(ET_ACTIVATE, time, modifiers);
    e.state = gained ? 1u : 0u;
    return e;
}

HEvent InputEvents::s_quit(uint64_t time, uint32_t modifiers)
{
    return modifiersRecord(ET_QUIT, time, modifiers);
}

HEvent InputEvents::s_paint(uint64_t time, uint32_t modifiers)
{
    return modifiersRecord(ET_PAINT, time, modifiers);
}

HEvent InputEvents::s_toggleFullscreen(uint64_t time, uint32_t modifiers)
{
    return modifiersRecord(ET_TOGGLE_FULLSCREEN, time, modifiers);
}

HEvent InputEvents::s_paste(uint64_t time, uint32_t modifiers)
{
    return modifiersRecord(ET_PASTE, time, modifiers);
}

HEvent InputEvents::s_timestamp(uint64_t time)
{
    return record(ET_TIMESTAMP, time);
}

HEvent InputEvents::s_unmade(uint32_t type, uint64_t time)
{
    return record(type, time);
}
