#pragma once
// Hand-made -lh5- streams that expand a few bytes into a great many zeros,
// as hostile archives do.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/unlha/Crc16.h"
#include "platform/unlha/LzhHeader.h"

namespace tqen::unlha::test {

// Bits written most significant first, as the decoder reads them.
class BitWriter {
public:
    void put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            acc_ = static_cast<std::uint8_t>(acc_ << 1 | ((value >> i) & 1));
            if (++n_ == 8) {
                out_.push_back(acc_);
                acc_ = 0;
                n_ = 0;
            }
        }
    }
    std::vector<std::uint8_t> finish() {
        if (n_) out_.push_back(static_cast<std::uint8_t>(acc_ << (8 - n_)));
        out_.push_back(0);
        return out_;
    }

private:
    std::vector<std::uint8_t> out_;
    std::uint8_t acc_ = 0;
    int n_ = 0;
};

// A -lh5- stream of one zero byte followed by 256-byte copies at distance 1,
// with one-symbol trees that cost no bits per code: each block of 65,535
// codes takes 7 bytes and makes 16 MiB. (size - 1) must be a multiple of 256.
inline std::vector<std::uint8_t> zeroBomb(std::uint64_t size) {
    BitWriter w;
    auto block = [&](std::uint32_t codes, int cSymbol) {
        w.put(codes, 16);
        w.put(0, 5), w.put(0, 5);             // temp tree: one symbol
        w.put(0, 9), w.put(cSymbol, 9);       // code tree: one symbol
        w.put(0, 4), w.put(0, 4);             // position tree: distance 1
    };
    block(1, 0);                               // the literal 0
    std::uint64_t runs = (size - 1) / 256;
    while (runs > 0) {
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(runs, 65535));
        block(n, 256 + 256 - 3);               // a 256-byte match
        runs -= n;
    }
    return w.finish();
}

inline std::uint16_t crcOfZeros(std::uint64_t size) {
    const std::vector<std::uint8_t> zeros(1 << 16, 0);
    Crc16 c;
    for (std::uint64_t done = 0; done < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), size - done));
        c.update(zeros.data(), n);
        done += n;
    }
    return c.value();
}

// An archive of one -lh5- member `name` of `size` zero bytes ((size - 1) a
// multiple of 256), its end marker included.
inline std::vector<std::uint8_t> zeroBombArchive(const std::string &name, std::uint64_t size) {
    const std::vector<std::uint8_t> packed = zeroBomb(size);
    std::vector<std::uint8_t> a = writeLevel2Header(name, Method::Lh5, packed.size(), size, crcOfZeros(size), 1000000000);
    a.insert(a.end(), packed.begin(), packed.end());
    a.push_back(0);
    return a;
}

}  // namespace tqen::unlha::test
