// Holds a running program at a chosen event of its demo, so that a test can
// change the program's surroundings (the registry file, its folder) at that
// point: the program's journal ("-journal") is a FIFO that the test reads at
// its own pace. The program writes each event to its journal as the event is
// delivered, and a write into a pipe whose one page is full waits until the
// test reads: once the test has read n records, the program has handled
// every event before the n-th, and has delivered at most kSlackRecords after
// the last one read. A demo that pads the point with more idle records than
// that therefore reaches its next action only after the test has read on.
#pragma once

#include "engine/core/HEvent.h"
#include "tests/support/DemoWriter.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RunningProgram;

class JournalGate {
public:
    // The journal pipe's size: one page.
    static constexpr int kPipeBytes = 4096;
    // What one page of the pipe holds.
    static constexpr int kSlackRecords = kPipeBytes / DemoWriter::kRecordBytes;

    JournalGate();
    // Stops reading: a program still writing then fails its journal.
    ~JournalGate();

    JournalGate(const JournalGate&) = delete;
    JournalGate& operator=(const JournalGate&) = delete;

    // Makes `folder`/journal.bin a FIFO of one page and opens its reading
    // end; before the program starts in `folder`.
    bool open(const std::string& folder);
    // Reads until `count` records in all have come; false when the program
    // ended or `timeoutSeconds` passed first.
    bool readUntil(RunningProgram* program, size_t count, double timeoutSeconds);
    // From now on every record is read as it comes, so the program runs
    // freely, until it closes its journal or the gate goes.
    void release();
    // The records read so far.
    std::vector<HEvent> records() const;

private:
    // Reads what is there, at most `most` bytes; false at the end of the
    // journal (the program closed it after writing).
    bool m_readSome(size_t most);

    int m_iFd;
    mutable std::mutex m_mutex;
    std::string m_bytes;
    std::atomic<bool> m_bStop;
    std::thread m_reader;
};
