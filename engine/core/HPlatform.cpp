// Operating-system services: the console message box, the trace file, the
// user name, the web browser, sleeping and the millisecond clock.
#include "engine/core/HPlatform.h"

#include "engine/core/HFile.h"
#include "engine/core/HUtil.h"

#include <SDL.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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

char* HPlatform::s_getUserName(char* buf, int len)
{
    const struct passwd* pw = ::getpwuid(::getuid());
    if (!pw || !pw->pw_name)
        return nullptr;
    HUtil::s_strcpy(buf, pw->pw_name, len);
    buf[len - 1] = '\0';
    return buf;
}

int HPlatform::s_getClipboardText(char* /*buf*/, int /*len*/)
{
    return 0;
}

void HPlatform::s_sleep(int ms)
{
    SDL_Delay(static_cast<Uint32>(ms < 0 ? 0 : ms));
}

MvTime HPlatform::s_getAbsoluteTimeMilliseconds()
{
    // SDL's clock starts with SDL_Init; the framework initialises SDL early,
    // but a caller before that still gets a clock that starts now. SDL's
    // parachute would take the fatal signals the engine's handler owns.
    static bool s_bStarted = false;
    if (!s_bStarted) {
        SDL_Init(SDL_INIT_NOPARACHUTE);
        s_bStarted = true;
    }
    return MvTime{SDL_GetTicks(), 0};
}

namespace {

struct Browser {
    int console; // 1: runs in the terminal, for sessions without a display
    const char* program;
    const char* format; // receives the address twice
};

const Browser kBrowsers[] = {
    {0, "mozilla", "mozilla %s &"},
    {0, "phoenix", "phoenix %s &"},
    {0, "gnome-moz-remote", "gnome-moz-remote --newwin %s"},
    {0, "galeon", "galeon %s &"},
    {0, "netscape", "netscape -remote 'openURL(%s,new-window)' || netscape %s"},
    {0, "konqueror", "konqueror %s &"},
    {0, "opera", "opera -page='%s' &"},
    {0, "NetPositive", "NetPositive %s"},
    {0, "links", "xterm -T \"Web Browser\" -e links %s &"},
    {0, "lynx", "xterm -T \"Web Browser\" -e lynx %s &"},
    {1, "links", "links %s"},
    {1, "lynx", "lynx %s"},
};

// Whether some entry of PATH holds an executable regular file of that name.
bool isOnSearchPath(const char* program)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    char entries[4096];
    HUtil::s_strcpy(entries, path, sizeof(entries));
    char entry[4096];
    const char* pos = entries;
    while ((pos = HUtil::s_strtok(entry, sizeof(entry), pos, ":")) != nullptr) {
        char candidate[4096] = "";
        const char* rest = entry;
        if (entry[0] == '~') {
            const char* home = std::getenv("HOME");
            HUtil::s_strcpy(candidate, home ? home : ".", sizeof(candidate));
            ++rest;
        }
        if (std::strlen(rest) >= 2) {
            HUtil::s_strcat(candidate, rest, sizeof(candidate));
            HUtil::s_strcat(candidate, "/", sizeof(candidate));
        }
        HUtil::s_strcat(candidate, "./", sizeof(candidate));
        HUtil::s_strcat(candidate, program, sizeof(candidate));
        struct stat st;
        if (::access(candidate, X_OK) == 0 && ::stat(candidate, &st) == 0 && S_ISREG(st.st_mode))
            return true;
    }
    return false;
}

bool needsEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::strchr("'\"`$&;|<>()\\ ", c) != nullptr;
}

} // namespace

char* HPlatform::s_escapeURLForShell(const char* url, char* dst, int len)
{
    static const char kHex[] = "0123456789ABCDEF";
    int n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(url); *p; ++p) {
        if (needsEscape(*p)) {
            if (n + 3 > len - 1)
                break;
            dst[n++] = '%';
            dst[n++] = kHex[*p >> 4];
            dst[n++] = kHex[*p & 0x0F];
        } else {
            if (n + 1 > len - 1)
                break;
            dst[n++] = static_cast<char>(*p);
        }
    }
    dst[n] = '\0';
    return dst;
}

void HPlatform::s_openURL(const char* url)
{
    SDL_Quit();

    char safe[4096];
    s_escapeURLForShell(url, safe, sizeof(safe));

    const int console = std::getenv("DISPLAY") ? 0 : 1;
    const Browser* chosen = nullptr;
    for (const Browser& b : kBrowsers) {
        if (b.console == console && isOnSearchPath(b.program)) {
            chosen = &b;
            break;
        }
    }
    int rc = -1;
    if (chosen) {
        static char command[16384];
        std::snprintf(command, sizeof(command), chosen->format, safe, safe);
        rc = std::system(command);
    }
    if (!chosen || rc == -1)
        std::fprintf(stderr, "You should be looking at [%s],\n but we can't launch a browser.\n", url);
    ::_exit(0);
}
