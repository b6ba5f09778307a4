// Runs a piece of a test in a forked child process with its standard output
// and error captured, for code that ends the process (usage texts, fatal
// signals, the web browser) or changes process-wide state.
#pragma once

#include <functional>
#include <string>

struct ChildResult {
    bool exited = false;  // ended through exit/_exit (else killed by a signal or timed out)
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
    std::string out;
    std::string err;
};

// The body runs in the child; if it returns, the child exits with code 0.
// The child is killed after timeoutSeconds.
ChildResult runInChild(const std::function<void()>& body, int timeoutSeconds = 20);
