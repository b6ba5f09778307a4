// The per-user registry file's bytes, built and read back in tests: records
// of key, NUL, 4-byte little-endian length and value, one after another.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

struct RegistryRecord {
    std::string key;
    std::string value;
};

inline std::string u32Bytes(uint32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

inline std::string floatBytes(float f)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof(bits));
    return u32Bytes(bits);
}

inline uint32_t u32Of(const std::string& s)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4 && i < s.size(); ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(s[i])) << (8 * i);
    return v;
}

inline float floatOf(const std::string& s)
{
    const uint32_t bits = u32Of(s);
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof(f));
    return f;
}

// The file's bytes: key, NUL, little-endian length, value; in order.
inline std::string registryBytes(const std::vector<RegistryRecord>& records)
{
    std::string out;
    for (const RegistryRecord& r : records) {
        out += r.key;
        out.push_back('\0');
        out += u32Bytes(static_cast<uint32_t>(r.value.size()));
        out += r.value;
    }
    return out;
}

// The records of a registry file, in file order; a damaged tail is left out.
inline std::vector<RegistryRecord> registryRecords(const std::string& bytes)
{
    std::vector<RegistryRecord> out;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\0', at);
        if (end == std::string::npos || end + 5 > bytes.size())
            break;
        const std::string key = bytes.substr(at, end - at);
        const uint32_t n = u32Of(bytes.substr(end + 1, 4));
        if (end + 5 + n > bytes.size())
            break;
        out.push_back({key, bytes.substr(end + 5, n)});
        at = end + 5 + n;
    }
    return out;
}

// The value of a key, and whether the file holds it.
inline bool registryValue(const std::string& bytes, const std::string& key, std::string* value)
{
    for (const RegistryRecord& r : registryRecords(bytes)) {
        if (r.key == key) {
            *value = r.value;
            return true;
        }
    }
    return false;
}

// The records of a registry file by key.
inline std::map<std::string, std::string> registryByKey(const std::string& bytes)
{
    std::map<std::string, std::string> out;
    for (const RegistryRecord& r : registryRecords(bytes))
        out[r.key] = r.value;
    return out;
}
