// A line of bitmap text in a dialog. It may be editable (typed characters
// are appended up to a maximum length, backspace removes the last one, a
// caret blinks after the text while the line holds the focus) and it may
// blink as a whole. Only the last `display size` characters are shown.
//
// The origin and the rectangle are relative to the dialog's top-left corner.
// The rectangle starts as (-1, -1, -1, -1), the whole-dialog value: the line
// then covers the whole dialog when it is redrawn and has no click area of
// its own, so a click never moves the focus to it. An owner that wants the
// line to be clicked writes its own rectangle into m_dialogItemRect.
//
// Blinking and the caret follow one millisecond clock, replaceable for tests.
// All lines share one last blink tick, so the dialog is invalidated for the
// blink at most once every 251 ms however many lines blink.
#pragma once

#include "engine/core/MvTime.h"
#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/HColor4f.h"
#include "ui/MVDialogItem.h"

struct H2DFont;

class MVDialogItemTextLine : public MVDialogItem {
    H_DECLARE_CLASS(MVDialogItemTextLine)
public:
    // Bytes of the text, the terminator included.
    static constexpr int kTextBytes = 1024;
    // The longest text the buffer holds.
    static constexpr int32_t kMaxTextLength = kTextBytes - 1;
    // The shown part is copied into this many bytes; at most
    // kShownBytes - 3 characters are shown, leaving room for the caret.
    static constexpr int kShownBytes = 256;
    // Bit of the effects word: blink the whole text.
    static constexpr uint32_t kEffectBlink = 1;

    // Left-justified, white, not editable, maximum length 1023, display size
    // 64, empty, no font, no effects, the whole-dialog rectangle.
    MVDialogItemTextLine();
    ~MVDialogItemTextLine() override;

    // The editable flag.
    bool acceptsFocus() const override;
    void drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip) override;
    bool handleEvent(const HEvent& e) override;
    // The dialog rectangle under the whole-dialog value, otherwise the
    // rectangle moved by the dialog's top-left corner.
    HScreenRect getScreenArea() const override;

    virtual void setEditable(bool editable);
    // The font is not owned.
    virtual void setFont(H2DFont* font);
    virtual void setColor(const HColor4f& colour);
    virtual void setTextJustification(TextJustification justification);
    // Sets the maximum length and the display size, each held to 0..1023.
    virtual void setTextLineSize(int32_t size);
    // Held to 0..1023.
    virtual void setTextLineDisplaySize(int32_t size);
    virtual void setTextLineEffects(uint32_t effects);
    virtual uint32_t getTextLineEffects() const;

    // Keeps at most the maximum length of characters; the caret goes to the
    // end; the line's area is invalidated when it is in a dialog.
    void setText(const char* text);
    const char* getText() const { return m_szText; }
    int32_t getCaret() const { return m_iCaret; }
    int32_t getTextLineSize() const { return m_iTextLineSize; }
    int32_t getTextLineDisplaySize() const { return m_iTextLineDisplaySize; }
    // Whether the rectangle still holds the whole-dialog value.
    bool coversWholeDialog() const;

    // The clock of the caret and the blink; null restores the platform's
    // millisecond clock.
    using ClockFunction = MvTime (*)();
    static void s_setClock(ClockFunction clock);
    // The blink tick shared by all lines (0: none yet).
    static MvTime s_getLastBlinkTick() { return sm_lastBlinkTick; }
    static void s_setLastBlinkTick(const MvTime& tick) { sm_lastBlinkTick = tick; }

protected:
    // Whether the blink phase of the clock is the odd, hidden half-second.
    static bool s_inOddHalfSecond();
    // The whole dialog rectangle, when there is a dialog.
    void m_invalidateDialog();

    TextJustification m_textJustification;
    HColor4f m_textColor;
    bool m_bEditable;
    int32_t m_iTextLineSize;        // maximum length, 0..1023
    int32_t m_iTextLineDisplaySize; // the last this many characters are shown, 0..1023
    char m_szText[kTextBytes];
    int32_t m_iCaret; // always the text's length
    H2DFont* m_pFont; // not owned
    uint32_t m_uTextLineEffects;

    static MvTime sm_lastBlinkTick;
    static ClockFunction sm_pClock;
};
