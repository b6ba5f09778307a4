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
// The build's resource archive, build/Resources/qinvar.mvz.
std::string buildArchivePath();

using Lines = std::vector<std::string>;
Lines splitLines(const std::string& text);
// Whether `expected` appears in `lines` in this order (other lines may lie
// between); on failure `missing` names the first line not found.
bool inOrder(const Lines& lines, const Lines& expected, std::string* missing);
