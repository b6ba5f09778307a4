// A file system over files held in memory, for tests and fuzzers: names
// are found without regard to case, as in the resource archive, every open
// is counted, and a file can be made to read short. It lends out one of 16
// embedded files like the engine's own file systems. Read-only unless made
// writable: then a file opened for writing starts empty and what is
// written can be read back.
#pragma once

#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"

#include <map>
#include <string>
#include <vector>

class MemoryFileSystem : public HFileSystem {
public:
    MemoryFileSystem();
    ~MemoryFileSystem() override;

    // Adds or replaces the file.
    void add(const std::string& name, const std::vector<unsigned char>& bytes);
    void add(const std::string& name, const std::string& bytes);
    // The bytes the file holds now; empty when there is no such file.
    std::vector<unsigned char> bytes(const std::string& name) const;
    // Files may be opened for writing.
    void setWritable(bool writable) { m_bWritable = writable; }
    // Reads of the file deliver one byte less than asked for.
    void setShortRead(const std::string& name, bool shortRead);

    // Successful opens of `name` so far (any letter case).
    int openCount(const std::string& name) const;
    // All successful opens so far.
    int totalOpens() const { return m_iTotalOpens; }
    // Files lent out and not yet closed.
    int openFiles() const;

    bool fileExists(const char* name) override;
    HFile* openFileForRead(const char* name) override;
    // Null unless writable.
    HFile* openFileForWrite(const char* name) override;
    int64_t getLastModTime(const char* name) override;
    void m_closeFile(HFile* file) override;

private:
    class MemoryFile : public HFile {
    public:
        MemoryFile();
        int read(void* buffer, int len) override;
        int write(const void* data, int len) override;
        bool rewind() override;

        void m_take(MemoryFileSystem* owner, const char* name, std::vector<unsigned char>* bytes, Mode mode,
                    bool shortRead);
        void m_release();

    private:
        std::vector<unsigned char>* m_pBytes;
        size_t m_uPosition;
        bool m_bShortRead;
    };

    struct Entry {
        std::vector<unsigned char> bytes;
        bool shortRead = false;
        int opens = 0;
    };

    static std::string m_key(const std::string& name);
    HFile* m_lend(const char* name, Entry* entry, HFile::Mode mode);

    std::map<std::string, Entry> m_entries;
    MemoryFile m_files[kMaxOpenFiles];
    int m_iTotalOpens;
    bool m_bWritable;
};
