// An environment variable set (or, with a null value, removed) for the life
// of the object; the old value, or its absence, comes back afterwards.
#pragma once

#include <cstdlib>
#include <string>

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name), m_old(), m_bHad(false)
    {
        if (const char* old = std::getenv(name)) {
            m_bHad = true;
            m_old = old;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_bHad)
            ::setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }

    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_bHad;
};
