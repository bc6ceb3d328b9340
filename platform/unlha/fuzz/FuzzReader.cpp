// libFuzzer target for the archive reader, the decoder and the encoder.
//
// Build and run from the top of the repository (clang-14 with libFuzzer):
//
//   bash platform/unlha/fuzz/build.sh build/fuzz     # makes build/fuzz/fuzz-unlha-reader
//   build/fuzz/fuzz-unlha-reader -max_total_time=60 build/fuzz/corpus tests/platform/unlha/fixtures
//
// Each input is read twice: as an archive (every member that parses is
// decoded and its name checked) and, with a one-byte prefix choosing the
// method, as a bare compressed stream. Then the input after its first byte
// is compressed with the method, level and block size that byte chooses,
// decoded again and compared: any difference aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

    if (size > 1) {
        static const Method packMethods[] = {Method::Lh5, Method::Lh6, Method::Lh7, Method::Lh7};
        const Method m = packMethods[data[0] & 3];
        EncoderOptions o;
        static const Level levels[] = {Level::Best, Level::Fast, Level::Medium, Level::Best};
        o.level = levels[(data[0] >> 2) & 3];
        if (data[0] & 16) o.blockCodes = 1 + (data[0] >> 5) * 7;  // many small blocks
        const std::vector<std::uint8_t> packed = compressLzh(data + 1, size - 1, m, o);
        std::vector<std::uint8_t> back;
        std::uint16_t crc = 0;
        const Status s = decodeLzh(m, packed.data(), packed.size(), size - 1,
                                   [&](const std::uint8_t *p, std::size_t n) {
                                       back.insert(back.end(), p, p + n);
                                       return true;
                                   },
                                   crc);
        if (!s.ok() || back.size() != size - 1 || !std::equal(back.begin(), back.end(), data + 1)) std::abort();
    }
    return 0;
}
