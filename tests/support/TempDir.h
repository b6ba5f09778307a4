// A temporary directory for a test, removed with everything in it when the
// object goes out of scope.
#pragma once

#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();

    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes the bytes to path()/name, creating parent folders; returns the full path.
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) const;
    // Makes nested folders under path() whose full path is exactly `length`
    // characters long (each name within the system's limit) and returns
    // that path; empty when `length` leaves no room for a folder.
    std::string folderOfLength(size_t length) const;

private:
    std::string m_path;
};

// The whole content of a file; empty when it cannot be read.
std::string readFileBytes(const std::string& path);
bool fileExists(const std::string& path);
// The names in a folder but "." and "..", sorted; none when it cannot be read.
std::vector<std::string> namesIn(const std::string& dir);
// Leaves a UNIX socket at `path`, as a program that listened there and
// ended would; false when it cannot be made (or the path is too long for
// one).
bool leaveSocketAt(const std::string& path);
