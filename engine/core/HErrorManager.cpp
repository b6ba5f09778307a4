// Message boxes, alerts, traces and developer diagnostics.
#include "engine/core/HErrorManager.h"

#include "engine/core/HPlatform.h"

#include <cstdarg>
#include <cstdio>

#include <unistd.h>

namespace {
constexpr int kMessageSize = 1024;
// A line told on standard error may name a few paths of up to 1023
// characters each.
constexpr int kToldSize = 4096;
}

bool HErrorManager::sm_bVerifyFailed = false;
HErrorManager::DiagnosticHook HErrorManager::sm_pDiagnosticHook = nullptr;

int HErrorManager::s_messageBox(unsigned type, const char* title, const char* fmt, ...)
{
    char text[kMessageSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    return HPlatform::s_messageBox(type, title, text);
}

int HErrorManager::s_alert(const char* fmt, ...)
{
    char text[kMessageSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    HPlatform::s_messageBox(0, "Alert", text);
    return 1;
}

int HErrorManager::s_verifyFailed(const char* fmt, ...)
{
    if (sm_bVerifyFailed)
        return 0;
    sm_bVerifyFailed = true;
    char text[kMessageSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    HPlatform::s_messageBox(0, "Verify Failed", text);
    return 1;
}

void HErrorManager::s_trace(const char* fmt, ...)
{
    char text[kMessageSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    HPlatform::s_trace(text);
}

void HErrorManager::s_tell(const char* fmt, ...)
{
    char text[kToldSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    HPlatform::s_writeToStream(STDERR_FILENO, text);
}

void HErrorManager::s_db_alert(const char* fmt, ...)
{
    if (!sm_pDiagnosticHook)
        return;
    char text[kMessageSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    sm_pDiagnosticHook(text);
}

void HErrorManager::s_db_trace(const char* fmt, ...)
{
    if (!sm_pDiagnosticHook)
        return;
    char text[kMessageSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    sm_pDiagnosticHook(text);
}

void HErrorManager::s_setDiagnosticHook(DiagnosticHook hook)
{
    sm_pDiagnosticHook = hook;
}
