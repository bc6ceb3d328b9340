#include "platform/unlha/LzhDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/unlha/Crc16.h"

namespace tqen::unlha {

namespace {

class BitReader {
public:
    BitReader(const std::uint8_t *p, std::size_t n) : p_(p), end_(p + n) { refill(); }

    void refill() {
        if (bits_ > 56) return;
        if (end_ - p_ >= 8) {
            std::uint64_t v;
            std::memcpy(&v, p_, 8);
            v = __builtin_bswap64(v);
            buf_ |= v >> bits_;
            const int take = (63 - bits_) >> 3;
            p_ += take;
            bits_ += take * 8;
            return;
        }
        while (bits_ <= 56) {
            std::uint64_t b = 0;
            if (p_ < end_) b = *p_++;
            else ++pad_;
            buf_ |= b << (56 - bits_);
            bits_ += 8;
        }
    }
    // The next n bits (1 <= n <= 32) without consuming them; needs a refill
    // since the last 32 bits were taken.
    std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(buf_ >> (64 - n)); }
    void skip(int n) {
        buf_ <<= n;
        bits_ -= n;
    }
    std::uint32_t get(int n) {
        if (n == 0) return 0;
        refill();
        const std::uint32_t v = peek(n);
        skip(n);
        return v;
    }
    // True when more bits were taken than the input holds.
    bool overrun() const { return static_cast<std::int64_t>(pad_) * 8 > bits_; }

private:
    const std::uint8_t *p_;
    const std::uint8_t *end_;
    std::uint64_t buf_ = 0;
    int bits_ = 0;
    std::size_t pad_ = 0;
};

// A canonical Huffman decoding table: a direct lookup of kTableBits bits and
// a walk over the canonical code ranges for the longer codes.
template <int kTableBits, int kMaxSymbols>
class HuffTable {
public:
    // A tree of one symbol whose code has no bits.
    void setSingle(int symbol) {
        single_ = true;
        singleSymbol_ = static_cast<std::uint16_t>(symbol);
    }

    // Builds from lengths; false when the code is not a complete prefix code.
    bool build(const std::uint8_t *len, int n) {
        single_ = false;
        std::array<int, kMaxCodeBits + 1> count{};
        for (int i = 0; i < n; ++i) count[len[i]]++;
        count[0] = 0;
        int left = 1;
        for (int l = 1; l <= kMaxCodeBits; ++l) {
            left = (left << 1) - count[l];
            if (left < 0) return false;
        }
        if (left != 0) return false;
        std::uint32_t code = 0;
        int offset = 0;
        for (int l = 1; l <= kMaxCodeBits; ++l) {
            code = (code + static_cast<std::uint32_t>(count[l - 1])) << 1;
            first_[l] = code;
            count_[l] = static_cast<std::uint32_t>(count[l]);
            offset_[l] = offset;
            offset += count[l];
        }
        std::array<int, kMaxCodeBits + 1> next{};
        for (int l = 1; l <= kMaxCodeBits; ++l) next[l] = offset_[l];
        for (int i = 0; i < n; ++i)
            if (len[i]) sorted_[next[len[i]]++] = static_cast<std::uint16_t>(i);
        table_.fill(kLong);
        for (int l = 1; l <= kTableBits; ++l) {
            for (std::uint32_t k = 0; k < count_[l]; ++k) {
                const std::uint32_t sym = sorted_[offset_[l] + static_cast<int>(k)];
                const std::uint32_t start = (first_[l] + k) << (kTableBits - l);
                const std::uint32_t entry = sym | static_cast<std::uint32_t>(l) << 16;
                std::fill(table_.begin() + start, table_.begin() + start + (1u << (kTableBits - l)), entry);
            }
        }
        return true;
    }

    // The next symbol; the reader must hold at least 16 bits.
    int decode(BitReader &br) const {
        if (single_) return singleSymbol_;
        const std::uint32_t v = br.peek(kMaxCodeBits);
        const std::uint32_t e = table_[v >> (kMaxCodeBits - kTableBits)];
        if (e != kLong) {
            br.skip(static_cast<int>(e >> 16));
            return static_cast<int>(e & 0xFFFF);
        }
        for (int l = kTableBits + 1; l <= kMaxCodeBits; ++l) {
            const std::uint32_t c = v >> (kMaxCodeBits - l);
            if (c - first_[l] < count_[l]) {
                br.skip(l);
                return sorted_[offset_[l] + static_cast<int>(c - first_[l])];
            }
        }
        return -1;  // cannot happen for a complete code
    }

private:
    static constexpr std::uint32_t kLong = 0xFFFFFFFFu;
    std::array<std::uint32_t, 1u << kTableBits> table_{};
    std::array<std::uint32_t, kMaxCodeBits + 1> first_{};
    std::array<std::uint32_t, kMaxCodeBits + 1> count_{};
    std::array<int, kMaxCodeBits + 1> offset_{};
    std::array<std::uint16_t, kMaxSymbols> sorted_{};
    bool single_ = false;
    std::uint16_t singleSymbol_ = 0;
};

class Decoder {
public:
    Decoder(Method m, const std::uint8_t *in, std::size_t n, std::uint64_t outSize, const Sink &sink)
        : p_(streamParams(m)), br_(in, n), outSize_(outSize), sink_(sink), ring_(kRing + 8) {}

    Status run(std::uint16_t &crc) {
        std::uint32_t blockLeft = 0;
        std::uint64_t pos = 0;
        std::uint8_t *ring = ring_.data();
        while (pos < outSize_) {
            if (blockLeft == 0) {
                blockLeft = br_.get(16);
                if (blockLeft == 0) return damaged("block of size 0");
                if (Status s = readTrees(); !s.ok()) return s;
            }
            --blockLeft;
            br_.refill();
            const int c = cTree_.decode(br_);
            if (c < 0) return damaged("bad code");
            if (c < 256) {
                ring[pos & kMask] = static_cast<std::uint8_t>(c);
                ++pos;
            } else {
                const int len = c - 256 + kMinMatch;
                br_.refill();
                const int p = pTree_.decode(br_);
                if (p < 0) return damaged("bad code");
                std::uint32_t off = static_cast<std::uint32_t>(p);
                if (p >= 2) off = (1u << (p - 1)) + br_.get(p - 1);
                const std::uint64_t dist = std::uint64_t{off} + 1;
                if (dist > pos) return damaged("distance before the start of the data");
                if (pos + static_cast<std::uint64_t>(len) > outSize_)
                    return damaged("data longer than the original size");
                std::uint64_t src = pos - dist;
                const std::size_t d0 = pos & kMask, s0 = src & kMask;
                if (d0 + len <= kRing && s0 + len <= kRing) {
                    std::uint8_t *dp = ring + d0;
                    const std::uint8_t *sp = ring + s0;
                    if (dist >= 8) {
                        for (int i = 0; i < len; i += 8) std::memcpy(dp + i, sp + i, 8);
                    } else {
                        for (int i = 0; i < len; ++i) dp[i] = sp[i];
                    }
                } else {
                    for (int i = 0; i < len; ++i) ring[(pos + i) & kMask] = ring[(src + i) & kMask];
                }
                pos += static_cast<std::uint64_t>(len);
            }
            if (br_.overrun()) return damaged("compressed data ends early");
            if (pos - flushed_ >= kFlush) {
                if (!flush(pos)) return Status::fail(Error::Output, "extraction stopped");
            }
        }
        if (!flush(pos)) return Status::fail(Error::Output, "extraction stopped");
        crc = crc_.value();
        return {};
    }

private:
    // The ring holds 128 KiB plus room for the 8-byte copy steps to overrun
    // a match end; flushing every 32 KiB keeps all unflushed data and the
    // whole 64 KiB history in it.
    static constexpr std::size_t kRing = std::size_t{1} << 17;
    static constexpr std::size_t kMask = kRing - 1;
    static constexpr std::uint64_t kFlush = 32768;

    static Status damaged(const char *why) { return Status::fail(Error::ArchiveDamaged, why); }

    bool flush(std::uint64_t pos) {
        while (flushed_ < pos) {
            const std::size_t at = flushed_ & kMask;
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(pos - flushed_, kRing - at));
            crc_.update(ring_.data() + at, n);
            if (!sink_(ring_.data() + at, n)) return false;
            flushed_ += n;
        }
        return true;
    }

    // Lengths of the temp or position tree. Returns false when damaged.
    template <typename Table>
    bool readPtLen(Table &t, int nn, int nbit, int special) {
        const int n = static_cast<int>(br_.get(nbit));
        if (n == 0) {
            const int c = static_cast<int>(br_.get(nbit));
            if (c >= nn) return false;
            t.setSingle(c);
            return true;
        }
        if (n > nn) return false;
        std::array<std::uint8_t, 32> len{};
        int i = 0;
        while (i < n) {
            int c = static_cast<int>(br_.get(3));
            if (c == 7) {
                while (br_.get(1) == 1) {
                    if (++c > kMaxCodeBits) return false;
                }
            }
            len[i++] = static_cast<std::uint8_t>(c);
            if (i == special) {
                int z = static_cast<int>(br_.get(2));
                while (z-- > 0 && i < n) len[i++] = 0;
            }
        }
        return t.build(len.data(), nn);
    }

    bool readCLen() {
        const int n = static_cast<int>(br_.get(kCBit));
        if (n == 0) {
            const int c = static_cast<int>(br_.get(kCBit));
            if (c >= kNC) return false;
            cTree_.setSingle(c);
            return true;
        }
        if (n > kNC) return false;
        std::array<std::uint8_t, kNC> len{};
        int i = 0;
        while (i < n) {
            br_.refill();
            const int c = tTree_.decode(br_);
            if (c < 0) return false;
            if (c <= 2) {
                int count = 1;
                if (c == 1) count = static_cast<int>(br_.get(4)) + 3;
                else if (c == 2) count = static_cast<int>(br_.get(kCBit)) + 20;
                if (i + count > n) return false;
                i += count;  // already zero
            } else {
                len[i++] = static_cast<std::uint8_t>(c - 2);
            }
            if (br_.overrun()) return false;
        }
        return cTree_.build(len.data(), kNC);
    }

    Status readTrees() {
        if (!readPtLen(tTree_, kNT, kTBit, 3)) return damaged("bad tree");
        if (!readCLen()) return damaged("bad tree");
        if (!readPtLen(pTree_, p_.np, p_.pbit, -1)) return damaged("bad tree");
        if (br_.overrun()) return damaged("compressed data ends early");
        return {};
    }

    StreamParams p_;
    BitReader br_;
    std::uint64_t outSize_;
    const Sink &sink_;
    std::vector<std::uint8_t> ring_;
    std::uint64_t flushed_ = 0;
    Crc16 crc_;
    HuffTable<8, kNT> tTree_;
    HuffTable<12, kNC> cTree_;
    HuffTable<8, 32> pTree_;
};

}  // namespace

Status decodeLzh(Method method, const std::uint8_t *packed, std::size_t packedSize,
                 std::uint64_t originalSize, const Sink &sink, std::uint16_t &crc) {
    if (method == Method::Stored) {
        if (packedSize != originalSize)
            return Status::fail(Error::ArchiveDamaged, "stored size differs from original size");
        Crc16 c;
        std::size_t at = 0;
        while (at < packedSize) {
            const std::size_t n = std::min<std::size_t>(packedSize - at, 65536);
            c.update(packed + at, n);
            if (!sink(packed + at, n)) return Status::fail(Error::Output, "extraction stopped");
            at += n;
        }
        crc = c.value();
        return {};
    }
    if (method == Method::Directory) {
        crc = 0;
        return {};
    }
    if (originalSize == 0) {
        crc = 0;
        return {};
    }
    auto d = std::make_unique<Decoder>(method, packed, packedSize, originalSize, sink);
    return d->run(crc);
}

}  // namespace tqen::unlha
