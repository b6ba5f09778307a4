// The SDL input device under SDL's dummy video driver: SDL events pushed into
// SDL's own queue, polled through the device's event source by the event
// manager, compared with the engine events that come out.
#include "engine/media/HSDLInputDevice.h"

#include "engine/core/HEventManager.h"
#include "engine/media/HInputDeviceEventSource.h"
#include "engine/media/HSDL2DDisplayDevice.h"
#include "tests/support/InputEvents.h"

#include <SDL.h>
#include <gtest/gtest.h>
// After gtest: the window system's headers define macros such as None.
#include <SDL_syswm.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Where the pointer rests while a case runs; key events carry it.
constexpr int32_t kPointerX = 100;
constexpr int32_t kPointerY = 50;

MvTime fixedClock()
{
    return MvTime{5000, 0};
}

void noSleep(int) {}

void drainSdlEvents()
{
    SDL_Event e;
    while (SDL_PollEvent(&e) == 1) {
    }
}

SDL_Event blank(Uint8 type)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = type;
    return e;
}

SDL_Event key(Uint8 type, SDLKey sym, int mod = KMOD_NONE, Uint16 unicode = 0)
{
    SDL_Event e = blank(type);
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = static_cast<SDLMod>(mod);
    e.key.keysym.unicode = unicode;
    return e;
}

SDL_Event down(SDLKey sym, int mod = KMOD_NONE, Uint16 unicode = 0)
{
    return key(SDL_KEYDOWN, sym, mod, unicode);
}

SDL_Event up(SDLKey sym, int mod = KMOD_NONE)
{
    return key(SDL_KEYUP, sym, mod);
}

SDL_Event motion(Uint16 x, Uint16 y)
{
    SDL_Event e = blank(SDL_MOUSEMOTION);
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

SDL_Event button(Uint8 type, Uint8 which, Uint16 x, Uint16 y)
{
    SDL_Event e = blank(type);
    e.button.button = which;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event press(Uint8 which, Uint16 x, Uint16 y)
{
    return button(SDL_MOUSEBUTTONDOWN, which, x, y);
}

SDL_Event release(Uint8 which, Uint16 x, Uint16 y)
{
    return button(SDL_MOUSEBUTTONUP, which, x, y);
}

// SDL copies the platform message of a window-manager event into its queue.
SDL_Event windowManagerEvent()
{
    static SDL_SysWMmsg message;
    SDL_Event e = blank(SDL_SYSWMEVENT);
    e.syswm.msg = &message;
    return e;
}

SDL_Event active(Uint8 gain, Uint8 state)
{
    SDL_Event e = blank(SDL_ACTIVEEVENT);
    e.active.gain = gain;
    e.active.state = state;
    return e;
}

// The fields of an engine event that the device fills.
struct Out {
    uint32_t type;
    uint32_t keyCode;
    int32_t character;
    uint32_t modifiers;
    int32_t x;
    int32_t y;
    uint32_t state;
};

std::string text(const Out& o)
{
    return "{type " + std::to_string(o.type) + " key " + std::to_string(o.keyCode) + " char " +
           std::to_string(o.character) + " mod " + std::to_string(o.modifiers) + " at " + std::to_string(o.x) +
           "," + std::to_string(o.y) + " state " + std::to_string(o.state) + "}";
}

std::string text(const std::vector<Out>& list)
{
    std::string s;
    for (const Out& o : list)
        s += text(o);
    return s.empty() ? "nothing" : s;
}

Out keyDown(uint32_t code, int32_t character = 0, uint32_t modifiers = 0)
{
    return {ET_KEYDOWN, code, character, modifiers, kPointerX, kPointerY, 0};
}

Out keyUp(uint32_t code, uint32_t modifiers = 0)
{
    return {ET_KEYUP, code, 0, modifiers, kPointerX, kPointerY, 0};
}

Out buttonDown(uint32_t code, int32_t x, int32_t y, uint32_t modifiers = 0)
{
    return {ET_KEYDOWN, code, 0, modifiers, x, y, 0};
}

Out buttonUp(uint32_t code, int32_t x, int32_t y, uint32_t modifiers = 0)
{
    return {ET_KEYUP, code, 0, modifiers, x, y, 0};
}

Out mouseMove(int32_t x, int32_t y)
{
    return {ET_MOUSEMOVE, 0, 0, 0, x, y, 0};
}

Out only(uint32_t type, uint32_t modifiers = 0, uint32_t state = 0)
{
    return {type, 0, 0, modifiers, 0, 0, state};
}

// One poll: the SDL events queued before it and the engine events it yields.
struct Poll {
    std::vector<SDL_Event> in;
    std::vector<Out> out;
};

struct Case {
    const char* name;
    std::vector<Poll> polls;
};

class SdlInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        display = H2DDisplayDevice::s_create2DDisplayDevice(640, 480, "Qinvar input test", false, false, nullptr);
        ASSERT_NE(display, nullptr);
        HEventManager::s_setClock(fixedClock, noSleep);
        device = HInputDevice::s_createInputDevice(nullptr, false, false);
        ASSERT_NE(device, nullptr);
        restart();
    }
    void TearDown() override
    {
        if (manager) {
            manager->unregisterEventSource(device->getEventSource());
            delete manager;
        }
        HInputDevice::s_destroyInputDevice(device);
        H2DDisplayDevice::s_destroy2DDisplayDevice(display);
        HEventManager::s_setClock(nullptr, nullptr);
        HEventManager::s_resetSharedState();
        HSDLInputDevice::s_resetInputState();
    }

    // A fresh manager, input state as at process start, the pointer at rest
    // and SDL's queue empty.
    void restart()
    {
        if (manager) {
            manager->unregisterEventSource(device->getEventSource());
            delete manager;
        }
        HEventManager::s_resetSharedState();
        HSDLInputDevice::s_resetInputState();
        manager = new HEventManager();
        manager->registerEventSource(device->getEventSource());
        SDL_WarpMouse(kPointerX, kPointerY);
        drainSdlEvents();
    }

    // Queues the events, then takes every event the manager hands out until
    // it has none (leaving out its idle time stamps).
    std::vector<Out> poll(const std::vector<SDL_Event>& in)
    {
        for (SDL_Event e : in)
            EXPECT_EQ(SDL_PushEvent(&e), 0);
        std::vector<Out> out;
        HEvent e;
        while (manager->getEvent(&e, false)) {
            if (e.type == ET_TIMESTAMP)
                continue;
            out.push_back({e.type, e.keyCode, static_cast<int32_t>(static_cast<unsigned char>(e.character)),
                           e.modifiers, e.point.x, e.point.y, e.state});
        }
        return out;
    }

    // The same, whole records: the bytes of every field but the time.
    std::vector<std::string> pollRecords(const std::vector<SDL_Event>& in)
    {
        for (SDL_Event e : in)
            EXPECT_EQ(SDL_PushEvent(&e), 0);
        std::vector<std::string> out;
        HEvent e;
        while (manager->getEvent(&e, false)) {
            if (e.type != ET_TIMESTAMP)
                out.push_back(recordText(e));
        }
        return out;
    }

    static std::string recordText(HEvent e)
    {
        e.time = MvTime{0, 0};
        std::string s;
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&e);
        for (size_t i = 0; i < sizeof(e); ++i)
            s += std::to_string(bytes[i]) + (i + 1 < sizeof(e) ? "," : "");
        char text[256];
        return std::string(e.toString(text, sizeof(text))) + " [" + s + "]";
    }

    void run(const Case& c)
    {
        restart();
        for (size_t i = 0; i < c.polls.size(); ++i) {
            const std::vector<Out> got = poll(c.polls[i].in);
            EXPECT_EQ(text(got), text(c.polls[i].out)) << c.name << ", poll " << i + 1;
        }
    }

    H2DDisplayDevice* display = nullptr;
    HInputDevice* device = nullptr;
    HEventManager* manager = nullptr;
};

} // namespace

TEST_F(SdlInput, EventsComeOutAsTheEngineEventsTheyStandFor)
{
    const Case cases[] = {
        // Keys and their characters.
        {"a letter", {{{down(SDLK_a, KMOD_NONE, 'a'), up(SDLK_a)}, {keyDown(KC_A, 'a'), keyUp(KC_A)}}}},
        {"shift and 1", {{{down(SDLK_1, KMOD_LSHIFT, '!')}, {keyDown(KC_1, '!', KM_SHIFT)}}}},
        {"a punctuation key has no code, only its character", {{{down(SDLK_COMMA, KMOD_NONE, ',')}, {keyDown(0, ',')}}}},
        {"a character above 255 is dropped", {{{down(SDLK_e, KMOD_NONE, 0x20AC)}, {keyDown(KC_E, 0)}}}},
        {"a character of 128 to 255 is kept", {{{down(SDLK_e, KMOD_NONE, 0xE9)}, {keyDown(KC_E, 0xE9)}}}},
        {"backspace always carries 8",
         {{{down(SDLK_BACKSPACE), down(SDLK_BACKSPACE, KMOD_NONE, 0x7F)}, {keyDown(KC_BACK, 8), keyDown(KC_BACK, 8)}}}},
        {"keypad enter is return", {{{down(SDLK_KP_ENTER, KMOD_NONE, 13)}, {keyDown(KC_RETURN, 13)}}}},
        {"symbols past the table give nothing", {{{down(static_cast<SDLKey>(323)), up(static_cast<SDLKey>(400))}, {}}}},

        // Modifier flags: control 4, alt 2, shift 1; meta none. Key events
        // set them; everything else carries the last ones, across polls.
        {"all three modifiers",
         {{{down(SDLK_x, KMOD_RCTRL | KMOD_LALT | KMOD_RSHIFT, 'X')}, {keyDown(KC_X, 'X', 7)}}}},
        {"meta gives no flag", {{{down(SDLK_x, KMOD_LMETA, 'x')}, {keyDown(KC_X, 'x', 0)}}}},
        {"control and alt keys themselves have no code",
         {{{down(SDLK_LCTRL, KMOD_LCTRL), down(SDLK_RALT, KMOD_LCTRL | KMOD_RALT)},
           {keyDown(0, 0, KM_CONTROL), keyDown(0, 0, KM_CONTROL | KM_ALT)}}}},
        {"a click after control's release carries that release's flags",
         {{{down(SDLK_LCTRL, KMOD_LCTRL), press(SDL_BUTTON_LEFT, 5, 6)},
           {keyDown(0, 0, KM_CONTROL), buttonDown(KC_LBUTTON, 5, 6, KM_CONTROL)}},
          {{release(SDL_BUTTON_LEFT, 5, 6)}, {buttonUp(KC_LBUTTON, 5, 6, KM_CONTROL)}},
          {{up(SDLK_LCTRL), press(SDL_BUTTON_LEFT, 7, 8), active(1, SDL_APPINPUTFOCUS)},
           {keyUp(0), buttonDown(KC_LBUTTON, 7, 8), only(ET_ACTIVATE, 0, 1)}}}},
        {"a mouse move never carries flags",
         {{{down(SDLK_LSHIFT, KMOD_LSHIFT), motion(30, 40)}, {keyDown(KC_SHIFT, 0, KM_SHIFT), mouseMove(30, 40)}},
          {{blank(SDL_QUIT), motion(31, 41)}, {only(ET_QUIT, KM_SHIFT), mouseMove(31, 41)}}}},

        // Mouse buttons.
        {"left, right and middle are 1, 2 and 4",
         {{{press(SDL_BUTTON_LEFT, 10, 11), release(SDL_BUTTON_LEFT, 12, 13), press(SDL_BUTTON_RIGHT, 14, 15),
            release(SDL_BUTTON_RIGHT, 16, 17), press(SDL_BUTTON_MIDDLE, 18, 19), release(SDL_BUTTON_MIDDLE, 20, 21)},
           {buttonDown(1, 10, 11), buttonUp(1, 12, 13), buttonDown(2, 14, 15), buttonUp(2, 16, 17),
            buttonDown(4, 18, 19), buttonUp(4, 20, 21)}}}},
        {"the wheel and further buttons give nothing",
         {{{press(SDL_BUTTON_WHEELUP, 1, 1), release(SDL_BUTTON_WHEELUP, 1, 1), press(SDL_BUTTON_WHEELDOWN, 1, 1),
            press(6, 1, 1), release(7, 1, 1)},
           {}}}},

        // At most one mouse move per poll, and only after the last key or button.
        {"motion alone: one move, at the last position",
         {{{motion(1, 2), motion(3, 4), motion(5, 6)}, {mouseMove(5, 6)}}}},
        {"motion, then a press: only the press",
         {{{motion(1, 2), press(SDL_BUTTON_LEFT, 9, 9)}, {buttonDown(KC_LBUTTON, 9, 9)}}}},
        {"a press, then motion: the move comes last",
         {{{press(SDL_BUTTON_LEFT, 9, 9), motion(11, 12), blank(SDL_VIDEOEXPOSE)},
           {buttonDown(KC_LBUTTON, 9, 9), only(ET_PAINT), mouseMove(11, 12)}}}},
        {"a wheel turn cancels the pending move", {{{motion(1, 2), press(SDL_BUTTON_WHEELDOWN, 3, 3)}, {}}}},
        {"a key press or release cancels it too",
         {{{motion(1, 2), down(SDLK_b, KMOD_NONE, 'b')}, {keyDown(KC_B, 'b')}},
          {{motion(3, 4), up(SDLK_b)}, {keyUp(KC_B)}}}},
        {"a hot key does not", {{{motion(1, 2), down(SDLK_g, KMOD_LCTRL)}, {mouseMove(1, 2)}}}},

        // Hot keys and the release each one swallows.
        {"alt and return toggle full screen once",
         {{{down(SDLK_RETURN, KMOD_LALT, 13)}, {only(ET_TOGGLE_FULLSCREEN, KM_ALT)}},
          {{up(SDLK_RETURN)}, {}},
          {{up(SDLK_RETURN)}, {keyUp(KC_RETURN)}}}},
        {"meta and keypad enter too, its release swallowed with alt still down",
         {{{down(SDLK_KP_ENTER, KMOD_RMETA), up(SDLK_KP_ENTER, KMOD_LALT)}, {only(ET_TOGGLE_FULLSCREEN, 0)}}}},
        {"control and g toggle the grab and give no event",
         {{{down(SDLK_g, KMOD_LCTRL, 7)}, {}}, {{up(SDLK_g, KMOD_LCTRL)}, {}}, {{up(SDLK_g)}, {keyUp(KC_G)}}}},
        {"control, alt and g still grab", {{{down(SDLK_g, KMOD_RCTRL | KMOD_LALT), up(SDLK_g)}, {}}}},
        {"meta and q quit",
         {{{down(SDLK_q, KMOD_LMETA, 'q'), up(SDLK_q, KMOD_LMETA)}, {only(ET_QUIT, 0)}},
          {{up(SDLK_q)}, {keyUp(KC_Q)}}}},
        {"alt and q is a plain key", {{{down(SDLK_q, KMOD_LALT, 'q')}, {keyDown(KC_Q, 'q', KM_ALT)}}}},
        {"meta and v paste", {{{down(SDLK_v, KMOD_RMETA, 'v'), up(SDLK_v)}, {only(ET_PASTE, 0)}}}},
        {"a hot key's release flag waits for its own key",
         {{{down(SDLK_v, KMOD_LMETA), up(SDLK_q), up(SDLK_v)}, {only(ET_PASTE), keyUp(KC_Q)}}}},

        // Super (the Windows key under X) is Meta for the hot keys. SDL sets
        // no modifier bit for it: the keys that follow its press carry none.
        // The Super key itself is a key without a code, as before.
        {"left super and q quit",
         {{{down(SDLK_LSUPER), down(SDLK_q, KMOD_NONE, 'q')}, {keyDown(0), only(ET_QUIT)}},
          {{up(SDLK_q), up(SDLK_LSUPER)}, {keyUp(0)}}}},
        {"right super and v paste, the key held across polls",
         {{{down(SDLK_RSUPER)}, {keyDown(0)}}, {{down(SDLK_v, KMOD_NONE, 'v'), up(SDLK_v)}, {only(ET_PASTE)}}}},
        {"super and return, and keypad enter, toggle full screen",
         {{{down(SDLK_LSUPER), down(SDLK_RETURN, KMOD_NONE, 13), up(SDLK_RETURN), down(SDLK_KP_ENTER, KMOD_NONE, 13)},
           {keyDown(0), only(ET_TOGGLE_FULLSCREEN), only(ET_TOGGLE_FULLSCREEN)}}}},
        {"super gives no modifier flag",
         {{{down(SDLK_RSUPER), down(SDLK_x, KMOD_NONE, 'x')}, {keyDown(0), keyDown(KC_X, 'x')}}}},
        {"once super is released q is a plain key",
         {{{down(SDLK_LSUPER), up(SDLK_LSUPER), down(SDLK_q, KMOD_NONE, 'q')},
           {keyDown(0), keyUp(0), keyDown(KC_Q, 'q')}}}},
        {"with both held, one released still holds meta",
         {{{down(SDLK_LSUPER), down(SDLK_RSUPER), up(SDLK_LSUPER), down(SDLK_q, KMOD_NONE, 'q')},
           {keyDown(0), keyDown(0), keyUp(0), only(ET_QUIT)}}}},
        {"a focus change forgets a held super, whose release went elsewhere",
         {{{down(SDLK_LSUPER), active(0, SDL_APPINPUTFOCUS)}, {keyDown(0), only(ET_ACTIVATE, 0, 0)}},
          {{active(1, SDL_APPINPUTFOCUS), down(SDLK_q, KMOD_NONE, 'q')},
           {only(ET_ACTIVATE, 0, 1), keyDown(KC_Q, 'q')}}}},

        // Activation: only input focus and the application's active state.
        {"input focus gained and lost",
         {{{active(1, SDL_APPINPUTFOCUS), active(0, SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS)},
           {only(ET_ACTIVATE, 0, 1), only(ET_ACTIVATE, 0, 0)}}}},
        {"iconified and restored",
         {{{active(0, SDL_APPACTIVE), active(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS)},
           {only(ET_ACTIVATE, 0, 0), only(ET_ACTIVATE, 0, 1)}}}},
        {"the pointer leaving or entering the window is no activation",
         {{{active(0, SDL_APPMOUSEFOCUS), active(1, SDL_APPMOUSEFOCUS)}, {}}}},

        // Window events.
        {"quit and paint", {{{blank(SDL_QUIT), blank(SDL_VIDEOEXPOSE)}, {only(ET_QUIT), only(ET_PAINT)}}}},
        {"joystick, window-manager and resize events give nothing",
         {{{blank(SDL_JOYAXISMOTION), blank(SDL_JOYBUTTONDOWN), windowManagerEvent(), blank(SDL_VIDEORESIZE),
            blank(SDL_USEREVENT)},
           {}}}},
    };
    for (const Case& c : cases)
        run(c);
}

// The tests make their input through InputEvents: each of its builders must
// give, field for field, what the device makes of the SDL events it stands for.
TEST_F(SdlInput, TheTestSupportsEventsAreTheOnesTheDeviceMakes)
{
    const HScreenPoint pointer{kPointerX, kPointerY};
    struct Conformance {
        const char* name;
        std::vector<SDL_Event> in;
        std::vector<HEvent> out;
    };
    const Conformance cases[] = {
        {"a letter typed and released",
         {down(SDLK_a, KMOD_NONE, 'a'), up(SDLK_a)},
         {InputEvents::s_typed(0, 'a', pointer), InputEvents::s_typedUp(0, 'a', pointer)}},
        {"a capital: shift down through the release",
         {down(SDLK_q, KMOD_LSHIFT, 'Q'), up(SDLK_q, KMOD_LSHIFT)},
         {InputEvents::s_typed(0, 'Q', pointer), InputEvents::s_typedUp(0, 'Q', pointer)}},
        {"a digit and a shifted digit",
         {down(SDLK_3, KMOD_NONE, '3'), down(SDLK_1, KMOD_RSHIFT, '!')},
         {InputEvents::s_typed(0, '3', pointer), InputEvents::s_typed(0, '!', pointer)}},
        {"punctuation has no code, shifted or not",
         {down(SDLK_COMMA, KMOD_NONE, ','), down(SDLK_SLASH, KMOD_LSHIFT, '?')},
         {InputEvents::s_typed(0, ',', pointer), InputEvents::s_typed(0, '?', pointer)}},
        {"space pressed and released: the release has no character",
         {down(SDLK_SPACE, KMOD_NONE, ' '), up(SDLK_SPACE)},
         {InputEvents::s_typed(0, ' ', pointer), InputEvents::s_keyUp(0, KC_SPACE, 0, pointer)}},
        {"Return, tab, backspace, Escape and Delete",
         {down(SDLK_RETURN, KMOD_NONE, 13), down(SDLK_TAB, KMOD_NONE, 9), down(SDLK_BACKSPACE),
          down(SDLK_ESCAPE, KMOD_NONE, 27), down(SDLK_DELETE, KMOD_NONE, 127)},
         {InputEvents::s_typed(0, '\r', pointer), InputEvents::s_typed(0, '\t', pointer),
          InputEvents::s_typed(0, '\b', pointer), InputEvents::s_typed(0, 27, pointer),
          InputEvents::s_typed(0, 127, pointer)}},
        {"Control and a letter", {down(SDLK_a, KMOD_RCTRL, 1)}, {InputEvents::s_typed(0, 1, pointer)}},
        {"a key with a code and no character",
         {down(SDLK_F1), up(SDLK_F1)},
         {InputEvents::s_keyDown(0, KC_F1, 0, 0, pointer), InputEvents::s_keyUp(0, KC_F1, 0, pointer)}},
        {"a character of another layout's key",
         {down(static_cast<SDLKey>(SDLK_WORLD_73), KMOD_NONE, 0xE9)},
         {InputEvents::s_typed(0, static_cast<char>(0xE9), pointer)}},
        {"the three buttons pressed and released",
         {press(SDL_BUTTON_LEFT, 10, 11), release(SDL_BUTTON_LEFT, 12, 13), press(SDL_BUTTON_RIGHT, 14, 15),
          release(SDL_BUTTON_RIGHT, 16, 17), press(SDL_BUTTON_MIDDLE, 18, 19), release(SDL_BUTTON_MIDDLE, 20, 21)},
         {InputEvents::s_buttonDown(0, {10, 11}), InputEvents::s_buttonUp(0, {12, 13}),
          InputEvents::s_buttonDown(0, {14, 15}, KC_RBUTTON), InputEvents::s_buttonUp(0, {16, 17}, KC_RBUTTON),
          InputEvents::s_mouse(ET_KEYDOWN, 0, {18, 19}, KC_MBUTTON),
          InputEvents::s_mouse(ET_KEYUP, 0, {20, 21}, KC_MBUTTON)}},
        {"a click while shift is down",
         {down(SDLK_LSHIFT, KMOD_LSHIFT), press(SDL_BUTTON_LEFT, 5, 6)},
         {InputEvents::s_keyDown(0, KC_SHIFT, 0, KM_SHIFT, pointer),
          InputEvents::s_buttonDown(0, {5, 6}, KC_LBUTTON, KM_SHIFT)}},
        {"a move", {motion(30, 40)}, {InputEvents::s_mouseMove(0, {30, 40})}},
        {"a move while shift is down has no flags",
         {down(SDLK_RSHIFT, KMOD_RSHIFT), motion(31, 41)},
         {InputEvents::s_keyDown(0, KC_SHIFT, 0, KM_SHIFT, pointer), InputEvents::s_mouse(ET_MOUSEMOVE, 0, {31, 41})}},
        {"focus lost and gained",
         {active(0, SDL_APPINPUTFOCUS), active(1, SDL_APPINPUTFOCUS)},
         {InputEvents::s_activate(0, false), InputEvents::s_activate(0, true)}},
        {"the window closed, and Meta+Q",
         {blank(SDL_QUIT), down(SDLK_q, KMOD_LMETA, 'q')},
         {InputEvents::s_quit(0), InputEvents::s_quit(0)}},
        {"a paint", {blank(SDL_VIDEOEXPOSE)}, {InputEvents::s_paint(0)}},
        {"Alt+Return", {down(SDLK_RETURN, KMOD_LALT, 13)}, {InputEvents::s_toggleFullscreen(0)}},
        {"Meta+V", {down(SDLK_v, KMOD_RMETA, 'v')}, {InputEvents::s_paste(0)}},
        {"Super+Q: the Super key, a key without a code, then the quit",
         {down(SDLK_LSUPER), down(SDLK_q, KMOD_NONE, 'q')},
         {InputEvents::s_keyDown(0, 0, 0, 0, pointer), InputEvents::s_quit(0)}},
    };
    for (const Conformance& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        std::vector<std::string> want;
        for (const HEvent& e : c.out)
            want.push_back(recordText(e));
        EXPECT_EQ(pollRecords(c.in), want);
    }

    // The event manager's idle tick.
    restart();
    HEvent e;
    EXPECT_FALSE(manager->getEvent(&e, false));
    ASSERT_TRUE(manager->getEvent(&e, false));
    EXPECT_EQ(recordText(e), recordText(InputEvents::s_timestamp(0)));
    EXPECT_EQ(e.time.getTime64(), fixedClock().getTime64());
}

TEST_F(SdlInput, EveryKeySymbolTranslatesThroughTheTable)
{
    // symbol -> code, from the device's documented table; everything else 0.
    std::vector<uint32_t> expected(HSDLInputDevice::kKeySymbolCount, 0);
    const auto same = [&](int32_t s) { expected[static_cast<size_t>(s)] = static_cast<uint32_t>(s); };
    for (int32_t s : {8, 9, 12, 13, 19, 27, 32})
        same(s);
    for (int32_t s = 48; s <= 57; ++s)
        same(s);
    for (int32_t s = 97; s <= 122; ++s)
        expected[static_cast<size_t>(s)] = static_cast<uint32_t>(s - 32);
    expected[127] = 46;
    for (int32_t s = 256; s <= 265; ++s)
        expected[static_cast<size_t>(s)] = static_cast<uint32_t>(s - 256 + 96);
    const uint32_t keypad[] = {110, 111, 106, 109, 107, 13};
    for (int32_t i = 0; i < 6; ++i)
        expected[static_cast<size_t>(266 + i)] = keypad[i];
    const uint32_t navigation[] = {38, 40, 39, 37, 45, 36, 35, 33, 34};
    for (int32_t i = 0; i < 9; ++i)
        expected[static_cast<size_t>(273 + i)] = navigation[i];
    for (int32_t s = 282; s <= 296; ++s)
        expected[static_cast<size_t>(s)] = static_cast<uint32_t>(s - 282 + 112);
    expected[300] = 144;
    expected[302] = 145;
    expected[303] = 16;
    expected[304] = 16;
    expected[316] = 42;
    expected[319] = 91;

    restart();
    int32_t wrong = 0;
    // In batches that fit both SDL's queue and the event ring.
    for (int32_t first = 0; first < HSDLInputDevice::kKeySymbolCount; first += 100) {
        std::vector<SDL_Event> in;
        for (int32_t s = first; s < first + 100 && s < HSDLInputDevice::kKeySymbolCount; ++s)
            in.push_back(down(static_cast<SDLKey>(s)));
        const std::vector<Out> got = poll(in);
        ASSERT_EQ(got.size(), in.size());
        for (size_t i = 0; i < got.size(); ++i) {
            const int32_t s = first + static_cast<int32_t>(i);
            const uint32_t want = expected[static_cast<size_t>(s)];
            if (got[i].type != ET_KEYDOWN || got[i].keyCode != want) {
                if (++wrong <= 10)
                    ADD_FAILURE() << "symbol " << s << ": " << text(got[i]) << ", want key " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(SdlInput, OneDeviceServesTheWholeProcess)
{
    HInputDevice* again = HInputDevice::s_createInputDevice(nullptr, true, true);
    EXPECT_EQ(again, device);
    HInputDevice::s_destroyInputDevice(device);
    EXPECT_EQ(HInputDevice::s_createInputDevice(nullptr, false, false), device) << "the same object comes back";
    ASSERT_NE(device->getEventSource(), nullptr);
    EXPECT_EQ(device->getEventSource()->getOwner(), device);
    EXPECT_EQ(device->getMouseMode(), HInputDevice::MOUSE_MODE_ABSOLUTE);
    EXPECT_TRUE(device->createInputDevice(false));

    // A source without an owner reads nothing.
    HInputDeviceEventSource orphan(nullptr);
    SDL_Event quit = blank(SDL_QUIT);
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    orphan.queryEventSource(manager);
    HEvent e;
    EXPECT_FALSE(manager->peekEvent(&e));
    EXPECT_EQ(SDL_PeepEvents(&quit, 1, SDL_PEEKEVENT, SDL_ALLEVENTS), 1) << "still in SDL's queue";
    EXPECT_FALSE(device->updateInputDevice(nullptr)) << "no manager, nothing drained";
    EXPECT_EQ(SDL_PeepEvents(&quit, 1, SDL_PEEKEVENT, SDL_ALLEVENTS), 1);
    drainSdlEvents();

    device->centerMouse();
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
}
