// tqen-lha: look into, test, unpack or make the LZH archives of a backup.
//
//   tqen-lha a ARCHIVE FILE…      store the files (-lh7-) under their base names
//   tqen-lha x ARCHIVE [FOLDER]   extract every member into FOLDER (default ., made if missing)
//   tqen-lha l ARCHIVE            list the members
//   tqen-lha t ARCHIVE            check every member's data against its CRC
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
                 "tqen-lha: usage: tqen-lha a ARCHIVE FILE... | x ARCHIVE [FOLDER] | l ARCHIVE | t ARCHIVE\n");
    return static_cast<int>(Error::CommandLine);
}

int failed(const Status &s) {
    std::fprintf(stderr, "tqen-lha: %s\n", s.message.c_str());
    return static_cast<int>(s.error);
}

std::string baseName(const std::string &path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return usage();
    const std::string cmd = argv[1];
    const std::string archivePath = argv[2];
    if (cmd == "a") {
        if (argc < 4) return usage();
        std::vector<AddItem> items;
        for (int i = 3; i < argc; ++i) items.push_back({argv[i], baseName(argv[i])});
        std::vector<AddedMember> added;
        if (Status s = addToArchive(archivePath, items, Method::Lh7, added); !s.ok()) return failed(s);
        for (const AddedMember &a : added)
            std::printf("%s  %" PRIu64 " -> %" PRIu64 " %.5s\n", a.name.c_str(), a.originalSize, a.packedSize,
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
            std::printf("%-6s %10" PRIu64 " %10" PRIu64 " %5.1f%%  %-16s  %s\n", m.methodId.c_str(), m.originalSize,
                        m.packedSize, ratio, when, m.name.c_str());
        }
        std::printf("%zu member(s)\n", archive.members().size());
        return 0;
    }
    if (cmd == "t") {
        for (const Member &m : archive.members())
            if (Status s = archive.test(m); !s.ok()) return failed(s);
        std::printf("%zu member(s) OK\n", archive.members().size());
        return 0;
    }
    const std::string folder = argc > 3 ? argv[3] : ".";
    // Test everything first so that a damaged archive writes nothing.
    if (archive.members().size() > 1)
        for (const Member &m : archive.members())
            if (Status s = archive.test(m); !s.ok()) return failed(s);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const Member &m : archive.members()) {
        std::string written;
        if (Status s = archive.extract(m, folder, &written); !s.ok()) return failed(s);
        std::printf("%s\n", written.c_str());
    }
    return 0;
}
