// The name-entry line: printable ASCII only.
#include "game/QVNameTextLine.h"

#include <cstring>

QVNameTextLine::QVNameTextLine() : MVDialogItemTextLine() {}

QVNameTextLine::~QVNameTextLine() = default;

void QVNameTextLine::s_keepPrintable(char* text)
{
    if (!text)
        return;
    char* out = text;
    for (const char* in = text; *in; ++in) {
        const unsigned char c = static_cast<unsigned char>(*in);
        if (c >= 32 && c <= 126)
            *out++ = *in;
    }
    *out = '\0';
}

bool QVNameTextLine::handleEvent(const HEvent& e)
{
    const bool taken = MVDialogItemTextLine::handleEvent(e);
    s_keepPrintable(m_szText);
    // The caret always stands at the text's end.
    m_iCaret = static_cast<int32_t>(std::strlen(m_szText));
    return taken;
}
