// The one front-end for every message of the engine and the game: message
// boxes and alerts the user sees, trace lines for the trace file, and
// developer diagnostics that stay silent in the shipped build.
//
// Every formatting function formats into a 1024-byte buffer; longer text is
// cut at 1023 characters.
#pragma once

class HErrorManager {
public:
    HErrorManager() = delete;

    // Shows the message through HPlatform::s_messageBox; returns its result (1).
    static int s_messageBox(unsigned type, const char* title, const char* fmt, ...)
        __attribute__((format(printf, 3, 4)));
    // A message box of type 0 titled "Alert"; returns 1.
    static int s_alert(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    // Shows "Verify Failed" the first time in the process and returns 1; every
    // later call returns 0 at once.
    static int s_verifyFailed(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    // Writes the formatted text to the trace file; callers end lines with "\n".
    static void s_trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    // Writes the formatted text, up to 4095 characters, to standard error
    // through HPlatform::s_writeToStream (a termination signal ends a wait
    // for a stream that cannot take it); callers end lines with "\n".
    static void s_tell(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

    // Developer diagnostics: silent, nothing is formatted, unless a
    // diagnostic hook is installed (tests and developer builds install one to
    // see the text). The operation that raised one still reports failure
    // through its result.
    static void s_db_alert(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    static void s_db_trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

    using DiagnosticHook = void (*)(const char* text);
    static void s_setDiagnosticHook(DiagnosticHook hook);

private:
    static bool sm_bVerifyFailed;
    static DiagnosticHook sm_pDiagnosticHook;
};
