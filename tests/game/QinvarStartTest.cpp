// The game starts in the test's process with the build's archive and quits
// from its start screen.
#include "tests/support/InputEvents.h"
#include "tests/support/QinvarSession.h"

#include <gtest/gtest.h>

TEST(QinvarSession, StartsOnTheStartScreenAndQuits)
{
    QinvarSession session;
    ASSERT_TRUE(session.start());
    EXPECT_EQ(session.game().getState(), GS_START);
    EXPECT_NE(session.game().getGameFont(), nullptr);
    session.script().batch({InputEvents::s_timestamp(1500)});
    session.run(); // returns: the quit at the script's end ends the main loop
    EXPECT_TRUE(session.script().done());
}
