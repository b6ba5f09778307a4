// Feeds arbitrary bytes as a demo file through the event manager and prints
// every event it delivers.
#include "engine/core/HEventManager.h"
#include "engine/core/HFile.h"

#include <cstdint>
#include <cstring>

namespace {

// A read-only file over the fuzzer's buffer.
class MemoryFile : public HFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : m_data(data), m_size(size), m_pos(0)
    {
        m_pHandle = this;
        m_iLength = static_cast<int>(size);
    }
    int read(void* buffer, int len) override
    {
        if (len <= 0)
            return 0;
        size_t n = static_cast<size_t>(len);
        if (n > m_size - m_pos)
            n = m_size - m_pos;
        if (n > 0)
            std::memcpy(buffer, m_data + m_pos, n);
        m_pos += n;
        return static_cast<int>(n);
    }
    int write(const void*, int) override { return 0; }
    bool rewind() override
    {
        m_pos = 0;
        return true;
    }
    void close() override {}

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
};

uint64_t g_now = 0;
MvTime fuzzClock()
{
    return MvTime::s_fromTime64(++g_now);
}
void fuzzSleep(int) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    HEventManager::s_setClock(fuzzClock, fuzzSleep);
    HEventManager manager;
    MemoryFile demo(data, size);
    manager.beginDemo(&demo);
    HEvent e;
    char text[64];
    // Every record is delivered once; after the demo the manager goes live
    // and yields only its own time stamps.
    for (size_t i = 0; i <= size / sizeof(HEvent) + 2; ++i) {
        if (manager.getEvent(&e, false)) {
            e.toString(text, sizeof(text));
            e.getKeyString();
        }
    }
    return 0;
}
