// An event source for in-process tests of loops that fetch events (the main
// loop, the modal dialog loop): it hands the event manager one batch of
// events per pass of the loop, each stamped with the time the test chose,
// so that every batch is followed by exactly one drawing pass.
//
// Install() makes the event manager's clock the script's: an event is
// appended with the clock at its time, and the clock stays there (idle
// sleeps take no time) until the next batch. When the script is used up the
// source appends ET_QUIT (unless told not to), so a loop under test cannot
// run for ever.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HEventSource.h"

#include <cstdint>
#include <functional>
#include <vector>

class ScriptedEventSource : public HEventSource {
public:
    ScriptedEventSource();
    // Restores the platform's clock when this source installed its own.
    ~ScriptedEventSource() override;

    // The event manager's clock and sleep become the script's (shared by all
    // managers in the process), starting at `startMs`; the shared duplicate
    // filters are reset.
    void install(uint64_t startMs = 1);
    // Each event keeps its fields; its time is the one it will be stamped with.
    ScriptedEventSource& batch(const std::vector<HEvent>& events);
    // The same, with a function run just before the batch is delivered: after
    // the drawing pass of the batch before it, so a test can look at the
    // screen or the game at that moment.
    ScriptedEventSource& batch(const std::vector<HEvent>& events, std::function<void()> before);
    // The batch about to be delivered, while its function runs: the function
    // may aim its events at what the game shows then (a fuzzer's click on a
    // tile that is free at that moment).
    std::vector<HEvent>& upcoming() { return m_batches[m_uNextBatch]; }
    // How many of those functions were scripted, and how many have run: a
    // loop that ended before the script did leaves checks that never ran,
    // and a test must not pass on them.
    int checksScripted() const { return m_iChecksScripted; }
    int checksRun() const { return m_iChecksRun; }
    bool everyCheckRan() const { return m_iChecksRun == m_iChecksScripted; }
    // Forgets every batch and count, to script the same loop again (a
    // fuzzer's next input).
    void clear();
    // Off: the script's end appends nothing.
    void setQuitWhenDone(bool quit) { m_bQuitWhenDone = quit; }
    // On: once the script is used up, every delivering poll appends another
    // ET_QUIT (a game asks for confirmation before it quits, and a quit during
    // the confirmation must be there for the dialog to see).
    void setKeepQuitting(bool keep) { m_bKeepQuitting = keep; }

    void queryEventSource(HEventManager* manager) override;

    int polls() const { return m_iPolls; }
    int batchesDelivered() const { return static_cast<int>(m_uNextBatch); }
    bool done() const { return m_uNextBatch >= m_batches.size(); }

    // The script's clock now.
    static uint64_t s_now();
    static void s_setNow(uint64_t ms);

private:
    std::vector<std::vector<HEvent>> m_batches;
    std::vector<std::function<void()>> m_before; // per batch; may be empty
    size_t m_uNextBatch;
    int m_iPolls;
    int m_iChecksScripted;
    int m_iChecksRun;
    bool m_bDeliverNext; // batches and empty polls alternate
    bool m_bQuitWhenDone;
    bool m_bQuitSent;
    bool m_bKeepQuitting;
    bool m_bInstalled;
};
