// A program's journal read through a FIFO at the test's pace.
#include "tests/support/JournalGate.h"

#include "tests/support/RunningProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

JournalGate::JournalGate() : m_iFd(-1), m_mutex(), m_bytes(), m_bStop(false), m_reader() {}

JournalGate::~JournalGate()
{
    m_bStop = true;
    if (m_reader.joinable())
        m_reader.join();
    if (m_iFd >= 0)
        ::close(m_iFd);
}

bool JournalGate::open(const std::string& folder)
{
    const std::string path = folder + "/journal.bin";
    if (::mkfifo(path.c_str(), 0666) != 0)
        return false;
    // Without a writer yet, a read end opened this way does not wait.
    m_iFd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return m_iFd >= 0 && ::fcntl(m_iFd, F_SETPIPE_SZ, kPipeBytes) >= kPipeBytes &&
           ::fcntl(m_iFd, F_GETPIPE_SZ) == kPipeBytes;
}

bool JournalGate::m_readSome(size_t most)
{
    char buffer[kPipeBytes];
    const ssize_t n = ::read(m_iFd, buffer, most < sizeof(buffer) ? most : sizeof(buffer));
    if (n > 0) {
        std::lock_guard<std::mutex> hold(m_mutex);
        m_bytes.append(buffer, static_cast<size_t>(n));
        return true;
    }
    // Before the program opens its journal a read finds no writer either:
    // only after the first bytes is that the end.
    if (n == 0) {
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_bytes.empty();
    }
    return errno == EAGAIN || errno == EINTR;
}

bool JournalGate::readUntil(RunningProgram* program, size_t count, double timeoutSeconds)
{
    const size_t want = count * DemoWriter::kRecordBytes;
    return waitFor(timeoutSeconds, [&] {
        size_t have = 0;
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            have = m_bytes.size();
        }
        if (have >= want)
            return true;
        // Never more than asked for: what is not read holds the program.
        if (!m_readSome(want - have) || !program->running())
            return true;
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_bytes.size() >= want;
    }, 2) && records().size() >= count;
}

void JournalGate::release()
{
    if (m_reader.joinable() || m_iFd < 0)
        return;
    m_reader = std::thread([this] {
        while (!m_bStop) {
            pollfd p = {m_iFd, POLLIN, 0};
            ::poll(&p, 1, 20);
            if (!m_readSome(kPipeBytes))
                return;
        }
    });
}

std::vector<HEvent> JournalGate::records() const
{
    std::lock_guard<std::mutex> hold(m_mutex);
    return DemoWriter::s_decode(m_bytes);
}
