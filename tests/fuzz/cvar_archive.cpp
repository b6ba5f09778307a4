// Fuzzes the console-variable archive: any text is run as an archive, the
// resulting variables are read, written to an archive and loaded into a
// fresh manager, which must then hold exactly the same variables.
#include "engine/core/HCvarManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// One file kept in memory: what is written can be read back.
class MemoryFile : public HFile {
public:
    int read(void* buffer, int len) override
    {
        if (len <= 0 || m_iPosition >= m_text.size())
            return 0;
        const size_t n = std::min(static_cast<size_t>(len), m_text.size() - m_iPosition);
        std::memcpy(buffer, m_text.data() + m_iPosition, n);
        m_iPosition += n;
        return static_cast<int>(n);
    }
    int write(const void* data, int len) override
    {
        if (len <= 0)
            return 0;
        m_text.append(static_cast<const char*>(data), static_cast<size_t>(len));
        return len;
    }
    bool rewind() override
    {
        m_iPosition = 0;
        return true;
    }
    int length() const override { return static_cast<int>(m_text.size()); }

    std::string m_text;
    size_t m_iPosition = 0;
};

class MemoryFileSystem : public HFileSystem {
public:
    bool fileExists(const char*) override { return true; }
    HFile* openFileForRead(const char*) override
    {
        m_file.m_setFileSystem(this);
        m_file.rewind();
        return &m_file;
    }
    HFile* openFileForWrite(const char*) override
    {
        m_file.m_setFileSystem(this);
        m_file.m_text.clear();
        return &m_file;
    }
    int64_t getLastModTime(const char*) override { return 0; }
    void m_closeFile(HFile*) override {}

    MemoryFile m_file;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    MemoryFileSystem fs;
    fs.m_file.m_text.assign(reinterpret_cast<const char*>(data), size);

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
    const std::string archive = fs.m_file.m_text;

    HCvarManager second;
    if (!second.initCvarManager())
        return 0;
    if (!second.loadCvars("out.cfg", &fs)) {
        std::fprintf(stderr, "the archive does not load back:\n%s\n", archive.c_str());
        std::abort();
    }
    second.archiveCvars("again.cfg", &fs);
    if (fs.m_file.m_text.size() != archive.size()) {
        std::fprintf(stderr, "the archive changed on its way back:\n%s\n---\n%s\n", archive.c_str(),
                     fs.m_file.m_text.c_str());
        std::abort();
    }
    first.shutdownCvarManager();
    second.shutdownCvarManager();
    return 0;
}
