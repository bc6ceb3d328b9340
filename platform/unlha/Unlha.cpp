#include "platform/unlha/Unlha.h"

#include <cstring>
#include <filesystem>
#include <new>

#include "platform/unlha/LzhArchive.h"
#include "platform/unlha/Report.h"

namespace tqen::unlha {

namespace {

bool isDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool isLetters(std::string_view s) {
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    return true;
}

struct Options {
    Method method = Method::Lh5;
    bool noLimit = false;   // lifts the cap on how far members may expand
};

// Applies one switch; false for a switch this archiver does not know.
bool applySwitch(std::string_view sw, Options &o) {
    const std::string_view s = sw.substr(1);
    if (s == "+") return true;                                   // no saved defaults to ignore
    if (s == "-no-limit") {
        o.noLimit = true;
        return true;
    }
    if (s.size() >= 2 && (s[0] == 'a' || s[0] == 'd' || s[0] == 'f' || s[0] == 'n') && isDigits(s.substr(1)))
        return true;                                             // attributes, move, freshen, display: no effect
    if (s.size() == 3 && s[0] == 'j' && s[1] == 'm' && s[2] >= '0' && s[2] <= '4') {
        o.method = s[2] == '4' ? Method::Lh7 : Method::Lh5;
        return true;
    }
    if (s.size() >= 3 && s[0] == 'j' && s[1] == 'y') {           // questions and dialogs: we ask none
        std::string_view rest = s.substr(2);
        if (!rest.empty() && (rest.back() == '0' || rest.back() == '1')) rest.remove_suffix(1);
        return !rest.empty() && isLetters(rest);
    }
    return false;
}

std::string baseName(const std::string &path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

UnlhaResult fail(const Status &s, std::string report = {}) {
    return {static_cast<int>(s.error), report + failureLine(s)};
}

UnlhaResult runAdd(const std::string &archive, const std::vector<std::string> &rest, const Options &o) {
    std::string base;
    std::vector<AddItem> items;
    for (const std::string &arg : rest) {
        if (arg.back() == '/') {
            base = arg;
            continue;
        }
        std::string full = arg;
        if (full[0] != '/' && !base.empty()) full = base + full;
        std::string stored = baseName(full);
        if (!base.empty() && full.size() > base.size() && full.compare(0, base.size(), base) == 0)
            stored = full.substr(base.size());
        items.push_back({resolveCaseInsensitive(full), stored});
    }
    if (items.empty()) return fail(Status::fail(Error::CommandLine, "no file to add"));
    std::vector<AddedMember> added;
    if (Status s = addToArchive(archive, items, o.method, added); !s.ok()) return fail(s);
    std::string report;
    for (const AddedMember &a : added) report += reportLine(a.name, a.originalSize, a.packedSize, methodId(a.method));
    report += std::to_string(added.size()) + " file(s) stored in " + archive + "\n";
    return {0, report};
}

UnlhaResult runRead(char command, const std::string &archivePath, const std::vector<std::string> &rest,
                    const Options &o, const UnlhaControl &control) {
    std::string folder = ".";
    std::vector<std::string> patterns;
    for (const std::string &arg : rest) {
        if (arg.back() == '/') folder = arg;
        else patterns.push_back(arg);
    }
    LzhArchive archive;
    if (Status s = archive.open(archivePath); !s.ok()) return fail(s);
    std::vector<const Member *> chosen;
    for (const Member &m : archive.members()) {
        bool match = patterns.empty();
        for (const std::string &p : patterns) match = match || matchPattern(p, m.name);
        if (match) chosen.push_back(&m);
    }
    if (chosen.empty()) return fail(Status::fail(Error::NoMatch, "no member of " + archivePath + " matches"));
    std::string report;
    if (command == 'l') {
        for (const Member *m : chosen) report += reportLine(m->name, m->originalSize, m->packedSize, m->methodId);
        report += std::to_string(chosen.size()) + " file(s)\n";
        return {0, report};
    }
    ExtractLimits limits = o.noLimit ? ExtractLimits::none() : ExtractLimits{};
    limits.cancelled = control.cancelled;
    if (command == 't') {
        if (Status s = archive.testMembers(chosen, limits); !s.ok()) return fail(s);
        return {0, std::to_string(chosen.size()) + " file(s) tested, all OK\n"};
    }
    // All or nothing: every name and size is checked and every member
    // decoded before the first file is put in place.
    std::error_code ec;
    const bool folderExisted = std::filesystem::exists(folder, ec);
    std::filesystem::create_directories(folder, ec);
    if (Status s = archive.extractMembers(chosen, folder, limits); !s.ok()) {
        if (!folderExisted) std::filesystem::remove(folder, ec);   // only when still empty
        return fail(s);
    }
    for (const Member *m : chosen) report += reportLine(m->name, m->originalSize, m->packedSize, m->methodId);
    report += std::to_string(chosen.size()) + " file(s) extracted to " + printable(folder) + "\n";
    return {0, report};
}

bool matchHere(std::string_view p, std::string_view s) {
    // Iterative "*" matching with one backtrack point.
    std::size_t pi = 0, si = 0, star = std::string_view::npos, mark = 0;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == '?' || lower(p[pi]) == lower(s[si]))) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = si;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string cur;
    bool inQuote = false, inArg = false;
    for (char c : line) {
        if (c == '"') {
            inQuote = !inQuote;
            inArg = true;
        } else if (!inQuote && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (inArg && !cur.empty()) args.push_back(cur);
            cur.clear();
            inArg = false;
        } else {
            cur.push_back(c);
            inArg = true;
        }
    }
    if (inArg && !cur.empty()) args.push_back(cur);
    return args;
}

bool matchPattern(std::string_view pattern, std::string_view name) {
    std::string_view subject = name;
    if (pattern.find('/') == std::string_view::npos) {
        const auto slash = name.rfind('/');
        if (slash != std::string_view::npos) subject = name.substr(slash + 1);
    }
    if (matchHere(pattern, subject)) return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        subject.find('.') == std::string_view::npos)
        return matchHere(pattern.substr(0, pattern.size() - 2), subject);
    return false;
}

UnlhaResult runUnlha(std::string_view commandLine, const UnlhaControl &control) {
    try {
        const std::vector<std::string> args = splitCommandLine(commandLine);
        if (args.empty()) return fail(Status::fail(Error::CommandLine, "empty command line"));
        const std::string &cmd = args[0];
        if (cmd.size() != 1 || std::strchr("axtlAXTL", cmd[0]) == nullptr)
            return fail(Status::fail(Error::CommandLine, "unknown command \"" + cmd + "\" (a, x, t or l)"));
        const char command = static_cast<char>(cmd[0] | 0x20);
        Options o;
        std::string archive;
        std::vector<std::string> rest;
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::string &a = args[i];
            if (archive.empty() && a[0] == '-') {
                if (!applySwitch(a, o)) return fail(Status::fail(Error::CommandLine, "unknown switch " + a));
            } else if (archive.empty()) {
                archive = a;
            } else {
                rest.push_back(a);
            }
        }
        if (archive.empty()) return fail(Status::fail(Error::CommandLine, "no archive named"));
        if (archive.back() == '/') return fail(Status::fail(Error::CommandLine, "the archive " + archive + " is a folder"));
        if (command == 'a') return runAdd(archive, rest, o);
        return runRead(command, archive, rest, o, control);
    } catch (const std::bad_alloc &) {
        return fail(Status::fail(Error::FileRead, "out of memory"));
    }
}

}  // namespace tqen::unlha

int Unlha(void *, const char *commandLine, char *output, unsigned long outputSize) {
    const tqen::unlha::UnlhaResult r =
        commandLine ? tqen::unlha::runUnlha(commandLine)
                    : tqen::unlha::UnlhaResult{static_cast<int>(tqen::unlha::Error::CommandLine),
                                               "Error: no command line\n"};
    if (output && outputSize > 0) {
        std::size_t n = std::min<std::size_t>(r.report.size(), outputSize - 1);
        // Never cut a UTF-8 character in two.
        if (n < r.report.size())
            while (n > 0 && (static_cast<unsigned char>(r.report[n]) & 0xC0) == 0x80) --n;
        std::memcpy(output, r.report.data(), n);
        output[n] = '\0';
    }
    return r.code;
}
