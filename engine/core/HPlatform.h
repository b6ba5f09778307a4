// Operating-system services used while the program runs: the console message
// box, the trace file, and (see HPlatform.cpp) the user name, the web browser,
// the clipboard, sleeping and the millisecond clock.
#pragma once

class HFile;

class HPlatform {
public:
    HPlatform() = delete;

    // Prints the title framed in a box, then the text, on standard output
    // (made unbuffered first); returns 1. The style word changes nothing.
    static int s_messageBox(unsigned type, const char* title, const char* text);

    // The trace file is opened and closed by the framework; null switches
    // tracing off. Not owned.
    static void s_setTraceFile(HFile* file);
    static void s_trace(const char* text);
    // Writes the text and flushes, so each line is on disk at once.
    static void s_traceToFile(const char* text);

private:
    static HFile* sm_pTraceFile;
};
