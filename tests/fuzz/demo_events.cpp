// Feeds arbitrary bytes as a demo file through the event manager and prints
// every event it delivers.
#include "engine/core/HEventManager.h"
#include "engine/core/HFile.h"
#include "tests/support/MemoryFileSystem.h"

#include <cstdint>
#include <vector>

namespace {

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
    MemoryFileSystem fs;
    fs.add("demo.bin", std::vector<unsigned char>(data, data + size));
    HFile* demo = fs.openFileForRead("demo.bin");
    manager.beginDemo(demo);
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
    manager.endDemo();
    demo->close();
    return 0;
}
