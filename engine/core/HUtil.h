// String utilities over fixed character buffers: bounded copy, append and
// formatting, case handling, tokenising, line reading and two hashes.
//
// A `len` or `size` argument is the destination's size in bytes, terminator
// included: at most size - 1 characters are stored and the result is always
// terminated. Callers pass at least 1.
#pragma once

#include <cstdint>

class HUtil {
public:
    HUtil() = delete;

    static char* s_strupr(char* s);
    static char* s_strlwr(char* s);
    // -1, 0 or 1; a proper prefix sorts before the longer string.
    static int s_stricmp(const char* a, const char* b);
    // Allocated with new[]; the caller releases it with delete[].
    static char* s_cloneString(const char* s);
    // 0 counts as a power of two.
    static bool s_isPowerOf2(int n);
    // Entries are separated by ';'. An entry holding '*' is a case-sensitive
    // prefix match on the part before the first '*'; any other entry must
    // equal the token exactly.
    static bool s_isTokenInSemicolonDelimitedList(const char* token, const char* list);
    // Copies the next non-empty line into `line`; returns where reading goes
    // on, or null (with an empty line) at the end of the text.
    static const char* s_readLineFromBuffer(const char* src, char* line, int len);
    static char* s_strcpy(char* dst, const char* src, int len);
    static char* s_strcat(char* dst, const char* src, int len);
    static char* s_sprintf(char* dst, int len, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // Takes the next token of `src` into `token`. A run of delimiters is one
    // separator. Returns the position after the token and its delimiters, or
    // null when no token was left. A token longer than size - 1 characters is
    // stored cut, and the rest of it is skipped.
    static const char* s_strtok(char* token, int size, const char* src, const char* delimiters);
    // Case-folding multiplicative hash (x31); "Abc" and "abc" hash to 96354.
    static uint32_t s_hashString(const char* s);
    // Left-shifting register driven by the CRC-32 table, XORed with len at the end.
    static uint32_t s_hashBuffer(const unsigned char* data, int len);
    // Tab, line feed, carriage return and blank only.
    static bool s_isWhitespace(char c);
    // Splits `line` in place into at most `max` whitespace-separated
    // arguments; unused entries of `args` are null.
    static int s_getArgs(char* line, char** args, int max);
};
