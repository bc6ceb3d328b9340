#pragma once
// The -lh5- / -lh6- / -lh7- compressor: LZ77 over a sliding window of 8, 32
// or 64 KiB with lazy matching on hash chains, coded in blocks of static
// Huffman trees limited to 16 bits.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

struct EncoderOptions {
    int maxChain = 64;        // candidates looked at per position
    int goodLength = 16;      // a previous match this long quarters the search
    int maxLazy = 32;         // a previous match this long is taken at once
    int niceLength = 128;     // a match this long ends the search
    int blockCodes = 32768;   // codes per block (must stay below 65,536)
};

// The compressed stream of data (without header). Method must be Lh5, Lh6 or
// Lh7. Empty input gives an empty stream.
std::vector<std::uint8_t> compressLzh(const std::uint8_t *data, std::size_t size, Method method,
                                      const EncoderOptions &options = {});

// Code lengths of a Huffman code for freq, at most maxBits long, forming a
// complete prefix code when two or more symbols are used (all 0 otherwise).
std::vector<std::uint8_t> huffmanLengths(const std::vector<std::uint32_t> &freq, int maxBits);

}  // namespace tqen::unlha
