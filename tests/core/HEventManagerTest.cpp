// The event queue: stamping, duplicate filters, the ring, sources, the
// journal and demo playback.
#include "engine/core/HEventManager.h"
#include "engine/core/HEventSource.h"
#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

uint64_t g_nowMs = 0;
int g_sleeps = 0;

MvTime testClock()
{
    return MvTime::s_fromTime64(g_nowMs);
}

void testSleep(int ms)
{
    g_sleeps += 1;
    g_nowMs += static_cast<uint64_t>(ms);
}

class HEventManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_nowMs = 1000;
        g_sleeps = 0;
        HEventManager::s_resetSharedState();
        HEventManager::s_setClock(testClock, testSleep);
    }
    void TearDown() override { HEventManager::s_setClock(nullptr, nullptr); }
};

HEvent click(HEventType type, int32_t x, int32_t y)
{
    HEvent e = HEvent::s_make(type);
    e.keyCode = KC_LBUTTON;
    e.point = HScreenPoint{x, y};
    return e;
}

HEvent mouseMove(int32_t x, int32_t y)
{
    HEvent e = HEvent::s_make(ET_MOUSEMOVE);
    e.point = HScreenPoint{x, y};
    return e;
}

// Takes every pending event, stopping at the first false.
std::vector<HEvent> drain(HEventManager& m)
{
    std::vector<HEvent> out;
    HEvent e;
    while (m.getEvent(&e, false))
        out.push_back(e);
    return out;
}

TEST_F(HEventManagerTest, RingHolds127Events)
{
    HEventManager m;
    for (int i = 0; i < 127; ++i) {
        HEvent e = HEvent::s_make(ET_KEYDOWN);
        e.keyCode = static_cast<uint32_t>(i);
        ASSERT_TRUE(m.appendEvent(e)) << i;
    }
    EXPECT_FALSE(m.appendEvent(HEvent::s_make(ET_QUIT)));
    const std::vector<HEvent> got = drain(m);
    ASSERT_EQ(got.size(), 127u);
    for (int i = 0; i < 127; ++i)
        EXPECT_EQ(got[static_cast<size_t>(i)].keyCode, static_cast<uint32_t>(i));
    EXPECT_TRUE(m.appendEvent(HEvent::s_make(ET_QUIT))) << "room again once fetched";
}

TEST_F(HEventManagerTest, EventsAreStampedWhenQueued)
{
    HEventManager m;
    HEvent e = HEvent::s_make(ET_KEYDOWN);
    e.time = MvTime{77, 77};
    m.appendEvent(e);
    g_nowMs = 5000;
    HEvent out;
    ASSERT_TRUE(m.getEvent(&out, false));
    EXPECT_EQ(out.time.getTime64(), 1000u);
}

TEST_F(HEventManagerTest, DuplicateMouseMovesAreDropped)
{
    HEventManager m;
    EXPECT_TRUE(m.appendEvent(mouseMove(0, 0)));
    EXPECT_TRUE(m.appendEvent(mouseMove(5, 5)));
    EXPECT_TRUE(m.appendEvent(HEvent::s_make(ET_PAINT)));
    EXPECT_TRUE(m.appendEvent(mouseMove(5, 5)));
    EXPECT_TRUE(m.appendEvent(mouseMove(6, 5)));
    const std::vector<HEvent> got = drain(m);
    ASSERT_EQ(got.size(), 3u) << "the first move to (0,0) and the repeat at (5,5) are dropped";
    EXPECT_EQ(got[0].type, ET_MOUSEMOVE);
    EXPECT_EQ(got[1].type, ET_PAINT);
    EXPECT_EQ(got[2].point.x, 6);
}

TEST_F(HEventManagerTest, IdleFetchQueuesOneTimeStampPerMillisecond)
{
    HEventManager m;
    HEvent out;
    // No time has passed since the last delivery (0 < 1000 though): no sleep.
    EXPECT_FALSE(m.getEvent(&out, false));
    EXPECT_EQ(g_sleeps, 0);
    ASSERT_TRUE(m.getEvent(&out, false));
    EXPECT_EQ(out.type, ET_TIMESTAMP);
    EXPECT_EQ(out.time.getTime64(), 1000u);

    // Same millisecond again: the ring is empty, no time passed since the
    // delivered stamp, so the manager sleeps (our clock moves on 1 ms).
    EXPECT_FALSE(m.getEvent(&out, false));
    EXPECT_EQ(g_sleeps, 1);
    ASSERT_TRUE(m.getEvent(&out, false));
    EXPECT_EQ(out.time.getTime64(), 1001u);

    // Two stamps in one millisecond collapse into one.
    HEventManager n;
    g_nowMs = 2000;
    n.appendEvent(HEvent::s_make(ET_TIMESTAMP));
    n.appendEvent(HEvent::s_make(ET_TIMESTAMP));
    EXPECT_EQ(drain(n).size(), 1u);
}

TEST_F(HEventManagerTest, WaitAlwaysYields)
{
    HEventManager m;
    g_nowMs = 3000;
    HEvent out;
    EXPECT_FALSE(m.getEvent(&out, true));
    EXPECT_EQ(g_sleeps, 1);
    EXPECT_TRUE(m.peekEvent(&out));
    EXPECT_EQ(out.type, ET_TIMESTAMP);
    EXPECT_EQ(out.time.getTime64(), 3001u);
}

TEST_F(HEventManagerTest, PeekOnEmptyGivesNone)
{
    HEventManager m;
    HEvent out = HEvent::s_make(ET_QUIT);
    EXPECT_FALSE(m.peekEvent(&out));
    EXPECT_EQ(out.type, ET_NONE);
}

TEST_F(HEventManagerTest, MousePointFollowsMovesAndLeftButton)
{
    HEventManager m;
    m.appendEvent(mouseMove(10, 20));
    m.appendEvent(click(ET_KEYDOWN, 30, 40));
    HEvent right = click(ET_KEYDOWN, 99, 99);
    right.keyCode = KC_RBUTTON;
    m.appendEvent(right);
    HEvent e;
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(m.getMousePoint().x, 10);
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(m.getMousePoint().y, 40);
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(m.getMousePoint().x, 30) << "the right button does not move the point";
}

class ScriptedSource : public HEventSource {
public:
    explicit ScriptedSource(uint32_t code) : m_code(code) {}
    void queryEventSource(HEventManager* manager) override
    {
        ++polls;
        if (pending > 0) {
            --pending;
            HEvent e = HEvent::s_make(ET_KEYDOWN);
            e.keyCode = m_code;
            manager->appendEvent(e);
        }
    }
    int polls = 0;
    int pending = 0;

private:
    uint32_t m_code;
};

TEST_F(HEventManagerTest, SourcesArePolledInOrderAndCanBeRemoved)
{
    HEventManager m;
    ScriptedSource a(KC_A), b(KC_B);
    a.pending = 1;
    b.pending = 1;
    m.registerEventSource(&a);
    m.registerEventSource(&b);
    std::vector<HEvent> got = drain(m);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].keyCode, static_cast<uint32_t>(KC_A));
    EXPECT_EQ(got[1].keyCode, static_cast<uint32_t>(KC_B));

    m.unregisterEventSource(&a);
    a.pending = 1;
    const int pollsBefore = a.polls;
    drain(m);
    drain(m);
    EXPECT_EQ(a.polls, pollsBefore) << "an unregistered source is never polled";
    EXPECT_GT(b.polls, 1);
}

TEST_F(HEventManagerTest, RegistrationsAreCounted)
{
    HEventManager m;
    ScriptedSource a(KC_A), b(KC_B);
    EXPECT_EQ(m.countEventSource(&a), 0);
    m.registerEventSource(&a);
    m.registerEventSource(&b);
    m.registerEventSource(&a);
    EXPECT_EQ(m.countEventSource(&a), 2);
    EXPECT_EQ(m.countEventSource(&b), 1);
    const int pollsBefore = a.polls;
    drain(m);
    EXPECT_EQ(a.polls - pollsBefore, 2) << "polled once per registration on the empty queue";
    m.unregisterEventSource(&a);
    EXPECT_EQ(m.countEventSource(&a), 0);
    EXPECT_EQ(m.countEventSource(&b), 1);
}

class JournalTest : public HEventManagerTest {
protected:
    void SetUp() override
    {
        HEventManagerTest::SetUp();
        fs.initFileSystem(dir.path().c_str());
    }
    TempDir dir;
    HStandardFileSystem fs;
};

TEST_F(JournalTest, AJournalPlaysBackAsTheSameEventsThenLiveInput)
{
    std::vector<HEvent> recorded;
    {
        HEventManager m;
        HFile* journal = fs.openFileForWrite("journal.bin");
        ASSERT_NE(journal, nullptr);
        m.beginJournal(journal);
        for (int i = 0; i < 3; ++i) {
            g_nowMs += 250;
            m.appendEvent(click(ET_KEYDOWN, 100 + i, 200));
            g_nowMs += 40;
            m.appendEvent(click(ET_KEYUP, 100 + i, 200));
        }
        recorded = drain(m); // also queues the idle time stamp, which is journaled
        m.endJournal();
        journal->close();
    }
    ASSERT_EQ(recorded.size(), 6u);
    EXPECT_EQ(readFileBytes(dir.file("journal.bin")).size(), 7u * sizeof(HEvent));

    HEventManager m;
    HFile* demo = fs.openFileForRead("journal.bin");
    ASSERT_NE(demo, nullptr);
    m.beginDemo(demo);
    g_nowMs = 999999; // playback keeps the recorded times
    HEvent e;
    for (const HEvent& want : recorded) {
        ASSERT_TRUE(m.getEvent(&e, false));
        EXPECT_EQ(std::memcmp(&e, &want, sizeof(HEvent)), 0);
    }
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(e.type, ET_TIMESTAMP) << "the recorded idle stamp";
    EXPECT_TRUE(m.isPlayingDemo());

    // The end of the demo hands back to live input.
    EXPECT_FALSE(m.getEvent(&e, false)) << "the demo is over; nothing live is pending yet";
    EXPECT_FALSE(m.isPlayingDemo());
    m.appendEvent(HEvent::s_make(ET_QUIT));
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(e.type, ET_TIMESTAMP) << "the idle stamp queued when the demo ended";
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(e.type, ET_QUIT);
    demo->close();
}

TEST_F(JournalTest, AReplayDeliversWhatTheProgramQueuedOnceAndFollowsThePointer)
{
    // Recording: a click, then the program itself queues a full-screen
    // request and a mouse move (as the options dialog and a closing dialog do).
    {
        HEventManager m;
        HFile* journal = fs.openFileForWrite("journal.bin");
        ASSERT_NE(journal, nullptr);
        m.beginJournal(journal);
        g_nowMs += 100;
        m.appendEvent(click(ET_KEYDOWN, 30, 40));
        HEvent e;
        ASSERT_TRUE(m.getEvent(&e, false));
        g_nowMs += 10;
        m.appendEvent(HEvent::s_make(ET_TOGGLE_FULLSCREEN));
        HEvent move = HEvent::s_make(ET_MOUSEMOVE);
        move.point = HScreenPoint{31, 41};
        m.appendEvent(move);
        drain(m);
        m.endJournal();
        journal->close();
    }

    // Replay: the program queues the same two events again while the demo
    // plays; each must reach it once, from the demo.
    HEventManager m;
    HFile* demo = fs.openFileForRead("journal.bin");
    ASSERT_NE(demo, nullptr);
    m.beginDemo(demo);
    HEvent e;
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(e.type, ET_KEYDOWN);
    EXPECT_EQ(m.getMousePoint().x, 30) << "the pointer follows the demo's press";
    EXPECT_EQ(m.getMousePoint().y, 40);
    EXPECT_TRUE(m.appendEvent(HEvent::s_make(ET_TOGGLE_FULLSCREEN)));
    int toggles = 0;
    bool sawMove = false;
    while (m.getEvent(&e, false)) {
        toggles += e.type == ET_TOGGLE_FULLSCREEN;
        if (e.type == ET_MOUSEMOVE) {
            sawMove = true;
            EXPECT_EQ(m.getMousePoint().x, 31);
            EXPECT_EQ(m.getMousePoint().y, 41);
        }
    }
    EXPECT_FALSE(m.isPlayingDemo());
    for (int i = 0; i < 3; ++i) {
        if (m.getEvent(&e, false))
            toggles += e.type == ET_TOGGLE_FULLSCREEN;
    }
    EXPECT_EQ(toggles, 1) << "the recorded request only, never the one queued again during the replay";
    EXPECT_TRUE(sawMove);
    demo->close();
}

TEST_F(JournalTest, EachRecordIsOnDiskOnceItIsQueued)
{
    // Read back through another handle while the journal is still open, as
    // a crash right after the event would leave the file.
    HEventManager m;
    HFile* journal = fs.openFileForWrite("journal.bin");
    ASSERT_NE(journal, nullptr);
    m.beginJournal(journal);
    for (int i = 1; i <= 3; ++i) {
        g_nowMs += 5;
        m.appendEvent(click(ET_KEYDOWN, i, i));
        const std::string bytes = readFileBytes(dir.file("journal.bin"));
        ASSERT_EQ(bytes.size(), static_cast<size_t>(i) * sizeof(HEvent));
        HEvent last;
        std::memcpy(static_cast<void*>(&last), bytes.data() + bytes.size() - sizeof(HEvent), sizeof(last));
        EXPECT_EQ(last.point.x, i);
        EXPECT_EQ(last.time.getTime64(), g_nowMs);
    }
    // The idle stamp that an empty queue produces is on disk at once too.
    drain(m);
    EXPECT_EQ(readFileBytes(dir.file("journal.bin")).size(), 4u * sizeof(HEvent));
    m.endJournal();
    journal->close();
}

TEST_F(JournalTest, ADemoPlayedWhileRecordingIsJournaledAsDeliveredThenTheLiveInput)
{
    // A demo of three records, played with a journal open: the journal takes
    // the demo's records as they are delivered, never what the program
    // queues meanwhile (the demo holds it), then the live input that follows.
    std::string demoBytes;
    for (int i = 0; i < 3; ++i) {
        HEvent r = click(i == 1 ? ET_KEYUP : ET_KEYDOWN, 10 + i, 20);
        r.time = MvTime::s_fromTime64(500 + 10 * static_cast<uint64_t>(i));
        demoBytes.append(reinterpret_cast<const char*>(&r), sizeof(r));
    }
    dir.write("demo.bin", demoBytes);

    HEventManager m;
    HFile* demo = fs.openFileForRead("demo.bin");
    HFile* journal = fs.openFileForWrite("journal.bin");
    ASSERT_NE(demo, nullptr);
    ASSERT_NE(journal, nullptr);
    m.beginDemo(demo);
    m.beginJournal(journal);
    HEvent e;
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(readFileBytes(dir.file("journal.bin")), demoBytes.substr(0, sizeof(HEvent)))
        << "the delivered record is on disk before the next is fetched";
    m.appendEvent(mouseMove(7, 7)); // dropped: the demo plays
    ASSERT_TRUE(m.getEvent(&e, false));
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(readFileBytes(dir.file("journal.bin")), demoBytes);

    // The demo is over: live input, journaled as it is queued, on a clock
    // that goes on from the demo's last time.
    EXPECT_FALSE(m.getEvent(&e, false));
    EXPECT_FALSE(m.isPlayingDemo());
    g_nowMs += 1000;
    m.appendEvent(HEvent::s_make(ET_QUIT));
    const std::vector<HEvent> live = drain(m);
    m.endJournal();
    journal->close();
    demo->close();

    const std::string bytes = readFileBytes(dir.file("journal.bin"));
    ASSERT_GE(bytes.size(), demoBytes.size() + 2 * sizeof(HEvent));
    EXPECT_EQ(bytes.substr(0, demoBytes.size()), demoBytes);
    std::vector<HEvent> after;
    for (size_t at = demoBytes.size(); at + sizeof(HEvent) <= bytes.size(); at += sizeof(HEvent)) {
        HEvent r;
        std::memcpy(static_cast<void*>(&r), bytes.data() + at, sizeof(r));
        after.push_back(r);
    }
    bool sawQuit = false;
    for (const HEvent& r : after) {
        EXPECT_NE(r.type, ET_MOUSEMOVE) << "the move queued during the demo";
        EXPECT_GE(r.time.getTime64(), 521u) << "a live time before the demo's last";
        sawQuit = sawQuit || (r.type == ET_QUIT && r.time.getTime64() == 521 + 1000);
    }
    EXPECT_TRUE(sawQuit);
    ASSERT_FALSE(live.empty());
}

// When a demo ends, live input goes on where its clock left it, whatever
// the live clock reads: a demo's small chosen times, a journal recorded on
// another day (the live clock far ahead or behind), a clock that reads the
// same as the demo. Live times then run on at the live clock's pace. A demo
// that delivered no time (only zeros) leaves the live clock as it reads.
TEST_F(JournalTest, AfterADemoTheLiveClockGoesOnFromTheDemosLastTime)
{
    const struct {
        const char* name;
        std::vector<uint64_t> demoTimes;
        uint64_t liveClock; // when the demo ends
        uint64_t firstLive; // the time stamp queued then
    } cases[] = {
        {"small chosen times, a wall clock far ahead", {1000, 1500, 2600}, 1754000000000ull, 2601},
        {"a journal of a later day, a clock behind it", {1754000000000ull, 1754000000040ull}, 1000, 1754000000041ull},
        {"the clock where the demo ended", {900, 999}, 1000, 1000},
        {"only zero times: the clock as it reads", {0, 0}, 1754000000000ull, 1754000000000ull},
        {"a last record of time zero: the last time delivered counts", {3000, 0}, 50, 3001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HEventManager::s_resetSharedState();
        std::string demoBytes;
        for (size_t i = 0; i < c.demoTimes.size(); ++i) {
            HEvent r = click(ET_KEYDOWN, static_cast<int32_t>(i), 0);
            r.time = MvTime::s_fromTime64(c.demoTimes[i]);
            demoBytes.append(reinterpret_cast<const char*>(&r), sizeof(r));
        }
        dir.write("demo.bin", demoBytes);
        HEventManager m;
        HFile* demo = fs.openFileForRead("demo.bin");
        ASSERT_NE(demo, nullptr);
        m.beginDemo(demo);
        g_nowMs = 7; // the clock while the demo plays does not matter
        HEvent e;
        for (size_t i = 0; i < c.demoTimes.size(); ++i)
            ASSERT_TRUE(m.getEvent(&e, false));

        g_nowMs = c.liveClock;
        EXPECT_FALSE(m.getEvent(&e, false));
        EXPECT_FALSE(m.isPlayingDemo());
        ASSERT_TRUE(m.getEvent(&e, false));
        EXPECT_EQ(e.type, ET_TIMESTAMP);
        EXPECT_EQ(e.time.getTime64(), c.firstLive);
        g_nowMs += 250;
        m.appendEvent(click(ET_KEYDOWN, 1, 1));
        ASSERT_TRUE(m.getEvent(&e, false));
        EXPECT_EQ(e.time.getTime64(), c.firstLive + 250) << "live times at the live clock's pace";
        demo->close();
    }
}

TEST_F(JournalTest, OnceTerminationIsRequestedNothingMoreIsDelivered)
{
    std::string demoBytes;
    for (int i = 0; i < 3; ++i) {
        HEvent e = click(ET_KEYDOWN, 10 + i, 20);
        e.time = MvTime::s_fromTime64(5000 + static_cast<uint64_t>(i));
        demoBytes.append(reinterpret_cast<const char*>(&e), sizeof(e));
    }
    dir.write("demo.bin", demoBytes);
    HEventManager m;
    ScriptedSource source(KC_A);
    source.pending = 5;
    m.registerEventSource(&source);
    m.appendEvent(HEvent::s_make(ET_PAINT));
    HFile* journal = fs.openFileForWrite("journal.bin");
    HFile* demo = fs.openFileForRead("demo.bin");
    ASSERT_NE(journal, nullptr);
    ASSERT_NE(demo, nullptr);
    m.beginJournal(journal);
    m.beginDemo(demo);
    HEvent e;
    ASSERT_TRUE(m.getEvent(&e, true));
    EXPECT_EQ(e.time.getTime64(), 5000u);

    HEventManager::s_requestTermination();
    EXPECT_TRUE(HEventManager::s_isTerminationRequested());
    // Neither the rest of the demo, nor the queue, nor the sources; no
    // sleep and no time stamp, however often it is asked.
    const int sleeps = g_sleeps;
    for (bool wait : {true, false, true}) {
        EXPECT_FALSE(m.getEvent(&e, wait));
        EXPECT_TRUE(m.isPlayingDemo());
    }
    EXPECT_EQ(g_sleeps, sleeps);
    EXPECT_EQ(source.polls, 0);
    EXPECT_EQ(readFileBytes(dir.file("journal.bin")).size(), sizeof(HEvent)) << "only the record delivered before";

    // A clean slate for the next test takes the request back.
    HEventManager::s_resetSharedState();
    EXPECT_FALSE(HEventManager::s_isTerminationRequested());
    ASSERT_TRUE(m.getEvent(&e, true));
    EXPECT_EQ(e.time.getTime64(), 5001u);
    m.endDemo();
    m.endJournal();
    demo->close();
    journal->close();
}

TEST_F(JournalTest, JournalRecordsHoldNoStrayBytes)
{
    HEventManager m;
    HFile* journal = fs.openFileForWrite("journal.bin");
    m.beginJournal(journal);
    HEvent e;
    std::memset(static_cast<void*>(&e), 0xAB, sizeof(e));
    e.type = ET_KEYDOWN;
    m.appendEvent(e);
    m.endJournal();
    journal->close();
    const std::string bytes = readFileBytes(dir.file("journal.bin"));
    ASSERT_EQ(bytes.size(), sizeof(HEvent));
    for (size_t i : {20u, 21u, 22u, 23u, 24u, 25u, 26u, 27u, 33u, 34u, 35u})
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(static_cast<unsigned char>(bytes[32]), 0xABu) << "the character is kept";
}

TEST_F(JournalTest, ARecordOfAnUnknownTypeEndsTheDemo)
{
    std::string bytes;
    HEvent good = HEvent::s_make(ET_PAINT);
    good.time = MvTime{42, 0};
    HEvent bad = HEvent::s_make(ET_PAINT);
    bad.type = 15;
    bytes.append(reinterpret_cast<const char*>(&good), sizeof(good));
    bytes.append(reinterpret_cast<const char*>(&bad), sizeof(bad));
    bytes.append(reinterpret_cast<const char*>(&good), sizeof(good));
    bytes.append("short", 5);
    dir.write("demo.dem", bytes);

    HEventManager m;
    HFile* demo = fs.openFileForRead("demo.dem");
    m.beginDemo(demo);
    HEvent e;
    ASSERT_TRUE(m.getEvent(&e, false));
    EXPECT_EQ(e.time.getTime64(), 42u);
    EXPECT_FALSE(m.getEvent(&e, false)) << "live now, and nothing is pending";
    EXPECT_FALSE(m.isPlayingDemo());
    demo->close();
}

// A file in memory that takes only `m_iTake` bytes of its `m_iCutWrite`th
// write (counting from 1) and every byte of the others, as a disk that fills
// up and then frees space again.
class CuttingFile : public HFile {
public:
    CuttingFile(int cutWrite, int take) : m_iCutWrite(cutWrite), m_iTake(take), m_iWrites(0), m_bytes() {}
    int read(void*, int) override { return 0; }
    int write(const void* data, int len) override
    {
        ++m_iWrites;
        const int n = m_iWrites == m_iCutWrite ? m_iTake : len;
        m_bytes.append(static_cast<const char*>(data), static_cast<size_t>(n));
        return n;
    }
    bool rewind() override { return false; }

    int m_iCutWrite;
    int m_iTake;
    int m_iWrites;
    std::string m_bytes;
};

TEST_F(HEventManagerTest, AJournalRecordNotWrittenWholeEndsTheJournal)
{
    const int record = static_cast<int>(sizeof(HEvent));
    for (const int take : {10, 0, record - 1}) {
        SCOPED_TRACE(take);
        HEventManager::s_resetSharedState();
        CuttingFile journal(3, take);
        CuttingFile trace(0, 0);
        HPlatform::s_setTraceFile(&trace);
        HEventManager m;
        m.beginJournal(&journal);
        for (int i = 0; i < 5; ++i) {
            g_nowMs += 10;
            EXPECT_TRUE(m.appendEvent(click(ET_KEYDOWN, i, i))) << "the event itself is still queued";
        }
        m.endJournal();
        HPlatform::s_setTraceFile(nullptr);

        EXPECT_EQ(journal.m_iWrites, 3) << "nothing is written after the short record";
        EXPECT_EQ(journal.m_bytes.size(), static_cast<size_t>(2 * record + take));
        EXPECT_EQ(trace.m_bytes, "HEventManager::appendEvent - wrote " + std::to_string(take) + " of " +
                                     std::to_string(record) + " bytes of a journal record; recording stopped\n");
        EXPECT_EQ(drain(m).size(), 5u);

        // Played back, the journal is the two whole records and then ends.
        std::vector<HEvent> played;
        for (size_t at = 0; at + sizeof(HEvent) <= journal.m_bytes.size(); at += sizeof(HEvent)) {
            HEvent e;
            std::memcpy(static_cast<void*>(&e), journal.m_bytes.data() + at, sizeof(e));
            played.push_back(e);
        }
        ASSERT_EQ(played.size(), 2u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(played[i].type, ET_KEYDOWN);
            EXPECT_EQ(played[i].point.x, i);
        }
    }
}

struct TextCase {
    HEventType type;
    uint32_t keyCode;
    char character;
    int32_t x, y;
    uint32_t state;
    const char* text;
};

TEST(HEvent, Texts)
{
    const TextCase cases[] = {
        {ET_KEYDOWN, KC_G, 0, 10, 20, 0, "ET_KEYDOWN(5000) - key=KC_G pt=10,20"},
        {ET_KEYUP, KC_LBUTTON, 0, -1, 7, 0, "ET_KEYUP(5000) - key=KC_LBUTTON pt=-1,7"},
        {ET_KEYDOWN, 0, 'x', 0, 0, 0, "ET_KEYDOWN(5000) - key=x pt=0,0"},
        {ET_KEYDOWN, 0, 0, 0, 0, 0, "ET_KEYDOWN(5000) - key=KC_INVALID pt=0,0"},
        {ET_KEYDOWN, 300, 0, 0, 0, 0, "ET_KEYDOWN(5000) - key=Unknown(0x12c) pt=0,0"},
        {ET_KEYDOWN, KC_F12, 0, 0, 0, 0, "ET_KEYDOWN(5000) - key=KC_F12 pt=0,0"},
        {ET_KEYDOWN, KC_NUMPAD7, 0, 0, 0, 0, "ET_KEYDOWN(5000) - key=KC_NUMPAD7 pt=0,0"},
        {ET_MOUSEMOVE, 0, 0, 3, 4, 0, "ET_MOUSEMOVE(5000) - pt=3,4"},
        {ET_WINDOW_MINIMIZED, 0, 0, 0, 0, 1, "ET_WINDOW_MINIMIZED(5000): minimized=1"},
        {ET_TIMESTAMP, 0, 0, 0, 0, 0, "ET_TIMESTAMP(5000)"},
        {ET_TOGGLE_FULLSCREEN, 0, 0, 0, 0, 0, "ET_TOGGLE_FULLSCREEN(5000)"},
        {static_cast<HEventType>(99), 0, 0, 0, 0, 0, "Unknown(5000)"},
    };
    for (const TextCase& c : cases) {
        HEvent e = HEvent::s_make(c.type);
        e.time = MvTime{5000, 0};
        e.keyCode = c.keyCode;
        e.character = c.character;
        e.point = HScreenPoint{c.x, c.y};
        e.state = c.state;
        char buf[128];
        EXPECT_STREQ(e.toString(buf, sizeof(buf)), c.text);
    }
    EXPECT_STREQ(HEvent::s_make(ET_PAINT).getKeyString(), "Not A Key");
    HEvent cut = HEvent::s_make(ET_TIMESTAMP);
    char small[8];
    EXPECT_STREQ(cut.toString(small, sizeof(small)), "ET_TIME");
}

} // namespace
