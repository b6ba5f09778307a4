// Operating-system services used while the program runs: the console message
// box, the trace file, reading a regular file, the user name, the web
// browser, the clipboard, sleeping and the millisecond clock.
#pragma once

#include "engine/core/MvTime.h"

#include <cstdint>
#include <cstdio>

class HFile;

class HPlatform {
public:
    HPlatform() = delete;

    // Prints the title framed in a box, then the text, on standard output
    // (made unbuffered first) through s_writeToStream; returns 1. The style
    // word changes nothing.
    static int s_messageBox(unsigned type, const char* title, const char* text);
    // Writes `text` whole to the standard stream `fd` (1 or 2, never
    // buffered here). A stream that cannot take it now (a stopped terminal,
    // a pipe nobody reads) is waited for, but a termination signal ends the
    // wait: the rest of the text is given up at once, so that the game can
    // end. False when the text was not all written (given up, or the
    // stream failed: a broken pipe, a full disk).
    static bool s_writeToStream(int fd, const char* text);

    // The trace file is opened and closed by the framework; null switches
    // tracing off. Not owned.
    static void s_setTraceFile(HFile* file);
    static void s_trace(const char* text);
    // Writes the text and flushes, so each line is on disk at once.
    static void s_traceToFile(const char* text);

    // A regular file opened for reading, as a stdio stream the caller
    // closes; null, with errno set, for anything else: EISDIR for a
    // directory, EINVAL for a FIFO, a socket or a device. A FIFO would block
    // the open itself (until a writer comes, deaf to signals) and a device
    // may never end, so the open does not wait and the file's kind is taken
    // from the opened descriptor. With `size`, the file's size in bytes
    // then goes there, from the same look at the descriptor.
    static std::FILE* s_openRegularFile(const char* path, int64_t* size = nullptr);
    // The same as a descriptor, for `name` in the open folder `folder`
    // (AT_FDCWD: relative to the working directory), with `flags` added to
    // the open's (O_NOFOLLOW: never through a link); -1 with errno set.
    static int s_openRegularFileAt(int folder, const char* name, int flags, int64_t* size = nullptr);

    // The login name of the process's real user; null when there is none.
    static char* s_getUserName(char* buf, int len);
    // Shuts the media library down, starts the first browser of a fixed list
    // found on the search path with the address, and ends the process with
    // `exitCode`, without the exit functions. The browser is started without a shell, the address one
    // argument of its own; only an address that begins with http:// or
    // https:// and goes on is opened (anything else is refused with the
    // message that no browser could be launched). With a display the
    // desktop's launcher or a graphical browser is started detached (its own
    // session, its standard streams on /dev/null, never waited for) and the
    // process ends at once; without one a text browser runs in the terminal
    // and is waited for, and a termination signal ends that wait, and the
    // browser, at once.
    [[noreturn]] static void s_openURL(const char* url, int exitCode = 0);
    // There is no clipboard here: returns 0 and leaves buf untouched.
    static int s_getClipboardText(char* buf, int len);
    static void s_sleep(int ms);
    // The event clock, in milliseconds: the wall clock's count since 1970
    // when the clock started, plus the monotonic time since. So every run
    // starts at another value (the first event's time seeds the deal), and
    // within a run it never goes backwards, whatever is done to the wall
    // clock meanwhile. The first reading starts it.
    static MvTime s_getAbsoluteTimeMilliseconds();
    // Starts the clock now: its next reading is the wall clock's. A run
    // starts it once (its first reading does); a test starts it again to
    // see what a new run sees.
    static void s_startClock();

private:
    static HFile* sm_pTraceFile;
};
