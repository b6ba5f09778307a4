// Records developer diagnostics through the error manager's hook.
#include "tests/support/DiagnosticRecorder.h"

#include "engine/core/HErrorManager.h"

namespace {
std::vector<std::string>& recorded()
{
    static std::vector<std::string> messages;
    return messages;
}

void record(const char* text)
{
    recorded().emplace_back(text);
}
} // namespace

DiagnosticRecorder::DiagnosticRecorder()
{
    recorded().clear();
    HErrorManager::s_setDiagnosticHook(record);
}

DiagnosticRecorder::~DiagnosticRecorder()
{
    HErrorManager::s_setDiagnosticHook(nullptr);
    recorded().clear();
}

const std::vector<std::string>& DiagnosticRecorder::messages() const
{
    return recorded();
}

int DiagnosticRecorder::count(const std::string& text) const
{
    int n = 0;
    for (const std::string& m : recorded()) {
        if (m.find(text) != std::string::npos)
            ++n;
    }
    return n;
}

void DiagnosticRecorder::clear()
{
    recorded().clear();
}
