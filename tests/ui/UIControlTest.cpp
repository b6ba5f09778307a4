// A control on its own: its place and size from the delegate, which changes
// redraw it, enabling and disabling, and the class records of the toolkit.
#include "ui/UIControl.h"

#include "tests/support/CountingControl.h"
#include "tests/support/FixedExtentsDelegate.h"
#include "tests/support/InputEvents.h"
#include "ui/MVControlDelegate.h"
#include "ui/MVSprite.h"
#include "ui/UIManager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string text(const HScreenRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// A delegate that says when it goes.
class MortalDelegate : public FixedExtentsDelegate {
public:
    explicit MortalDelegate(int* deaths) : FixedExtentsDelegate(1, 1), m_pDeaths(deaths) {}
    ~MortalDelegate() override { ++*m_pDeaths; }

private:
    int* m_pDeaths;
};

TEST(UIControl, ANewControlWaitsOffScreenWithItsDelegateAttached)
{
    FixedExtentsDelegate* delegate = new FixedExtentsDelegate(32, 16);
    UIControl control(delegate);
    EXPECT_EQ(delegate->getControl(), &control);
    EXPECT_EQ(control.getControlDelegate(), delegate);
    EXPECT_EQ(control.getControlRect().left, -1000);
    EXPECT_EQ(control.getControlRect().bottom, -1000);
    EXPECT_TRUE(control.getControlRect().isEmpty());
    EXPECT_TRUE(control.isEnabled());
    EXPECT_FALSE(control.isLit());
    EXPECT_FALSE(control.m_isPushed());
    EXPECT_TRUE(control.isActive());
    EXPECT_FALSE(control.m_acceptsFocus());
    EXPECT_TRUE(control.m_isPushable());
    EXPECT_EQ(control.getUIManager(), nullptr);
    EXPECT_EQ(delegate->invalidations(), 0);
}

TEST(UIControl, TheDestructorDeletesTheDelegate)
{
    int deaths = 0;
    {
        UIControl control(new MortalDelegate(&deaths));
    }
    EXPECT_EQ(deaths, 1);
    // A control without a delegate can be made, placed and drawn.
    UIControl bare(nullptr);
    bare.setLocation(HScreenPoint{3, 4});
    bare.drawControl(HScreenRect(0, 0, 10, 10));
    EXPECT_EQ(text(bare.getControlRect()), "(3,4,3,4)");
}

TEST(UIControl, SetLocationTakesTheDelegatesSizeAndInvalidatesTheNewRectangle)
{
    FixedExtentsDelegate* delegate = new FixedExtentsDelegate(32, 16);
    UIControl control(delegate);
    control.setLocation(HScreenPoint{100, 50});
    EXPECT_EQ(text(control.getControlRect()), "(100,50,132,66)");
    ASSERT_EQ(delegate->invalidations(), 1);
    EXPECT_EQ(text(delegate->invalidatedAreas()[0]), "(100,50,132,66)");

    // Moved and shrunk: only the new rectangle is invalidated.
    delegate->clearCounts();
    delegate->setExtents(10, 5);
    control.setLocation(HScreenPoint{7, 8});
    EXPECT_EQ(text(control.getControlRect()), "(7,8,17,13)");
    ASSERT_EQ(delegate->invalidations(), 1);
    EXPECT_EQ(text(delegate->invalidatedAreas()[0]), "(7,8,17,13)");

    // m_setControlRect only stores.
    delegate->clearCounts();
    control.m_setControlRect(HScreenRect(1, 2, 3, 4));
    EXPECT_EQ(text(control.getControlRect()), "(1,2,3,4)");
    EXPECT_EQ(delegate->invalidations(), 0);
}

TEST(UIControl, StateChangesRedrawTheControlOnlyWhenTheyChangeSomething)
{
    FixedExtentsDelegate* delegate = new FixedExtentsDelegate(8, 8);
    UIControl control(delegate);
    control.setLocation(HScreenPoint{0, 0});
    struct Step {
        const char* name;
        void (*apply)(UIControl&);
        int invalidations;
        bool lit;
        bool pushed;
        bool enabled;
    };
    const Step steps[] = {
        {"light", [](UIControl& c) { c.m_setLit(true); }, 1, true, false, true},
        {"light again", [](UIControl& c) { c.m_setLit(true); }, 0, true, false, true},
        {"push", [](UIControl& c) { c.m_setPushed(true); }, 1, true, true, true},
        {"push again", [](UIControl& c) { c.m_setPushed(true); }, 0, true, true, true},
        // Disabling unlights (one redraw) and redraws once more.
        {"disable", [](UIControl& c) { c.enableControl(false); }, 2, false, true, false},
        {"disable again", [](UIControl& c) { c.enableControl(false); }, 1, false, true, false},
        {"enable", [](UIControl& c) { c.enableControl(true); }, 1, false, true, true},
        {"pop up", [](UIControl& c) { c.m_setPushed(false); }, 1, false, false, true},
        {"unlight while unlit", [](UIControl& c) { c.m_setLit(false); }, 0, false, false, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        delegate->clearCounts();
        s.apply(control);
        EXPECT_EQ(delegate->invalidations(), s.invalidations);
        EXPECT_EQ(control.isLit(), s.lit);
        EXPECT_EQ(control.m_isPushed(), s.pushed);
        EXPECT_EQ(control.isEnabled(), s.enabled);
    }
}

TEST(UIControl, ClicksAndUnclicksAreLeftButtonEventsInsideTheRectangle)
{
    UIControl control(new FixedExtentsDelegate(32, 16));
    control.setLocation(HScreenPoint{100, 50});
    struct Case {
        HEventType type;
        uint32_t key;
        int32_t x;
        int32_t y;
        bool click;
        bool unclick;
    };
    const Case cases[] = {
        {ET_KEYDOWN, KC_LBUTTON, 100, 50, true, false},
        // Containment counts the right and bottom edges as inside.
        {ET_KEYDOWN, KC_LBUTTON, 132, 66, true, false},
        {ET_KEYDOWN, KC_LBUTTON, 133, 60, false, false},
        {ET_KEYDOWN, KC_RBUTTON, 110, 60, false, false},
        {ET_KEYUP, KC_LBUTTON, 110, 60, false, true},
        {ET_KEYUP, KC_LBUTTON, 99, 60, false, false},
        // Not from the device, whose moves have no key code: the modal dialog
        // loop's closing moves carry the last event's, a click's among them.
        {ET_MOUSEMOVE, KC_LBUTTON, 110, 60, false, false},
    };
    for (const Case& c : cases) {
        HEvent e = InputEvents::s_mouse(c.type, 0, HScreenPoint{c.x, c.y}, c.key);
        if (c.type == ET_MOUSEMOVE)
            e.keyCode = c.key;
        SCOPED_TRACE(std::to_string(c.type) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(control.m_isClick(e), c.click);
        EXPECT_EQ(control.m_isUnclick(e), c.unclick);
    }
}

TEST(UIControl, WithoutAManagerAPressPushesButCapturesNothing)
{
    CountingControl control(new FixedExtentsDelegate(10, 10));
    control.setLocation(HScreenPoint{0, 0});
    EXPECT_TRUE(control.handleEvent(InputEvents::s_buttonDown(0, HScreenPoint{5, 5})));
    EXPECT_TRUE(control.m_isPushed());
    EXPECT_EQ(control.clicks(), 1);
    // Not the capture control: a move only lights.
    EXPECT_FALSE(control.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{50, 50})));
    EXPECT_EQ(control.drags(), 0);
    EXPECT_TRUE(control.handleEvent(InputEvents::s_buttonUp(0, HScreenPoint{5, 5})));
    EXPECT_EQ(control.unclicks(), 1);
    EXPECT_FALSE(control.m_isPushed());
}

TEST(UIControl, ClassRecordsNameTheToolkitsClasses)
{
    MVSprite sprite;
    UIControl control(nullptr);
    UIManager manager;
    MVControlDelegate delegate;
    struct Case {
        const HObject* object;
        const char* name;
        const char* base;
    };
    const Case cases[] = {
        {&sprite, "MVSprite", "HObject"},
        {&control, "UIControl", "HObject"},
        {&manager, "UIManager", "HObject"},
        {&delegate, "MVControlDelegate", "UIControlDelegate"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.object->getClassName(), c.name);
        EXPECT_STREQ(c.object->getBaseClassName(), c.base);
        EXPECT_EQ(HClassInfo::s_findClass(c.name), c.object->getClassInfo());
    }
    EXPECT_TRUE(control.isKindOf(&HObject::sm_classInfoHObject));
    manager.shutdownUIManager();
}

} // namespace
