// Where the build's programs and files are, seen from a test program (which
// lives in build/bin beside the game programs), and small helpers for the
// text that whole-program tests read back (trace files, standard output).
#pragma once

#include <string>
#include <vector>

// The folder of the running test program: build/bin.
std::string testBinDir();
// A program of the build beside the test program: testBinDir() + "/" + name.
std::string buildProgram(const std::string& name);
// The build's resource directory, found as the game finds its own (the
// executable's directory's parent + "/Resources/"), and the archive in it,
// build/Resources/qinvar.mvz.
std::string buildResourceDir();
std::string buildArchivePath();
// The build directory: $QV_BINARY_DIR (which CTest sets), else the parent of
// the test program's bin/.
std::string buildDir();
// A picture that a test writes for a person to look at: every one lands in
// <build>/review/ (made when missing), a test's own prefix in its name.
std::string pictureFile(const std::string& name);

// The game's per-user registry file, relative to HOME, and below a HOME.
extern const char* const kGameRegistryFile;
std::string gameRegistryPath(const std::string& home);

using Lines = std::vector<std::string>;
Lines splitLines(const std::string& text);
// Whether `expected` appears in `lines` in this order (other lines may lie
// between); on failure `missing` names the first line not found.
bool inOrder(const Lines& lines, const Lines& expected, std::string* missing);
