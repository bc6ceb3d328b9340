// libFuzzer target for the archive reader and the decoder.
//
// Build and run from the top of the repository (clang-14 with libFuzzer):
//
//   bash platform/unlha/fuzz/build.sh build/fuzz     # makes build/fuzz/fuzz-unlha-reader
//   build/fuzz/fuzz-unlha-reader -max_total_time=60 build/fuzz/corpus tests/platform/unlha/fixtures
//
// Each input is read twice: as an archive (every member that parses is
// decoded and its name checked) and, with a one-byte prefix choosing the
// method, as a bare compressed stream.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/unlha/LzhArchive.h"

using namespace tqen::unlha;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // Decoded output is counted, not kept; a member stops after 1 MiB so that
    // archives claiming huge sizes stay quick.
    constexpr std::size_t kLimit = std::size_t{1} << 20;
    std::size_t seen = 0;
    const Sink sink = [&](const std::uint8_t *, std::size_t n) {
        seen += n;
        return seen <= kLimit;
    };

    std::vector<Member> members;
    parseArchive(data, size, members);
    for (const Member &m : members) {
        std::string path;
        safeRelativePath(m.name, path);
        seen = 0;
        decodeMember(data, m, sink);
    }

    if (size > 2) {
        static const Method methods[] = {Method::Lh5, Method::Lh6, Method::Lh7, Method::Stored};
        const Method m = methods[data[0] & 3];
        const std::uint64_t originalSize = (static_cast<std::uint64_t>(data[1]) << 8 | data[0]) * 16;
        std::uint16_t crc = 0;
        seen = 0;
        decodeLzh(m, data + 2, size - 2, originalSize, sink, crc);
    }
    return 0;
}
