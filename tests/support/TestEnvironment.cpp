// The test programs' own environment, set up by a static object.
#include "tests/support/TestEnvironment.h"

#include <cstdlib>

TestEnvironment::TestEnvironment()
{
    // A value the caller chose (another driver to try) is kept.
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
}

namespace {

// Runs before main, and so before any test starts SDL.
const TestEnvironment g_testEnvironment;

} // namespace
