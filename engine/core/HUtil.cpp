// String utilities over fixed character buffers.
#include "engine/core/HUtil.h"

#include "engine/core/HErrorManager.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The reflected CRC-32 table of the IEEE 802.3 polynomial (0xEDB88320),
// built once at compile time.
struct CrcTable {
    uint32_t v[256];
    constexpr CrcTable() : v() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
            v[i] = c;
        }
    }
};
constexpr CrcTable kCrcTable;

bool isDelimiter(char c, const char* delimiters)
{
    return c != '\0' && std::strchr(delimiters, c) != nullptr;
}

int lowerChar(char c)
{
    return std::tolower(static_cast<unsigned char>(c));
}

} // namespace

char* HUtil::s_strupr(char* s)
{
    for (char* p = s; *p; ++p)
        *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    return s;
}

char* HUtil::s_strlwr(char* s)
{
    for (char* p = s; *p; ++p)
        *p = static_cast<char>(lowerChar(*p));
    return s;
}

int HUtil::s_stricmp(const char* a, const char* b)
{
    while (*a && *b) {
        const int ca = lowerChar(*a);
        const int cb = lowerChar(*b);
        if (ca < cb)
            return -1;
        if (ca > cb)
            return 1;
        ++a;
        ++b;
    }
    if (*a)
        return 1;
    return *b ? -1 : 0;
}

char* HUtil::s_cloneString(const char* s)
{
    const size_t n = std::strlen(s) + 1;
    char* copy = new char[n];
    std::memcpy(copy, s, n);
    return copy;
}

bool HUtil::s_isPowerOf2(int n)
{
    return (n & (n - 1)) == 0;
}

bool HUtil::s_isTokenInSemicolonDelimitedList(const char* token, const char* list)
{
    if (!list)
        return false;
    char entry[1024];
    const char* pos = list;
    while ((pos = s_strtok(entry, sizeof(entry), pos, ";")) != nullptr) {
        char* star = std::strchr(entry, '*');
        if (star) {
            *star = '\0';
            if (std::strncmp(entry, token, std::strlen(entry)) == 0)
                return true;
        } else if (std::strcmp(entry, token) == 0) {
            return true;
        }
    }
    return false;
}

const char* HUtil::s_readLineFromBuffer(const char* src, char* line, int len)
{
    while (*src == '\r' || *src == '\n')
        ++src;
    if (*src == '\0') {
        line[0] = '\0';
        return nullptr;
    }
    int n = 0;
    while (*src && *src != '\r' && *src != '\n' && n < len - 1)
        line[n++] = *src++;
    line[n] = '\0';
    if (*src && *src != '\r' && *src != '\n')
        HErrorManager::s_db_alert("s_readLineFromBuffer - buffer override");
    while (*src == '\r' || *src == '\n')
        ++src;
    return src;
}

char* HUtil::s_strcpy(char* dst, const char* src, int len)
{
    int n = 0;
    while (n < len - 1 && src[n]) {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = '\0';
    return dst;
}

char* HUtil::s_strcat(char* dst, const char* src, int len)
{
    int n = 0;
    while (n < len - 1 && dst[n])
        ++n;
    if (n >= len - 1)
        return dst; // already full: left unchanged
    while (n < len - 1 && *src)
        dst[n++] = *src++;
    dst[n] = '\0';
    return dst;
}

char* HUtil::s_sprintf(char* dst, int len, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(dst, static_cast<size_t>(len), format, args);
    va_end(args);
    return dst;
}

const char* HUtil::s_strtok(char* token, int size, const char* src, const char* delimiters)
{
    token[0] = '\0';
    while (isDelimiter(*src, delimiters))
        ++src;
    int n = 0;
    while (*src && !isDelimiter(*src, delimiters)) {
        if (n < size - 1)
            token[n++] = *src;
        ++src;
    }
    token[n] = '\0';
    while (isDelimiter(*src, delimiters))
        ++src;
    return n > 0 ? src : nullptr;
}

uint32_t HUtil::s_hashString(const char* s)
{
    uint32_t hash = 0;
    for (; *s; ++s) {
        char c = *s;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(lowerChar(c));
        hash = hash * 31u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    }
    return hash;
}

uint32_t HUtil::s_hashBuffer(const unsigned char* data, int len)
{
    if (len <= 0)
        return 0;
    uint32_t hash = 0;
    for (int i = 0; i < len; ++i)
        hash = (hash << 8) ^ kCrcTable.v[(data[i] ^ (hash >> 24)) & 0xFFu];
    return hash ^ static_cast<uint32_t>(len);
}

bool HUtil::s_isWhitespace(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

int HUtil::s_getArgs(char* line, char** args, int max)
{
    for (int i = 0; i < max; ++i)
        args[i] = nullptr;
    int count = 0;
    char* p = line;
    while (count < max && *p) {
        while (s_isWhitespace(*p))
            ++p;
        args[count++] = p;
        while (*p && !s_isWhitespace(*p))
            ++p;
        if (*p)
            *p++ = '\0';
    }
    return count;
}
