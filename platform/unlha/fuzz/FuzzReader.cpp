// libFuzzer target for the archive reader, the decoder and the encoder.
//
// Build and run from the top of the repository (clang-14 with libFuzzer):
//
//   bash platform/unlha/fuzz/build.sh build/fuzz     # makes build/fuzz/fuzz-unlha-reader
//   build/fuzz/fuzz-unlha-reader -max_total_time=60 build/fuzz/corpus tests/platform/unlha/fixtures
//
// Each input is read twice: as an archive (the members go through the checks
// of test and extraction, and every member within the cap is decoded to its
// end and its name escaped) and, with a two-byte prefix choosing the method
// and a declared size of up to 32 MiB, as a bare compressed stream, so that
// small inputs reach members far past 1 MiB. Decoded data is counted, never
// kept: a member that gives more than its declared size aborts. Then the
// input after its first byte is compressed with the method, level and block
// size that byte chooses, decoded again and compared: any difference aborts.
//
// seeds/ holds inputs worth starting from: an archive whose member expands
// 12 bytes of stream to 2 MiB, and the same kind of stream bare, declared
// 2 MiB long by its first two bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/unlha/LzhArchive.h"

using namespace tqen::unlha;

namespace {

// The harness's cap: members of up to 8 MiB, beyond that 1,024 times their
// packed size. Time per input stays short, memory is the decoder's own.
ExtractLimits fuzzLimits() {
    ExtractLimits l;
    l.allowance = std::size_t{8} << 20;
    return l;
}

// Decodes a member the checks let through; its output must never exceed
// the declared size, and must reach it when the decoder reports success.
void decodeWithinCap(const std::uint8_t *archive, const Member &m) {
    if (!checkMembers({&m}, fuzzLimits()).ok()) return;
    std::uint64_t seen = 0;
    const Status s = decodeMember(archive, m, [&](const std::uint8_t *, std::size_t n) {
        seen += n;
        if (seen > m.originalSize) std::abort();
        return true;
    });
    if (s.ok() && m.method != Method::Directory && seen != m.originalSize) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::vector<Member> members;
    std::size_t end = 0;
    if (parseArchive(data, size, members, &end).ok() && end > size) std::abort();
    std::vector<const Member *> all;
    for (const Member &m : members) {
        all.push_back(&m);
        std::string path;
        safeRelativePath(m.name, path);
        for (char c : printable(m.name))
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
        decodeWithinCap(data, m);
    }
    checkMembers(all, fuzzLimits());

    if (size > 2) {
        static const Method methods[] = {Method::Lh5, Method::Lh6, Method::Lh7, Method::Stored};
        Member m;
        m.name = "stream";
        m.method = methods[data[0] & 3];
        m.methodKnown = true;
        m.dataOffset = 2;
        m.packedSize = size - 2;
        m.originalSize = (static_cast<std::uint64_t>(data[1]) << 8 | data[0]) << 9;
        decodeWithinCap(data, m);
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
