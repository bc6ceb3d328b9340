#pragma once
// The coding half of the -lh5-/-lh6-/-lh7- compressor, shared by its levels:
// the bit writer (most significant bit first), Huffman code lengths limited to
// 16 bits and complete, canonical codes, the three trees of a block (temp,
// char and position) and the writing of a block: its 16-bit code count, the
// trees in their compact forms, then the codes. The match finders and the
// parsers that choose the codes are elsewhere (LzhMatchFinder, LzhEncoder,
// LzhOptimalEncoder).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

// Bits appended to a byte vector, most significant first.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t> &out) : out_(out) {}
    // Appends the low `bits` bits of value, most significant first (bits <= 32).
    void put(int bits, std::uint32_t value) {
        if (bits == 0) return;
        acc_ = (acc_ << bits) | (value & ((std::uint64_t{1} << bits) - 1));
        n_ += bits;
        total_ += static_cast<std::uint64_t>(bits);
        while (n_ >= 8) {
            n_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(acc_ >> n_));
        }
    }
    void flush() {
        if (n_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_ << (8 - n_)));
        n_ = 0;
        acc_ = 0;
    }
    // Bits put so far (flushing pads the last byte but does not count).
    std::uint64_t bits() const { return total_; }
    // Appends the first `bits` bits of a stream another writer made.
    void append(const std::vector<std::uint8_t> &stream, std::uint64_t bits) {
        const std::size_t whole = static_cast<std::size_t>(bits / 8);
        for (std::size_t i = 0; i < whole; ++i) put(8, stream[i]);
        if (const int rest = static_cast<int>(bits % 8)) put(rest, static_cast<std::uint32_t>(stream[whole] >> (8 - rest)));
    }

private:
    std::vector<std::uint8_t> &out_;
    std::uint64_t acc_ = 0;
    std::uint64_t total_ = 0;
    int n_ = 0;
};

// One code of a block: a literal, or a match's length and distance.
struct Code {
    std::uint16_t c;    // literal 0-255 or 256 + length - 3
    std::uint16_t off;  // distance - 1 for a match
};

inline int bitLength(unsigned v) { return v == 0 ? 0 : 32 - __builtin_clz(v); }

// Code lengths of a Huffman code over freq[0..n), at most maxBits long and
// complete. Symbols of frequency 0 get length 0. Returns the number of used
// symbols; with fewer than two no lengths are set (the caller writes such a
// tree in its one-symbol form).
int buildLengths(const std::uint32_t *freq, int n, int maxBits, std::uint8_t *len, int *onlySymbol);

// Canonical codes: shorter codes first, equal lengths in symbol order.
void makeCodes(const std::uint8_t *len, int n, std::uint16_t *code);

// The three trees of a block, built from its symbol frequencies.
struct BlockTrees {
    std::array<std::uint8_t, kNC> cLen{};
    std::array<std::uint16_t, kNC> cCode{};
    std::array<std::uint8_t, 32> pLen{};
    std::array<std::uint16_t, 32> pCode{};
    std::array<std::uint8_t, kNT> tLen{};
    std::array<std::uint16_t, kNT> tCode{};
    int cUsed = 0, cOnly = 0, pUsed = 0, pOnly = 0, tUsed = 0, tOnly = 0;
    int cCount = 0;  // char-tree lengths written (trailing zeros dropped)
};

// The trees of a block holding codes of these frequencies (np position symbols).
void buildTrees(const std::uint32_t *cFreq, const std::uint32_t *pFreq, int np, BlockTrees &t);

// Bits of a block's head: the 16-bit code count and the three trees.
std::uint64_t blockHeadBits(const StreamParams &p, const BlockTrees &t);

// Writes codes[0..n) as one block (n between 1 and 65,535).
void writeCodes(BitWriter &bw, const StreamParams &p, const Code *codes, std::size_t n);

}  // namespace tqen::unlha
