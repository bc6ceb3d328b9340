#pragma once
// The -lh5- / -lh6- / -lh7- compressor: LZ77 over a sliding window of 8, 32
// or 64 KiB, coded in blocks of static Huffman trees limited to 16 bits.
// Three levels: Fast (lazy matching on short hash chains), Medium (the same
// lazy matching over long chains, whole-length matches and large blocks)
// and Best (every match of a binary-tree finder, parsed for the fewest bits
// under the block's own code lengths, with block ends placed where they
// save bits). Auto, the default, takes Best for small inputs and Medium for
// large ones.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

enum class Level {
    Fast,    // lazy matching: quick, larger output
    Medium,  // lazy matching over long chains: about 1.7 % smaller than Fast on data files, a fifth slower
    Best,    // cost-based parsing: the smallest output, a few times slower than Fast
    Auto,    // Best below kAutoBestBelow bytes, Medium from there on
};

// Auto's limit, by measurement (tqen_bench_lzh on slices of the 100,000-report
// data file, two cores shared with other work, wall clock as the backup
// feels it): Best takes 0.68 s for 4 MiB, 0.85 s for 6 MiB and 1.0 s for
// 8 MiB (0.50 s of processor time), at 2.5 to 3.1 times jlha's speed and
// 0.92 times its size; beyond, 1.4 s for 12 MiB and 2.5 s for 16 MiB (1.85
// times jlha's speed). So Best stays the default while its time stays under
// one second, below 8 MiB; Medium (0.94 times jlha's size there, over eight
// times its speed) takes the larger files.
constexpr std::size_t kAutoBestBelow = 8 * 1024 * 1024;

struct EncoderOptions {
    Level level = Level::Auto;
    // Fast (Medium looks at mediumChain candidates, is never content with a
    // match shorter than 256 and only takes goodLength from here):
    int maxChain = 64;        // candidates looked at per position
    int goodLength = 16;      // a previous match this long quarters the search
    int maxLazy = 32;         // a previous match this long is taken at once
    int niceLength = 128;     // a match this long ends the search
    // Medium:
    int mediumChain = 128;
    // Best:
    int searchDepth = 48;     // tree nodes visited per position
    int longMatch = 64;       // inside a match this long only whole longer matches are looked for,
    int longMatchStep = 6;    // at every this many positions (and all of its last 12 bytes)
    int passes = 1;           // parses of each stretch, each priced by the one before
    int threads = 0;          // threads coding the parts of a large input (0: one per core); the output does not depend on it
    // All: the most codes in one block, below 65,536; 0 takes the level's
    // own (Fast 32,768, Medium and Best 65,535). Fast and Medium write
    // blocks of this size; Best ends a block earlier where that saves bits.
    int blockCodes = 0;
};

// The compressed stream of data (without header). Method must be Lh5, Lh6 or
// Lh7. Empty input gives an empty stream.
std::vector<std::uint8_t> compressLzh(const std::uint8_t *data, std::size_t size, Method method,
                                      const EncoderOptions &options = {});

// Code lengths of a Huffman code for freq, at most maxBits long, forming a
// complete prefix code when two or more symbols are used (all 0 otherwise).
std::vector<std::uint8_t> huffmanLengths(const std::vector<std::uint32_t> &freq, int maxBits);

}  // namespace tqen::unlha
