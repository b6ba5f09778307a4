// The environment every test program starts in, whoever starts it: SDL's
// dummy video and audio drivers, so no window opens and no sound plays
// whether the suite runs under CTest or straight from build/bin. One object
// of this class, in TestEnvironment.cpp, sets it up before main; each suite
// takes the whole support library so that object is always linked.
#pragma once

class TestEnvironment {
public:
    // Sets each variable that the caller has not set already.
    TestEnvironment();

    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;
};
