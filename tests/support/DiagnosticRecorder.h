// Collects the developer diagnostics raised while it is alive, so tests can
// check that an operation reported what it should.
#pragma once

#include <string>
#include <vector>

class DiagnosticRecorder {
public:
    DiagnosticRecorder();
    ~DiagnosticRecorder();

    DiagnosticRecorder(const DiagnosticRecorder&) = delete;
    DiagnosticRecorder& operator=(const DiagnosticRecorder&) = delete;

    const std::vector<std::string>& messages() const;
    // How many recorded messages contain `text`.
    int count(const std::string& text) const;
    void clear();
};
