// Dialog text lines: editing, the caret, blinking and drawing.
#include "ui/MVDialogItemTextLine.h"

#include "engine/core/HPlatform.h"
#include "engine/core/HUtil.h"
#include "ui/MVDialog.h"

#include <cstring>

H_IMPLEMENT_CLASS(MVDialogItemTextLine, "MVDialogItem")

MvTime MVDialogItemTextLine::sm_lastBlinkTick = {0, 0};
MVDialogItemTextLine::ClockFunction MVDialogItemTextLine::sm_pClock = nullptr;

namespace {

// The rectangle that means "the whole dialog".
const HScreenRect kWholeDialog(-1, -1, -1, -1);

// Blink and caret phases change every this many milliseconds.
constexpr int32_t kBlinkPhaseMs = 500;
// The dialog is invalidated for blinking at most once per this span, plus 1 ms.
constexpr int64_t kBlinkTickMs = 250;

int32_t clampLength(int32_t size)
{
    if (size < 0)
        return 0;
    return size > MVDialogItemTextLine::kMaxTextLength ? MVDialogItemTextLine::kMaxTextLength : size;
}

} // namespace

MVDialogItemTextLine::MVDialogItemTextLine()
    : m_textJustification(TJ_LEFT), m_textColor{1.0f, 1.0f, 1.0f, 1.0f}, m_bEditable(false),
      m_iTextLineSize(kMaxTextLength), m_iTextLineDisplaySize(64), m_szText(), m_iCaret(0), m_pFont(nullptr),
      m_uTextLineEffects(0)
{
    m_dialogItemRect = kWholeDialog;
}

MVDialogItemTextLine::~MVDialogItemTextLine() = default;

void MVDialogItemTextLine::s_setClock(ClockFunction clock)
{
    sm_pClock = clock;
}

bool MVDialogItemTextLine::s_inOddHalfSecond()
{
    const MvTime now = sm_pClock ? sm_pClock() : HPlatform::s_getAbsoluteTimeMilliseconds();
    // The low 32 bits read as a signed count, as the phase always was.
    const int32_t t = static_cast<int32_t>(now.getTime32Truncate());
    return (t / kBlinkPhaseMs) % 2 != 0;
}

bool MVDialogItemTextLine::coversWholeDialog() const
{
    return m_dialogItemRect.left == kWholeDialog.left && m_dialogItemRect.top == kWholeDialog.top &&
           m_dialogItemRect.right == kWholeDialog.right && m_dialogItemRect.bottom == kWholeDialog.bottom;
}

bool MVDialogItemTextLine::acceptsFocus() const
{
    return m_bEditable;
}

HScreenRect MVDialogItemTextLine::getScreenArea() const
{
    if (!m_pParentDialog)
        return m_dialogItemRect;
    const HScreenRect& dialog = m_pParentDialog->getDialogRect();
    if (coversWholeDialog())
        return dialog;
    return HScreenRect(m_dialogItemRect.left + dialog.left, m_dialogItemRect.top + dialog.top,
                       m_dialogItemRect.right + dialog.left, m_dialogItemRect.bottom + dialog.top);
}

void MVDialogItemTextLine::m_invalidateDialog()
{
    if (m_pParentDialog)
        m_pParentDialog->invalidateArea(m_pParentDialog->getDialogRect());
}

void MVDialogItemTextLine::setEditable(bool editable)
{
    m_bEditable = editable;
}

void MVDialogItemTextLine::setFont(H2DFont* font)
{
    m_pFont = font;
}

void MVDialogItemTextLine::setColor(const HColor4f& colour)
{
    m_textColor = colour;
}

void MVDialogItemTextLine::setTextJustification(TextJustification justification)
{
    m_textJustification = justification;
}

void MVDialogItemTextLine::setTextLineSize(int32_t size)
{
    m_iTextLineSize = clampLength(size);
    m_iTextLineDisplaySize = m_iTextLineSize;
}

void MVDialogItemTextLine::setTextLineDisplaySize(int32_t size)
{
    m_iTextLineDisplaySize = clampLength(size);
}

void MVDialogItemTextLine::setTextLineEffects(uint32_t effects)
{
    m_uTextLineEffects = effects;
}

uint32_t MVDialogItemTextLine::getTextLineEffects() const
{
    return m_uTextLineEffects;
}

void MVDialogItemTextLine::setText(const char* text)
{
    HUtil::s_strcpy(m_szText, text ? text : "", m_iTextLineSize + 1);
    m_iCaret = static_cast<int32_t>(std::strlen(m_szText));
    if (m_pParentDialog)
        m_pParentDialog->invalidateArea(getScreenArea());
}

bool MVDialogItemTextLine::handleEvent(const HEvent& e)
{
    if (!m_pParentDialog)
        return false;
    const bool focused = m_pParentDialog->getFocusItem() == this;

    if (e.type == ET_KEYDOWN && m_bEditable) {
        if (e.keyCode == KC_LBUTTON) {
            if (coversWholeDialog() || !getScreenArea().containsPoint(e.point))
                return false;
            m_pParentDialog->setFocusItem(this);
            return true;
        }
        if (!focused)
            return false;
        m_invalidateDialog();
        const unsigned char c = static_cast<unsigned char>(e.character);
        if (c == 8) {
            if (m_iCaret > 0)
                m_szText[--m_iCaret] = '\0';
        } else if (c == 13) {
            return true;
        } else if (c >= 32 && m_iCaret < m_iTextLineSize) {
            m_szText[m_iCaret++] = static_cast<char>(c);
            m_szText[m_iCaret] = '\0';
        }
        return false;
    }

    if (e.type == ET_PASTE && m_bEditable) {
        if (!focused)
            return false;
        // The clipboard text goes through a buffer of its own, so the line
        // keeps its length limit and never copies onto itself.
        char pasted[kTextBytes] = "";
        if (HPlatform::s_getClipboardText(pasted, sizeof(pasted))) {
            pasted[sizeof(pasted) - 1] = '\0';
            const char* start = pasted;
            while (*start == ' ')
                ++start;
            setText(start);
        }
        return true;
    }

    if (e.type == ET_TIMESTAMP && (m_bEditable || (m_uTextLineEffects & kEffectBlink))) {
        if (sm_lastBlinkTick.getTime64() == 0) {
            sm_lastBlinkTick = e.time;
            return false;
        }
        const int64_t since = static_cast<int64_t>(e.time.sub64(sm_lastBlinkTick));
        if (since < 0 || since <= kBlinkTickMs)
            return false;
        m_invalidateDialog();
        sm_lastBlinkTick = e.time;
        return false;
    }

    return false;
}

void MVDialogItemTextLine::drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip)
{
    if (!device || !m_pParentDialog || !m_bEnabled)
        return;
    const HScreenRect& dialog = m_pParentDialog->getDialogRect();
    const int32_t x = m_dialogItemOrigin.x + dialog.left;
    const int32_t y = m_dialogItemOrigin.y + dialog.top;

    int32_t start = m_iCaret - m_iTextLineDisplaySize;
    if (start < 0)
        start = 0;
    char shown[kShownBytes];
    HUtil::s_strcpy(shown, m_szText + start, kShownBytes - 2);

    const bool oddHalfSecond = s_inOddHalfSecond();
    if (m_bEditable && m_pParentDialog->getFocusItem() == this && oddHalfSecond)
        HUtil::s_strcat(shown, "|", sizeof(shown));
    if ((m_uTextLineEffects & kEffectBlink) && oddHalfSecond)
        return;
    device->drawText(shown, x, y, clip, m_textJustification, m_pFont, &m_textColor);
}
