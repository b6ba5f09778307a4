// The suites bring their own SDL drivers: started straight from build/bin,
// with neither variable set, SDL opens the dummy video and audio drivers.
#include "tests/support/ChildProcess.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(TestEnvironment, SDLOpensTheDummyDrivers)
{
    // Another driver that the caller chose on purpose is kept, and is theirs.
    for (const char* name : {"SDL_VIDEODRIVER", "SDL_AUDIODRIVER"}) {
        const char* value = std::getenv(name);
        ASSERT_NE(value, nullptr) << name << " is set before main";
        if (std::strcmp(value, "dummy") != 0)
            GTEST_SKIP() << name << "=" << value << " was chosen by the caller";
    }
    const ChildResult r = runInChild([] {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_NOPARACHUTE) != 0)
            _exit(2);
        char video[32] = "";
        char audio[32] = "";
        SDL_VideoDriverName(video, sizeof(video));
        SDL_AudioDriverName(audio, sizeof(audio));
        std::printf("%s %s", video, audio);
        SDL_Quit();
    });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "dummy dummy");
}

} // namespace
