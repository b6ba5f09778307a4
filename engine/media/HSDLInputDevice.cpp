// SDL events into engine events: the key translation table, hot keys,
// mouse buttons and the one mouse move per poll.
#include "engine/media/HSDLInputDevice.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HEvent.h"
#include "engine/core/HEventManager.h"

#include <SDL.h>

namespace {

// The virtual-key code of every SDL key symbol, 0 for "no code"; filled by
// the device's constructor.
int32_t keyTranslationTable[HSDLInputDevice::kKeySymbolCount];

void fillKeyTranslationTable()
{
    for (int32_t& code : keyTranslationTable)
        code = 0;
    const auto set = [](int32_t symbol, int32_t code) { keyTranslationTable[symbol] = code; };
    set(SDLK_BACKSPACE, KC_BACK);
    set(SDLK_TAB, KC_TAB);
    set(SDLK_CLEAR, KC_CLEAR);
    set(SDLK_RETURN, KC_RETURN);
    set(SDLK_ESCAPE, KC_ESCAPE);
    set(SDLK_SPACE, KC_SPACE);
    set(SDLK_PAUSE, 19);
    for (int32_t i = 0; i <= 9; ++i)
        set(SDLK_0 + i, KC_0 + i);
    for (int32_t i = 0; i < 26; ++i)
        set(SDLK_a + i, KC_A + i);
    set(SDLK_DELETE, KC_DELETE);
    for (int32_t i = 0; i <= 9; ++i)
        set(SDLK_KP0 + i, KC_NUMPAD0 + i);
    set(SDLK_KP_PERIOD, KC_DECIMAL);
    set(SDLK_KP_DIVIDE, KC_DIVIDE);
    set(SDLK_KP_MULTIPLY, KC_MULTIPLY);
    set(SDLK_KP_MINUS, KC_SUBTRACT);
    set(SDLK_KP_PLUS, KC_ADD);
    set(SDLK_KP_ENTER, KC_RETURN);
    set(SDLK_UP, KC_UP);
    set(SDLK_DOWN, KC_DOWN);
    set(SDLK_RIGHT, KC_RIGHT);
    set(SDLK_LEFT, KC_LEFT);
    set(SDLK_INSERT, KC_INSERT);
    set(SDLK_HOME, KC_HOME);
    set(SDLK_END, KC_END);
    set(SDLK_PAGEUP, 33);
    set(SDLK_PAGEDOWN, 34);
    // F1 to F15: KC_F1 to KC_F12, then 124 to 126.
    for (int32_t i = 0; i < 15; ++i)
        set(SDLK_F1 + i, KC_F1 + i);
    set(SDLK_NUMLOCK, 144);
    set(SDLK_SCROLLOCK, 145);
    set(SDLK_RSHIFT, KC_SHIFT);
    set(SDLK_LSHIFT, KC_SHIFT);
    set(SDLK_PRINT, 42);
    set(SDLK_MENU, 91);
}

bool inTable(uint32_t symbol)
{
    return symbol < static_cast<uint32_t>(HSDLInputDevice::kKeySymbolCount);
}

uint32_t modifierFlags(uint32_t mod)
{
    uint32_t flags = 0;
    if (mod & KMOD_CTRL)
        flags |= KM_CONTROL;
    if (mod & KMOD_ALT)
        flags |= KM_ALT;
    if (mod & KMOD_SHIFT)
        flags |= KM_SHIFT;
    return flags;
}

bool isEnter(uint32_t symbol)
{
    return symbol == SDLK_RETURN || symbol == SDLK_KP_ENTER;
}

// The bit of a Super key among the Super keys held; 0 for any other key.
uint32_t superBit(uint32_t symbol)
{
    return symbol == SDLK_LSUPER ? 1u : (symbol == SDLK_RSUPER ? 2u : 0u);
}

HScreenPoint pointerPosition()
{
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    return HScreenPoint{x, y};
}

uint32_t buttonCode(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return KC_LBUTTON;
    case SDL_BUTTON_RIGHT: return KC_RBUTTON;
    case SDL_BUTTON_MIDDLE: return KC_MBUTTON;
    default: return KC_NONE; // the wheel and any further buttons
    }
}

} // namespace

uint32_t HSDLInputDevice::sm_uModifiers = 0;
uint32_t HSDLInputDevice::sm_uSuperKeys = 0;
bool HSDLInputDevice::sm_bGrabRelease = false;
bool HSDLInputDevice::sm_bQuitRelease = false;
bool HSDLInputDevice::sm_bFullscreenRelease = false;
bool HSDLInputDevice::sm_bPasteRelease = false;

// --- Factory -------------------------------------------------------------------

HInputDevice* HInputDevice::s_createInputDevice(HCvarManager* cvarManager, bool /*flag1*/, bool /*flag2*/)
{
    // Built on the first call, destroyed at process exit.
    static HSDLInputDevice s_device(cvarManager, MOUSE_MODE_ABSOLUTE);
    if (!sm_pCurrentDevice)
        sm_pCurrentDevice = &s_device;
    return sm_pCurrentDevice;
}

// --- Device ----------------------------------------------------------------------

HSDLInputDevice::HSDLInputDevice(HCvarManager* cvarManager, MouseMode mouseMode)
    : HInputDevice(cvarManager, mouseMode)
{
    fillKeyTranslationTable();
}

void HSDLInputDevice::s_resetInputState()
{
    sm_uModifiers = 0;
    sm_uSuperKeys = 0;
    sm_bGrabRelease = false;
    sm_bQuitRelease = false;
    sm_bFullscreenRelease = false;
    sm_bPasteRelease = false;
}

bool HSDLInputDevice::createInputDevice(bool /*flag*/)
{
    HErrorManager::s_trace(">>>HSDLInputDevice::create()\n");
    HErrorManager::s_trace("ok\n");
    resume();
    return true;
}

void HSDLInputDevice::shutdownInputDevice()
{
    suspend();
}

void HSDLInputDevice::suspend() {}

void HSDLInputDevice::resume() {}

void HSDLInputDevice::centerMouse()
{
    const SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen)
        return;
    SDL_WarpMouse(static_cast<Uint16>(screen->w / 2), static_cast<Uint16>(screen->h / 2));
}

bool HSDLInputDevice::updateInputDevice(HEventManager* manager)
{
    if (!manager)
        return false;
    bool movePending = false;
    HScreenPoint movePoint;

    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
        HEvent e = HEvent::s_make(ET_NONE);
        switch (ev.type) {
        case SDL_ACTIVEEVENT:
            // The pointer leaving or entering the window is no change of
            // activation: only the input focus and the application's own
            // active state are.
            if (ev.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) {
                e.type = ET_ACTIVATE;
                e.state = ev.active.gain ? 1 : 0;
                sm_uSuperKeys = 0;
            }
            break;

        case SDL_KEYDOWN: {
            const uint32_t symbol = static_cast<uint32_t>(ev.key.keysym.sym);
            const uint32_t mod = static_cast<uint32_t>(ev.key.keysym.mod);
            sm_uModifiers = modifierFlags(mod);
            sm_uSuperKeys |= superBit(symbol);
            const bool meta = (mod & KMOD_META) != 0 || sm_uSuperKeys != 0;
            if ((mod & KMOD_CTRL) && symbol == SDLK_g) {
                const SDL_GrabMode grab = SDL_WM_GrabInput(SDL_GRAB_QUERY);
                SDL_WM_GrabInput(grab != SDL_GRAB_ON ? SDL_GRAB_ON : SDL_GRAB_OFF);
                sm_bGrabRelease = true;
            } else if (meta && symbol == SDLK_q) {
                e.type = ET_QUIT;
                sm_bQuitRelease = true;
            } else if ((meta || (mod & KMOD_ALT)) && isEnter(symbol)) {
                e.type = ET_TOGGLE_FULLSCREEN;
                sm_bFullscreenRelease = true;
            } else if (meta && symbol == SDLK_v) {
                e.type = ET_PASTE;
                sm_bPasteRelease = true;
            } else if (inTable(symbol)) {
                e.type = ET_KEYDOWN;
                e.keyCode = static_cast<uint32_t>(keyTranslationTable[symbol]);
                e.point = pointerPosition();
                const Uint16 unicode = ev.key.keysym.unicode;
                e.character = unicode <= 255 ? static_cast<char>(unicode & 0xFF) : '\0';
                if (e.keyCode == KC_BACK)
                    e.character = 8;
                movePending = false;
            }
            break;
        }

        case SDL_KEYUP: {
            const uint32_t symbol = static_cast<uint32_t>(ev.key.keysym.sym);
            sm_uModifiers = modifierFlags(static_cast<uint32_t>(ev.key.keysym.mod));
            sm_uSuperKeys &= ~superBit(symbol);
            // The release that ends a hot key is swallowed, whatever
            // modifiers are down by then.
            if (sm_bGrabRelease && symbol == SDLK_g) {
                sm_bGrabRelease = false;
            } else if (sm_bQuitRelease && symbol == SDLK_q) {
                sm_bQuitRelease = false;
            } else if (sm_bPasteRelease && symbol == SDLK_v) {
                sm_bPasteRelease = false;
            } else if (sm_bFullscreenRelease && isEnter(symbol)) {
                sm_bFullscreenRelease = false;
            } else if (inTable(symbol)) {
                e.type = ET_KEYUP;
                e.keyCode = static_cast<uint32_t>(keyTranslationTable[symbol]);
                e.point = pointerPosition();
                movePending = false;
            }
            break;
        }

        case SDL_MOUSEMOTION:
            movePending = true;
            movePoint = HScreenPoint{ev.motion.x, ev.motion.y};
            break;

        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            // Every button event, the wheel's included, ends a pending move.
            movePending = false;
            const uint32_t code = buttonCode(ev.button.button);
            if (code != KC_NONE) {
                e.type = ev.type == SDL_MOUSEBUTTONDOWN ? ET_KEYDOWN : ET_KEYUP;
                e.keyCode = code;
                e.point = HScreenPoint{ev.button.x, ev.button.y};
            }
            break;
        }

        case SDL_QUIT:
            e.type = ET_QUIT;
            break;

        case SDL_VIDEOEXPOSE:
            e.type = ET_PAINT;
            break;

        default:
            break; // joystick, window-manager and resize events
        }

        if (e.type != ET_NONE) {
            e.modifiers = sm_uModifiers;
            manager->appendEvent(e);
        }
    }

    // A burst of motion costs one queue slot, after everything else.
    if (movePending) {
        HEvent move = HEvent::s_make(ET_MOUSEMOVE);
        move.point = movePoint;
        manager->appendEvent(move);
    }
    return true;
}
