// The UI manager with its controls: the control state machine and the
// routing order (capture, then focus, then the list newest first), the
// capture that must never go stale, removal and shutdown, drawing, the lit
// control after a dialog, and the focus cycle.
#include "ui/UIManager.h"

#include "engine/core/HObjectList.h"
#include "tests/support/CountingControl.h"
#include "tests/support/FixedExtentsDelegate.h"
#include "tests/support/InputEvents.h"
#include "ui/UIControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HEvent mouse(HEventType type, int32_t x, int32_t y, uint32_t button = KC_LBUTTON)
{
    return InputEvents::s_mouse(type, 0, HScreenPoint{x, y}, button);
}

HEvent move(int32_t x, int32_t y)
{
    return mouse(ET_MOUSEMOVE, x, y);
}

HEvent press(int32_t x, int32_t y)
{
    return mouse(ET_KEYDOWN, x, y);
}

HEvent release(int32_t x, int32_t y)
{
    return mouse(ET_KEYUP, x, y);
}

HEvent key(uint32_t code, char character)
{
    return InputEvents::s_keyDown(0, code, character);
}

std::string joined(const std::vector<std::string>& log)
{
    std::string s;
    for (const std::string& entry : log)
        s += (s.empty() ? "" : " ") + entry;
    return s;
}

// A delegate that says when it goes (its control deletes it).
class MortalDelegate : public FixedExtentsDelegate {
public:
    MortalDelegate(int32_t width, int32_t height, int* deaths) : FixedExtentsDelegate(width, height), m_pDeaths(deaths)
    {
    }
    ~MortalDelegate() override { ++*m_pDeaths; }

private:
    int* m_pDeaths;
};

class Manager : public ::testing::Test {
protected:
    void TearDown() override { manager.shutdownUIManager(); }

    // A control of the given size at (x, y), inserted: the newest is the
    // list's head. The manager deletes it at shutdown.
    CountingControl* add(const std::string& name, int32_t x, int32_t y, int32_t width, int32_t height)
    {
        CountingControl* c = new CountingControl(new MortalDelegate(width, height, &deaths), name, &log);
        c->setLocation(HScreenPoint{x, y});
        EXPECT_EQ(manager.insertControl(c), 0);
        names.emplace_back(c, name);
        return c;
    }

    static FixedExtentsDelegate* delegateOf(UIControl* c)
    {
        return static_cast<FixedExtentsDelegate*>(c->getControlDelegate());
    }

    std::string nameOf(const UIControl* c) const
    {
        for (const auto& n : names) {
            if (n.first == c)
                return n.second;
        }
        return c ? "?" : "-";
    }

    // "N=pl O=l F=-": p pushed, l lit, d disabled, for every control in the
    // order they were added.
    std::string states() const
    {
        std::string s;
        for (const auto& n : names) {
            std::string flags;
            if (n.first->m_isPushed())
                flags += "p";
            if (n.first->isLit())
                flags += "l";
            if (!n.first->isEnabled())
                flags += "d";
            s += (s.empty() ? "" : " ") + n.second + "=" + (flags.empty() ? "-" : flags);
        }
        return s;
    }

    UIManager manager;
    std::vector<std::string> log;
    std::vector<std::pair<UIControl*, std::string>> names;
    int deaths = 0;
};

// --- The state machine and the routing order -------------------------------------------

TEST_F(Manager, EventsReachTheCaptureThenTheFocusThenTheListNewestFirst)
{
    // F: a focus taker at the top left that is never pushed. O and N overlap
    // at (110..132, 55..66); N is newer, so it is offered events first.
    CountingControl* f = add("F", 0, 0, 20, 20);
    f->setAcceptsFocus(true);
    f->setPushable(false);
    add("O", 100, 50, 32, 16);
    add("N", 110, 55, 32, 16);
    struct Row {
        const char* what;
        HEvent event;
        bool consumed;
        const char* log;
        const char* states; // after the event, controls in the order F O N
        const char* capture;
        const char* focus;
    };
    const Row rows[] = {
        {"a move lights every control under it and reaches all of them", move(5, 5), false,
         "N:offer O:offer F:offer", "F=l O=- N=-", "-", "-"},
        {"a move over the overlap lights both", move(115, 60), false, "N:offer O:offer F:offer",
         "F=- O=l N=l", "-", "-"},
        {"the newer control takes the press, pushed and captured; the action runs on the press", press(115, 60),
         true, "N:offer N:click", "F=- O=l N=pl", "N", "-"},
        {"dragged out: only the capture sees the move; it pops up and goes dark", move(300, 300), true,
         "N:offer N:drag", "F=- O=l N=-", "N", "-"},
        {"dragged back: pushed and lit again", move(115, 60), true, "N:offer N:drag", "F=- O=l N=pl", "N", "-"},
        {"a move inside keeps it pushed", move(120, 62), true, "N:offer N:drag", "F=- O=l N=pl", "N", "-"},
        {"released inside: the unclick runs and the capture ends", release(120, 62), true, "N:offer N:unclick",
         "F=- O=l N=l", "-", "-"},
        {"a press where only the older control lies passes the newer one by", press(105, 52), true,
         "N:offer O:offer O:click", "F=- O=pl N=l", "O", "-"},
        {"released outside: no unclick, not consumed, offered to every control, capture gone",
         release(300, 300), false, "O:offer N:offer O:offer F:offer", "F=- O=l N=l", "-", "-"},
        {"a move away darkens both", move(300, 300), false, "N:offer O:offer F:offer", "F=- O=- N=-", "-", "-"},
        {"a right-button press is no click", mouse(ET_KEYDOWN, 115, 60, KC_RBUTTON), false,
         "N:offer O:offer F:offer", "F=- O=- N=-", "-", "-"},
        {"a control that takes the focus gets it on the press and is never pushed", press(5, 5), true,
         "N:offer O:offer F:offer F:click", "F=- O=- N=-", "-", "F"},
        {"a typed character goes to the focus first and is consumed", key(KC_A, 'a'), true, "F:offer F:key",
         "F=- O=- N=-", "-", "F"},
        {"the release of a control that was never pushed is not consumed", release(5, 5), false,
         "F:offer N:offer O:offer F:offer", "F=- O=- N=-", "-", "F"},
        {"a key without a character is never passed to keyDownAction", key(KC_F1, 0), false,
         "F:offer N:offer O:offer F:offer", "F=- O=- N=-", "-", "F"},
        {"a press on a control that refuses the focus clears it", press(140, 70), true,
         "F:offer N:offer N:click", "F=- O=- N=p", "N", "-"},
        {"the capture is offered the release first", release(140, 70), true, "N:offer N:unclick",
         "F=- O=- N=-", "-", "-"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        log.clear();
        EXPECT_EQ(manager.sendEventToControls(r.event), r.consumed);
        EXPECT_EQ(joined(log), r.log);
        EXPECT_EQ(states(), r.states);
        EXPECT_EQ(nameOf(manager.getCapture()), r.capture);
        EXPECT_EQ(nameOf(manager.getFocus()), r.focus);
    }
}

TEST_F(Manager, DisabledAndInactiveControlsAreNotOfferedRoutedEvents)
{
    CountingControl* disabled = add("D", 0, 0, 10, 10);
    CountingControl* inactive = add("I", 0, 0, 10, 10);
    disabled->enableControl(false);
    inactive->setActive(false);
    log.clear();
    EXPECT_FALSE(manager.sendEventToControls(move(5, 5)));
    EXPECT_FALSE(manager.sendEventToControls(press(5, 5)));
    EXPECT_TRUE(log.empty()) << joined(log);
    EXPECT_EQ(states(), "D=d I=-");

    // The focus is offered events whether it is active or not.
    inactive->setAcceptsFocus(true);
    manager.setFocus(inactive);
    EXPECT_TRUE(manager.sendEventToControls(key(KC_B, 'b')));
    EXPECT_EQ(joined(log), "I:offer I:key");
}

TEST_F(Manager, AControlThatGoesAwayWhileLitComesBackUnlit)
{
    // Lit under the pointer, then hidden by what the game does (no mouse
    // move reaches a hidden control), with events still arriving (a key, a
    // time stamp): it is put out at the first of them.
    CountingControl* shuffle = add("S", 0, 0, 10, 10);
    manager.sendEventToControls(move(5, 5));
    EXPECT_EQ(states(), "S=l");
    shuffle->setActive(false);
    manager.sendEventToControls(key(KC_U, 'u'));
    EXPECT_EQ(states(), "S=-");
    shuffle->setActive(true);
    EXPECT_EQ(states(), "S=-");
}

// A control that was hidden is offered no mouse move, but the manager
// follows the pointer through every event it routes: at the first event
// after the control comes back, it is lit exactly when it is enabled and
// the pointer is over it, wherever the pointer went meanwhile.
TEST_F(Manager, AControlThatComesBackIsLitExactlyWhenItComesUnderThePointer)
{
    struct Case {
        const char* name;
        std::vector<HEvent> whileHidden; // after the control went
        bool enabled;
        std::string expected;
    };
    const Case cases[] = {
        {"the pointer at rest on it", {}, true, "S=l"},
        {"the pointer moved off it", {move(50, 50)}, true, "S=-"},
        {"the pointer moved off and back", {move(50, 50), move(6, 6)}, true, "S=l"},
        // A press carries its point without the move that brought it there.
        {"a press elsewhere", {press(60, 60), release(60, 60)}, true, "S=-"},
        {"a press on its place", {move(50, 50), press(7, 7)}, true, "S=l"},
        {"disabled meanwhile", {}, false, "S=d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UIManager own;
        std::vector<std::string> ownLog;
        CountingControl* s = new CountingControl(new FixedExtentsDelegate(10, 10), "S", &ownLog);
        s->setLocation(HScreenPoint{0, 0});
        ASSERT_EQ(own.insertControl(s), 0);
        names.assign(1, {s, "S"});
        own.sendEventToControls(move(5, 5));
        ASSERT_EQ(states(), "S=l");
        s->setActive(false);
        own.sendEventToControls(key(KC_U, 'u'));
        for (const HEvent& e : c.whileHidden)
            own.sendEventToControls(e);
        s->enableControl(c.enabled);
        s->setActive(true);
        own.sendEventToControls(key(KC_U, 'u'));
        EXPECT_EQ(states(), c.expected);
        names.clear();
        own.shutdownUIManager();
    }
}

TEST_F(Manager, AControlNoPointerHasReachedYetIsNotLit)
{
    // Before any event with a point (a key, a time stamp only), where the
    // pointer is is not known: a control that comes is not lit.
    CountingControl* s = add("S", 0, 0, 10, 10);
    s->setActive(false);
    manager.sendEventToControls(key(KC_U, 'u'));
    s->setActive(true);
    manager.sendEventToControls(key(KC_U, 'u'));
    EXPECT_EQ(states(), "S=-");
    manager.sendEventToControls(move(5, 5));
    EXPECT_EQ(states(), "S=l");
}

TEST_F(Manager, TabMovesTheFocusOnAndWrapsToTheHead)
{
    // List order: E D C B A (newest first).
    CountingControl* a = add("A", 0, 0, 4, 4);
    CountingControl* b = add("B", 10, 0, 4, 4);
    CountingControl* c = add("C", 20, 0, 4, 4);
    CountingControl* d = add("D", 30, 0, 4, 4);
    CountingControl* e = add("E", 40, 0, 4, 4);
    for (CountingControl* x : {a, b, c, d, e})
        x->setAcceptsFocus(true);
    c->enableControl(false);
    d->setActive(false);
    b->setAcceptsFocus(false);

    // No focus yet: the first eligible control from the head.
    manager.cycleFocus();
    EXPECT_EQ(nameOf(manager.getFocus()), "E");
    const char* expected[] = {"A", "E", "A"};
    for (const char* next : expected) {
        UIControl* old = manager.getFocus();
        delegateOf(old)->clearCounts();
        log.clear();
        EXPECT_TRUE(manager.sendEventToControls(key(KC_TAB, '\t')));
        EXPECT_EQ(log.front(), nameOf(old) + ":offer");
        EXPECT_EQ(nameOf(manager.getFocus()), next);
        // The old focus redraws to lose its mark, the new one to gain it.
        EXPECT_GE(delegateOf(old)->invalidations(), 1);
    }

    // The only eligible control holds the focus: it keeps it.
    e->setAcceptsFocus(false);
    manager.setFocus(a);
    manager.cycleFocus();
    EXPECT_EQ(nameOf(manager.getFocus()), "A");
}

TEST_F(Manager, SetFocusRedrawsThePreviousFocus)
{
    CountingControl* a = add("A", 0, 0, 4, 4);
    CountingControl* b = add("B", 10, 0, 4, 4);
    delegateOf(a)->clearCounts();
    delegateOf(b)->clearCounts();
    manager.setFocus(a);
    EXPECT_EQ(delegateOf(a)->invalidations(), 0);
    manager.setFocus(b);
    EXPECT_EQ(delegateOf(a)->invalidations(), 1);
    EXPECT_EQ(delegateOf(b)->invalidations(), 0);
    EXPECT_EQ(manager.getFocus(), b);
}

// --- The capture never goes stale ------------------------------------------------------

TEST_F(Manager, TheCaptureIsDroppedWhenTheHeldControlIsDisabledOrGoesInactive)
{
    CountingControl* held = add("H", 0, 0, 10, 10);
    add("X", 20, 0, 10, 10);
    struct Case {
        const char* what;
        void (*leave)(CountingControl*);
    };
    const Case cases[] = {
        {"disabled while held", [](CountingControl* c) { c->enableControl(false); }},
        {"inactive while held", [](CountingControl* c) { c->setActive(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        held->enableControl(true);
        held->setActive(true);
        ASSERT_TRUE(manager.sendEventToControls(press(5, 5)));
        ASSERT_EQ(manager.getCapture(), held);
        c.leave(held);
        // The next event finds the capture gone (or drops it) and reaches
        // the other controls: the move lights X.
        EXPECT_FALSE(manager.sendEventToControls(move(25, 5)));
        EXPECT_EQ(manager.getCapture(), nullptr);
        EXPECT_FALSE(held->m_isPushed());
        EXPECT_TRUE(names[1].first->isLit());
        // Back in service it is drawn in its normal state.
        held->enableControl(true);
        held->setActive(true);
        EXPECT_FALSE(held->m_isPushed());
        manager.sendEventToControls(move(100, 100));
    }
}

TEST_F(Manager, AReleaseSwallowedByADialogLeavesNoCaptureBehind)
{
    // The click opens a modal dialog, which takes the release; the framework
    // releases the capture when the dialog closes.
    CountingControl* opener = add("B", 0, 0, 10, 10);
    CountingControl* other = add("X", 20, 0, 10, 10);
    opener->setOnClick([this] { manager.releaseCapture(); });
    EXPECT_TRUE(manager.sendEventToControls(press(5, 5)));
    EXPECT_EQ(opener->clicks(), 1);
    EXPECT_EQ(manager.getCapture(), nullptr);
    EXPECT_FALSE(opener->m_isPushed());
    // Mouse moves reach every control again.
    EXPECT_FALSE(manager.sendEventToControls(move(25, 5)));
    EXPECT_TRUE(other->isLit());
    EXPECT_FALSE(opener->isLit());
    EXPECT_EQ(opener->drags(), 0);

    // releaseCapture with nothing captured changes nothing.
    manager.releaseCapture();
    EXPECT_EQ(manager.getCapture(), nullptr);
}

TEST_F(Manager, AnyLeftReleaseEndsTheCapture)
{
    CountingControl* held = add("H", 0, 0, 10, 10);
    CountingControl* focus = add("F", 50, 50, 10, 10);
    focus->setAcceptsFocus(true);
    ASSERT_TRUE(manager.sendEventToControls(press(5, 5)));
    // The focus cannot be set by a press that captures; set it directly.
    manager.setFocus(focus);
    ASSERT_EQ(manager.getCapture(), held);
    // Released over another control: the held control lets go first.
    log.clear();
    EXPECT_FALSE(manager.sendEventToControls(release(55, 55)));
    EXPECT_EQ(log.front(), "H:offer");
    EXPECT_EQ(manager.getCapture(), nullptr);
    EXPECT_FALSE(held->m_isPushed());
    EXPECT_EQ(held->unclicks(), 0);
}

// --- Removal and shutdown ----------------------------------------------------------------

TEST_F(Manager, RemovalClearsTheCaptureAndTheFocusThatNameTheControl)
{
    CountingControl* held = add("H", 0, 0, 10, 10);
    CountingControl* focus = add("F", 20, 0, 10, 10);
    CountingControl* stays = add("S", 40, 0, 10, 10);
    focus->setAcceptsFocus(true);
    ASSERT_TRUE(manager.sendEventToControls(press(25, 5)));
    ASSERT_EQ(manager.getFocus(), focus);
    ASSERT_TRUE(manager.sendEventToControls(press(5, 5)));
    // The press took over from the control still held by the first one.
    EXPECT_FALSE(focus->m_isPushed());
    manager.setFocus(focus);
    ASSERT_EQ(manager.getCapture(), held);

    manager.removeControl(held);
    EXPECT_EQ(manager.getCapture(), nullptr);
    EXPECT_FALSE(held->m_isPushed());
    EXPECT_EQ(held->getUIManager(), nullptr);
    EXPECT_EQ(manager.getFocus(), focus);
    manager.removeControl(focus);
    EXPECT_EQ(manager.getFocus(), nullptr);

    // The removed controls are offered nothing; the one left still works.
    held->clearCounts();
    focus->clearCounts();
    EXPECT_FALSE(manager.sendEventToControls(move(5, 5)));
    EXPECT_FALSE(manager.sendEventToControls(key(KC_A, 'a')));
    EXPECT_EQ(held->offers() + focus->offers(), 0);
    EXPECT_EQ(stays->offers(), 2 + 2); // the two presses above, then these two

    // Removed controls are the caller's again; not deleted by the manager.
    EXPECT_EQ(deaths, 0);
    delete held;
    delete focus;
    EXPECT_EQ(deaths, 2);
    names.erase(names.begin(), names.begin() + 2);
    manager.shutdownUIManager();
    EXPECT_EQ(deaths, 3);
}

TEST_F(Manager, ShutdownDeletesEveryControlOnceAndClearsCaptureAndFocus)
{
    CountingControl* held = add("H", 0, 0, 10, 10);
    CountingControl* focus = add("F", 20, 0, 10, 10);
    ASSERT_TRUE(manager.sendEventToControls(press(5, 5)));
    manager.setFocus(focus);
    // A second insert of a listed control is refused: it would be deleted
    // twice at shutdown.
    EXPECT_EQ(manager.insertControl(held), 1);
    EXPECT_EQ(manager.insertControl(nullptr), 1);
    int listed = 0;
    for (HContainerNode* n = manager.getControlList()->beginIteration(); n; n = manager.getControlList()->next(n))
        ++listed;
    EXPECT_EQ(listed, 2);

    manager.shutdownUIManager();
    names.clear();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(manager.getCapture(), nullptr);
    EXPECT_EQ(manager.getFocus(), nullptr);
    EXPECT_EQ(manager.getControlList(), nullptr);

    // Afterwards every operation does nothing.
    EXPECT_FALSE(manager.sendEventToControls(press(5, 5)));
    manager.drawControls(HScreenRect(0, 0, 640, 480));
    manager.findLitControl(HScreenPoint{5, 5});
    manager.cycleFocus();
    manager.releaseCapture();
    CountingControl late(new FixedExtentsDelegate(4, 4));
    EXPECT_EQ(manager.insertControl(&late), 1);
    EXPECT_EQ(late.getUIManager(), nullptr);
    manager.removeControl(&late);
    manager.shutdownUIManager();
    EXPECT_EQ(deaths, 2);
}

// --- Drawing and the lit control ----------------------------------------------------------

TEST_F(Manager, ControlsAreDrawnNewestFirstSoOlderOnesEndOnTop)
{
    add("A", 0, 0, 10, 10);
    CountingControl* b = add("B", 5, 5, 10, 10);
    add("C", 8, 8, 10, 10);
    b->setActive(false);
    log.clear();
    const HScreenRect clip(1, 2, 30, 40);
    manager.drawControls(clip);
    EXPECT_EQ(joined(log), "C:draw A:draw");
    EXPECT_EQ(delegateOf(names[0].first)->drawCount(), 1);
    EXPECT_EQ(delegateOf(b)->drawCount(), 0);
    EXPECT_EQ(delegateOf(names[0].first)->lastClip().bottom, 40);
}

TEST_F(Manager, FindLitControlLightsActiveControlsUnderThePointEnabledOrNot)
{
    CountingControl* disabled = add("D", 0, 0, 10, 10);
    CountingControl* inactive = add("I", 0, 0, 10, 10);
    CountingControl* away = add("A", 50, 50, 10, 10);
    disabled->enableControl(false);
    away->m_setLit(true);
    inactive->m_setLit(true);
    inactive->setActive(false);
    manager.findLitControl(HScreenPoint{5, 5});
    EXPECT_EQ(states(), "D=ld I=- A=-");
    // Routing alone never lights the disabled control.
    disabled->m_setLit(false);
    manager.sendEventToControls(move(6, 6));
    EXPECT_FALSE(disabled->isLit());
}

} // namespace
