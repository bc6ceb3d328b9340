#pragma once
// A binary-tree match finder over the sliding window of -lh5-/-lh6-/-lh7-.
// Every position enters one tree per 3-byte hash, kept in string order with
// the newest position at the root, so walking down from the root meets the
// candidates nearest first and finds, for each length, its nearest match.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tqen::unlha {

// How many bytes from a and b agree, up to maxLen; sixteen at a time where
// the processor compares that many at once (every x86-64 does), then eight.
// Matches in data files run long, so most of the finder's time is spent here.
inline __attribute__((always_inline)) int commonLength(const std::uint8_t *a, const std::uint8_t *b, int maxLen) {
    int l = 0;
#ifdef __SSE2__
    while (l + 16 <= maxLen) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + l));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + l));
        const unsigned equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
        if (equal != 0xFFFFu) return l + __builtin_ctz(~equal);
        l += 16;
    }
#endif
    while (l + 8 <= maxLen) {
        std::uint64_t x, y;
        std::memcpy(&x, a + l, 8);
        std::memcpy(&y, b + l, 8);
        if (const std::uint64_t diff = x ^ y) return l + (__builtin_ctzll(diff) >> 3);
        l += 8;
    }
    while (l < maxLen && a[l] == b[l]) ++l;
    return l;
}

struct MatchCandidate {
    std::uint16_t length;   // 3 to 256
    std::uint32_t distance; // 1 to window - 1
};

class BinaryTreeMatchFinder {
public:
    // data must stay alive. depth bounds the nodes visited per position.
    BinaryTreeMatchFinder(const std::uint8_t *data, std::size_t size, int dictBits, int depth);

    // Matches at pos of growing length (each longer than the one before, at
    // the nearest distance found for it), at most kMaxMatch of them, written
    // to out; returns their number. Positions must be entered in increasing
    // order, each at most once, through find or skip; a position left out is
    // only missing from the tree (its matches are not found at later ones).
    int find(std::size_t pos, MatchCandidate *out) { return walk<true>(pos, out, depth_); }
    // The same with a shallower walk, for positions inside a long match.
    int findNear(std::size_t pos, MatchCandidate *out) { return walk<true>(pos, out, skipDepth_); }
    // Enters pos without reporting matches (inside a long match, where a
    // shallower walk keeps the tree good enough).
    void skip(std::size_t pos) { walk<false>(pos, nullptr, skipDepth_); }

private:
    template <bool Report>
    int walk(std::size_t pos, MatchCandidate *out, int depth);

    static constexpr int kHashBits = 16;
    static std::uint32_t hashOf(const std::uint8_t *p) {
        return ((static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2]) * 2654435761u) >>
               (32 - kHashBits);
    }
    const std::uint8_t *d_;
    std::size_t n_;
    std::size_t mask_, maxDist_;
    int depth_, skipDepth_;
    std::vector<std::int32_t> head_, left_, right_;
};

}  // namespace tqen::unlha
