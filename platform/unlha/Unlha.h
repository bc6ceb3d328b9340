#pragma once
// The archiver's command entry point, and its C++ form: the archiver's
// tested entry by command line. The program itself packs and unpacks through
// the typed API (LzhArchive.h), in backup/.
//
//   int Unlha(void *window, const char *commandLine, char *output,
//             unsigned long outputSize);
//
// commandLine is UTF-8: a command (a, x, t, l), switches, the archive, and
// folders (ending in "/") and files or patterns, for example
//   a -+ -a1 -d0 -f0 -n0 -jm4 "/d/tqedata.lzh" "/d/" "/d/""Tqendata.mdb"""
//   x -+ -a2 -d1 -f0 -n1 -jyc0 -jyd0 -jyk0 -jyn0 -jyo0 "/d/tqedata.lzh" "/d/" "*.*"
// Returns 0 on success, else a non-zero code (tqen::unlha::Error). output
// receives a short report, or the reason of a failure, always
// NUL-terminated and never longer than outputSize bytes. window is unused.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

int Unlha(void *window, const char *commandLine, char *output, unsigned long outputSize);

namespace tqen::unlha {

// The arguments of a command line: blanks separate arguments, a double quote
// toggles quoting, adjacent quoted and unquoted pieces join into one
// argument, a backslash is an ordinary character. Arguments that are empty
// after joining ("") are dropped.
std::vector<std::string> splitCommandLine(std::string_view line);

// True when name matches a pattern of "*" and "?" (ASCII case ignored). A
// pattern with "/" is matched against the whole name, otherwise against its
// last part; "x.*" also matches "x" as on Windows, so "*.*" matches all.
bool matchPattern(std::string_view pattern, std::string_view name);

struct UnlhaResult {
    int code = 0;
    std::string report;
};

// What a caller can do while a command runs.
struct UnlhaControl {
    // Asked now and then while members are decoded; true stops the command
    // (Error::Cancelled) and leaves no file of the extraction behind.
    std::function<bool()> cancelled;
};

// Runs one command line; what Unlha does without the output buffer.
UnlhaResult runUnlha(std::string_view commandLine, const UnlhaControl &control = {});

}  // namespace tqen::unlha
