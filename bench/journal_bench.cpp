// The cost of recording a journal: one event queued and fetched, without a
// journal and with one on disk (each record is written and flushed, one
// small write call, when it is queued). An idle game queues at most one time
// stamp per millisecond, so the difference times 1000 is the most a journal
// adds per second of play; the counter "us_per_1000_events" gives it.
#include "engine/core/HEventManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HStandardFileSystem.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void QueueAndFetch(benchmark::State& state)
{
    const bool journaled = state.range(0) != 0;
    TempDir dir;
    HStandardFileSystem fs;
    fs.initFileSystem(dir.path().c_str());
    HFile* journal = journaled ? fs.openFileForWrite("journal.bin") : nullptr;
    if (journaled && !journal) {
        state.SkipWithError("cannot open the journal");
        return;
    }
    HEventManager events;
    if (journal)
        events.beginJournal(journal);
    HEvent press = HEvent::s_make(ET_KEYDOWN);
    press.keyCode = KC_LBUTTON;
    HEvent out;
    int32_t x = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        press.point = HScreenPoint{x, 100};
        x = (x + 1) & 511;
        events.appendEvent(press);
        benchmark::DoNotOptimize(events.getEvent(&out, false));
    }
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    state.counters["us_per_1000_events"] = 1000.0 * spent.count() / static_cast<double>(state.iterations());
    if (journal) {
        events.endJournal();
        journal->close();
    }
    fs.shutdownFileSystem();
}

} // namespace

BENCHMARK(QueueAndFetch)->ArgName("journal")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
