// tqen-lha: look into, test, unpack or make the LZH archives of a backup.
//
//   tqen-lha a ARCHIVE FILE…      store the files (-lh7-) under their base names
//   tqen-lha x ARCHIVE [FOLDER]   extract every member into FOLDER (default ., made if missing)
//   tqen-lha l ARCHIVE            list the members
//   tqen-lha t ARCHIVE            check every member's data against its CRC
//
// x and t refuse a member that would expand beyond the archiver's cap (64 MiB,
// or more than 1,024 times its packed size); --no-limit, anywhere on the
// line, lifts the cap. x never writes more than the target's free space.
// Names are printed with control characters escaped.
//
// Exits 0 on success; otherwise prints one line with the reason and exits
// with the archiver's error code.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/unlha/LzhArchive.h"

using namespace tqen::unlha;

namespace {

int usage() {
    std::fprintf(stderr,
                 "tqen-lha: usage: tqen-lha a ARCHIVE FILE... | x [--no-limit] ARCHIVE [FOLDER] | l ARCHIVE | "
                 "t [--no-limit] ARCHIVE\n");
    return static_cast<int>(Error::CommandLine);
}

int failed(const Status &s) {
    std::fprintf(stderr, "tqen-lha: %s\n", printable(s.message).c_str());
    return static_cast<int>(s.error);
}

std::string baseName(const std::string &path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

}  // namespace

int main(int argcIn, char **argvIn) {
    std::vector<std::string> args;
    bool noLimit = false;
    for (int i = 1; i < argcIn; ++i) {
        if (std::strcmp(argvIn[i], "--no-limit") == 0) noLimit = true;
        else args.emplace_back(argvIn[i]);
    }
    const int argc = static_cast<int>(args.size()) + 1;
    auto argv = [&](int i) { return args[static_cast<std::size_t>(i - 1)]; };
    if (argc < 3) return usage();
    const std::string cmd = argv(1);
    const std::string archivePath = argv(2);
    if (cmd == "a") {
        if (argc < 4) return usage();
        std::vector<AddItem> items;
        for (int i = 3; i < argc; ++i) items.push_back({argv(i), baseName(argv(i))});
        std::vector<AddedMember> added;
        if (Status s = addToArchive(archivePath, items, Method::Lh7, added); !s.ok()) return failed(s);
        for (const AddedMember &a : added)
            std::printf("%s  %" PRIu64 " -> %" PRIu64 " %.5s\n", printable(a.name).c_str(), a.originalSize, a.packedSize,
                        methodId(a.method).data());
        return 0;
    }
    if (cmd != "x" && cmd != "l" && cmd != "t") return usage();
    if ((cmd == "x" && argc > 4) || (cmd != "x" && argc > 3)) return usage();
    LzhArchive archive;
    if (Status s = archive.open(archivePath); !s.ok()) return failed(s);
    if (cmd == "l") {
        std::printf("%-6s %10s %10s %6s  %-16s  %s\n", "method", "original", "packed", "ratio", "time (UTC)", "name");
        for (const Member &m : archive.members()) {
            const std::time_t t = static_cast<std::time_t>(m.mtime);
            std::tm tm{};
            gmtime_r(&t, &tm);
            char when[32];
            std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &tm);
            const double ratio =
                m.originalSize ? 100.0 * static_cast<double>(m.packedSize) / static_cast<double>(m.originalSize) : 100.0;
            std::printf("%-6s %10" PRIu64 " %10" PRIu64 " %5.1f%%  %-16s  %s\n", printable(m.methodId).c_str(), m.originalSize,
                        m.packedSize, ratio, when, printable(m.name).c_str());
        }
        std::printf("%zu member(s)\n", archive.members().size());
        return 0;
    }
    std::vector<const Member *> all;
    for (const Member &m : archive.members()) all.push_back(&m);
    const ExtractLimits limits = noLimit ? ExtractLimits::none() : ExtractLimits{};
    if (cmd == "t") {
        if (Status s = archive.testMembers(all, limits); !s.ok()) return failed(s);
        std::printf("%zu member(s) OK\n", archive.members().size());
        return 0;
    }
    const std::string folder = argc > 3 ? argv(3) : ".";
    std::error_code ec;
    const bool folderExisted = std::filesystem::exists(folder, ec);
    std::filesystem::create_directories(folder, ec);
    std::vector<std::string> written;
    if (Status s = archive.extractMembers(all, folder, limits, &written); !s.ok()) {
        if (!folderExisted) std::filesystem::remove(folder, ec);   // only when still empty
        return failed(s);
    }
    for (const std::string &w : written) std::printf("%s\n", printable(w).c_str());
    return 0;
}
