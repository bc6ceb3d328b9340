#pragma once
// The -lh5- / -lh6- / -lh7- compressor: LZ77 over a sliding window of 8, 32
// or 64 KiB, coded in blocks of static Huffman trees limited to 16 bits.
// Two levels: Fast (lazy matching on hash chains) and Best (every match of
// a binary-tree finder, parsed for the fewest bits under the block's own
// code lengths, with block ends placed where they save bits).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

enum class Level {
    Fast,   // lazy matching: quick, larger output
    Best,   // cost-based parsing: the smallest output, a few times slower
};

struct EncoderOptions {
    Level level = Level::Best;
    // Fast:
    int maxChain = 64;        // candidates looked at per position
    int goodLength = 16;      // a previous match this long quarters the search
    int maxLazy = 32;         // a previous match this long is taken at once
    int niceLength = 128;     // a match this long ends the search
    // Best:
    int searchDepth = 48;     // tree nodes visited per position
    int longMatch = 64;       // inside a match this long only whole longer matches are looked for
    int passes = 1;           // parses of each stretch, each priced by the one before
    // Both: the most codes in one block, below 65,536; 0 takes the level's
    // own (Fast 32,768, Best 65,535). Fast writes blocks of this size; Best
    // ends a block earlier where that saves bits.
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
