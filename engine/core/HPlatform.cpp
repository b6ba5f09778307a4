// Operating-system services: the console message box and the trace file.
#include "engine/core/HPlatform.h"

#include "engine/core/HFile.h"

#include <cstdio>
#include <cstring>

HFile* HPlatform::sm_pTraceFile = nullptr;

namespace {
void putDashes(size_t n)
{
    for (size_t i = 0; i < n; ++i)
        std::fputc('-', stdout);
}
} // namespace

int HPlatform::s_messageBox(unsigned /*type*/, const char* title, const char* text)
{
    std::setbuf(stdout, nullptr);
    const size_t n = std::strlen(title);
    std::fputs("\n\n+-", stdout);
    putDashes(n);
    std::fputs("-+\n| ", stdout);
    std::fputs(title, stdout);
    std::fputs(" |\n+-", stdout);
    putDashes(n);
    std::fputs("-+\n", stdout);
    std::fputs(text, stdout);
    std::fputs("\n\n", stdout);
    return 1;
}

void HPlatform::s_setTraceFile(HFile* file)
{
    sm_pTraceFile = file;
}

void HPlatform::s_trace(const char* text)
{
    s_traceToFile(text);
}

void HPlatform::s_traceToFile(const char* text)
{
    if (!sm_pTraceFile)
        return;
    sm_pTraceFile->write(text, static_cast<int>(std::strlen(text)));
    sm_pTraceFile->flush();
}
