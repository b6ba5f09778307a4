// Dialog text lines: editing and its length limits, the shown part and the
// caret, blinking on the replaceable clock, paste, focus clicks, Enter and
// the shared blink tick.
#include "ui/MVDialogItemTextLine.h"

#include "tests/support/DialogTestGame.h"
#include "tests/support/InputEvents.h"
#include "ui/MVDialog.h"
#include "ui/MVDialogItemButton.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

uint64_t s_clockMs = 0;

MvTime testClock()
{
    return MvTime::s_fromTime64(s_clockMs);
}

class MVDialogItemTextLineTest : public ::testing::Test {
protected:
    MVDialogItemTextLineTest()
    {
        MVDialogItemTextLine::s_setClock(&testClock);
        MVDialogItemTextLine::s_setLastBlinkTick(MvTime{0, 0});
        s_clockMs = 0;
        game.makeSprite(&background, 300, 200);
        dialog.setBackgroundSprite(&background);
        dialog.setDialogOrigin(HScreenPoint{100, 50});
        line.setDialogItemOrigin(HScreenPoint{10, 20});
    }
    ~MVDialogItemTextLineTest() override
    {
        dialog.removeAllItems();
        background.unloadSprite();
        MVDialogItemTextLine::s_setClock(nullptr);
        MVDialogItemTextLine::s_setLastBlinkTick(MvTime{0, 0});
    }

    // An editable line holding the focus.
    void addEditable()
    {
        line.setEditable(true);
        dialog.addDialogItem(&line);
        ASSERT_EQ(dialog.getFocusItem(), &line);
    }
    static HEvent typed(char c) { return InputEvents::s_typed(0, c); }
    // What one drawing pass of the line shows; "(nothing)" when it draws nothing.
    std::string shown()
    {
        game.screen()->texts.clear();
        line.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
        return game.screen()->texts.empty() ? "(nothing)" : game.screen()->texts.back().text;
    }
    void clearDirt()
    {
        MVDialog::sm_dirtyRectManager.clearDirtyList();
        game.getDirtyList()->clearDirtyList();
    }

    DialogTestGame game;
    MVSprite background;
    MVDialog dialog;
    MVDialogItemTextLine line;
};

TEST_F(MVDialogItemTextLineTest, StartsWithTheDefaults)
{
    EXPECT_EQ(line.getTextLineSize(), 1023);
    EXPECT_EQ(line.getTextLineDisplaySize(), 64);
    EXPECT_STREQ(line.getText(), "");
    EXPECT_FALSE(line.acceptsFocus());
    EXPECT_TRUE(line.coversWholeDialog());
    EXPECT_EQ(line.getTextLineEffects(), 0u);
}

TEST_F(MVDialogItemTextLineTest, MaximumLengthKeepsTheFirstCharactersAndBackspaceStopsAtEmpty)
{
    addEditable();
    line.setTextLineSize(12);
    const std::string typedText = "abcdefghijklm"; // 13 characters
    for (char c : typedText)
        EXPECT_FALSE(line.handleEvent(typed(c)));
    EXPECT_STREQ(line.getText(), "abcdefghijkl");
    EXPECT_EQ(line.getCaret(), 12);

    for (int i = 0; i < 14; ++i)
        EXPECT_FALSE(line.handleEvent(typed(8)));
    EXPECT_STREQ(line.getText(), "");
    EXPECT_EQ(line.getCaret(), 0);

    // Characters below 32 other than backspace and Enter add nothing (Escape,
    // Control+A); bytes from 128 on are characters.
    line.handleEvent(typed(27));
    line.handleEvent(typed(1));
    line.handleEvent(typed(static_cast<char>(0xE9)));
    EXPECT_STREQ(line.getText(), "\xE9");
    // Enter is taken, and adds nothing.
    EXPECT_TRUE(line.handleEvent(typed(13)));
    EXPECT_STREQ(line.getText(), "\xE9");
}

TEST_F(MVDialogItemTextLineTest, LengthLimitsAreHeldToTheBuffer)
{
    struct Case {
        int32_t size;
        int32_t expected;
    };
    for (const Case& c : {Case{-5, 0}, Case{0, 0}, Case{12, 12}, Case{1023, 1023}, Case{1024, 1023},
                          Case{5000, 1023}, Case{INT32_MIN, 0}, Case{INT32_MAX, 1023}}) {
        SCOPED_TRACE(c.size);
        line.setTextLineSize(c.size);
        EXPECT_EQ(line.getTextLineSize(), c.expected);
        EXPECT_EQ(line.getTextLineDisplaySize(), c.expected);
        line.setTextLineDisplaySize(c.size);
        EXPECT_EQ(line.getTextLineDisplaySize(), c.expected);
    }

    // With the largest size a long text fills the buffer and no more.
    addEditable();
    line.setTextLineSize(5000);
    const std::string longText(3000, 'x');
    line.setText(longText.c_str());
    EXPECT_EQ(std::string(line.getText()).size(), 1023u);
    EXPECT_FALSE(line.handleEvent(typed('y')));
    EXPECT_EQ(line.getCaret(), 1023);

    // A negative display size shows nothing rather than reading past the text.
    line.setTextLineDisplaySize(-40);
    s_clockMs = 0;
    EXPECT_EQ(shown(), "");
}

TEST_F(MVDialogItemTextLineTest, ShowsTheLastDisplaySizeCharactersAndTheCaretInOddHalfSeconds)
{
    addEditable();
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += static_cast<char>('!' + i % 90);
    line.setText(text.c_str());
    const std::string last64 = text.substr(36);

    struct Case {
        uint64_t ms;
        bool caret;
    };
    for (const Case& c : {Case{0, false}, Case{499, false}, Case{500, true}, Case{999, true}, Case{1000, false},
                          Case{1500, true}}) {
        SCOPED_TRACE(c.ms);
        s_clockMs = c.ms;
        EXPECT_EQ(shown(), c.caret ? last64 + "|" : last64);
    }
    // The text is drawn at the origin on the dialog.
    EXPECT_EQ(game.screen()->texts.back().x, 110);
    EXPECT_EQ(game.screen()->texts.back().y, 70);

    // Without the focus there is no caret.
    MVDialogItemButton other;
    dialog.addDialogItem(&other);
    ASSERT_NE(dialog.getFocusItem(), &line);
    s_clockMs = 500;
    EXPECT_EQ(shown(), last64);
    dialog.removeAllItems(); // before the local items go
}

TEST_F(MVDialogItemTextLineTest, AtMost253CharactersAreShown)
{
    addEditable();
    line.setTextLineDisplaySize(1000);
    line.setText(std::string(600, 'q').c_str());
    s_clockMs = 500;
    EXPECT_EQ(shown(), std::string(253, 'q') + "|");
}

TEST_F(MVDialogItemTextLineTest, ABlinkingLineIsHiddenInOddHalfSeconds)
{
    dialog.addDialogItem(&line);
    line.setText("blink");
    line.setTextLineEffects(MVDialogItemTextLine::kEffectBlink);
    struct Case {
        uint64_t ms;
        bool visible;
    };
    for (const Case& c : {Case{0, true}, Case{499, true}, Case{500, false}, Case{999, false}, Case{1000, true},
                          Case{1499, true}, Case{1500, false}}) {
        SCOPED_TRACE(c.ms);
        s_clockMs = c.ms;
        EXPECT_EQ(shown(), c.visible ? "blink" : "(nothing)");
    }
    // A disabled line draws nothing at all.
    line.setEnabled(false);
    s_clockMs = 0;
    EXPECT_EQ(shown(), "(nothing)");
}

TEST_F(MVDialogItemTextLineTest, KeysReachOnlyTheFocusedEditableLine)
{
    dialog.addDialogItem(&line);
    EXPECT_FALSE(line.handleEvent(typed('a'))); // not editable
    EXPECT_STREQ(line.getText(), "");

    line.setEditable(true);
    MVDialogItemButton other;
    dialog.addDialogItem(&other); // takes the focus
    EXPECT_FALSE(line.handleEvent(typed('a')));
    EXPECT_FALSE(line.handleEvent(typed(13)));
    EXPECT_STREQ(line.getText(), "");
    dialog.removeAllItems(); // before the local items go
}

TEST_F(MVDialogItemTextLineTest, EnterReachesAnEnabledDefaultButtonFirst)
{
    MVSprite buttonSprite;
    game.makeSprite(&buttonSprite, 40, 20);
    MVDialogItemButton okButton;
    okButton.setButtonSprites(&buttonSprite, &buttonSprite, nullptr);
    dialog.addDialogItem(&okButton); // the default item
    line.setEditable(true);
    dialog.addDialogItem(&line); // the focus
    line.setText("name");

    EXPECT_EQ(dialog.m_filterEventToItems(typed(13)), &okButton);
    // A disabled default button lets the line take it.
    okButton.setEnabled(false);
    EXPECT_EQ(dialog.m_filterEventToItems(typed(13)), &line);
    EXPECT_STREQ(line.getText(), "name");
    dialog.removeAllItems();
    buttonSprite.unloadSprite();
}

TEST_F(MVDialogItemTextLineTest, PasteIsTakenAndChangesNothingWithoutAClipboard)
{
    addEditable();
    line.setText("kept");
    EXPECT_TRUE(line.handleEvent(InputEvents::s_paste(0)));
    EXPECT_STREQ(line.getText(), "kept");

    MVDialogItemButton other;
    dialog.addDialogItem(&other);
    EXPECT_FALSE(line.handleEvent(InputEvents::s_paste(0)));
    dialog.removeAllItems(); // before the local items go
}

TEST_F(MVDialogItemTextLineTest, AClickInItsOwnRectangleTakesTheFocus)
{
    line.setEditable(true);
    dialog.addDialogItem(&line);
    MVDialogItemButton other;
    dialog.addDialogItem(&other);
    HEvent press = InputEvents::s_buttonDown(0, HScreenPoint{120, 75});

    // The whole-dialog value is no click area.
    EXPECT_FALSE(line.handleEvent(press));
    EXPECT_EQ(dialog.getFocusItem(), &other);

    line.m_dialogItemRect = HScreenRect(10, 20, 200, 40); // (110, 70, 300, 90) on the screen
    EXPECT_TRUE(line.handleEvent(press));
    EXPECT_EQ(dialog.getFocusItem(), &line);

    dialog.setFocusItem(&other);
    press.point = HScreenPoint{50, 75};
    EXPECT_FALSE(line.handleEvent(press));
    EXPECT_EQ(dialog.getFocusItem(), &other);
    dialog.removeAllItems(); // before the local items go
}

TEST_F(MVDialogItemTextLineTest, SetTextKeepsTheLimitAndInvalidatesTheLinesArea)
{
    dialog.addDialogItem(&line);
    line.setTextLineSize(5);
    clearDirt();
    line.setText("abcdefgh");
    EXPECT_STREQ(line.getText(), "abcde");
    EXPECT_EQ(line.getCaret(), 5);
    // Under the whole-dialog value the area is the dialog.
    ASSERT_EQ(MVDialog::sm_dirtyRectManager.getRectangleCount(), 1);
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangle(0)->left, 100);
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangle(0)->right, 400);

    line.m_dialogItemRect = HScreenRect(10, 20, 60, 40);
    clearDirt();
    line.setText(nullptr);
    EXPECT_STREQ(line.getText(), "");
    ASSERT_EQ(MVDialog::sm_dirtyRectManager.getRectangleCount(), 1);
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangle(0)->left, 110);
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangle(0)->bottom, 90);
}

TEST_F(MVDialogItemTextLineTest, TimeStampsInvalidateTheDialogAtMostOnceEvery251Ms)
{
    dialog.addDialogItem(&line);
    line.setTextLineEffects(MVDialogItemTextLine::kEffectBlink);
    MVDialogItemTextLine second;
    second.setEditable(true);
    dialog.addDialogItem(&second);

    auto tick = [&](MVDialogItemTextLine& l, uint64_t ms) {
        clearDirt();
        EXPECT_FALSE(l.handleEvent(InputEvents::s_timestamp(ms)));
        return MVDialog::sm_dirtyRectManager.getRectangleCount();
    };
    EXPECT_EQ(tick(line, 1000), 0); // the first tick only starts the count
    EXPECT_EQ(MVDialogItemTextLine::s_getLastBlinkTick().getTime64(), 1000u);
    EXPECT_EQ(tick(line, 1250), 0);
    EXPECT_EQ(tick(second, 1250), 0);
    EXPECT_EQ(tick(line, 1251), 1);
    // The tick is shared: the other line waits for the next 251 ms.
    EXPECT_EQ(tick(second, 1300), 0);
    EXPECT_EQ(tick(second, 1502), 1);
    // A time before the last tick does nothing.
    EXPECT_EQ(tick(line, 900), 0);
    EXPECT_EQ(MVDialogItemTextLine::s_getLastBlinkTick().getTime64(), 1502u);

    // A line that neither blinks nor edits ignores time stamps.
    MVDialogItemTextLine plain;
    dialog.addDialogItem(&plain);
    EXPECT_EQ(tick(plain, 5000), 0);
    EXPECT_EQ(MVDialogItemTextLine::s_getLastBlinkTick().getTime64(), 1502u);
    dialog.removeAllItems(); // before the local items go
}

TEST_F(MVDialogItemTextLineTest, OutsideADialogItDrawsNothingAndTakesNothing)
{
    line.setEditable(true);
    line.setText("free");
    EXPECT_FALSE(line.handleEvent(typed('a')));
    EXPECT_FALSE(line.handleEvent(InputEvents::s_paste(0)));
    EXPECT_FALSE(line.handleEvent(InputEvents::s_timestamp(5000)));
    EXPECT_STREQ(line.getText(), "free");
    EXPECT_EQ(shown(), "(nothing)");
}

} // namespace
