// Fuzzes the console-variable archive: any text is run as an archive, the
// resulting variables are read, written to an archive and loaded into a
// fresh manager, which must then hold exactly the same variables.
#include "engine/core/HCvarManager.h"
#include "tests/support/MemoryFileSystem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string text(const MemoryFileSystem& fs, const char* name)
{
    const std::vector<unsigned char> bytes = fs.bytes(name);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    MemoryFileSystem fs;
    fs.setWritable(true);
    fs.add("input.cfg", std::vector<unsigned char>(data, data + size));

    HCvarManager first;
    if (!first.initCvarManager())
        return 0;
    first.loadCvars("input.cfg", &fs);
    for (const char* name : {"a", "value", "flags", "cmd", "x"}) {
        first.getVariableString(name);
        first.getVariableInt(name);
        first.getVariableFloat(name);
        void* parm = nullptr;
        if (first.getCommand(name, &parm) != nullptr)
            std::abort(); // no text can name a command
        first.addVariable(name, "1", HCvarManager::CVAR_KEEP);
    }
    if (!first.archiveCvars("out.cfg", &fs))
        std::abort();
    const std::string archive = text(fs, "out.cfg");

    HCvarManager second;
    if (!second.initCvarManager())
        return 0;
    if (!second.loadCvars("out.cfg", &fs)) {
        std::fprintf(stderr, "the archive does not load back:\n%s\n", archive.c_str());
        std::abort();
    }
    second.archiveCvars("again.cfg", &fs);
    const std::string again = text(fs, "again.cfg");
    if (again.size() != archive.size()) {
        std::fprintf(stderr, "the archive changed on its way back:\n%s\n---\n%s\n", archive.c_str(), again.c_str());
        std::abort();
    }
    first.shutdownCvarManager();
    second.shutdownCvarManager();
    return 0;
}
