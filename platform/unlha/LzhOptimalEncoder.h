#pragma once
// The Best level of the -lh5-/-lh6-/-lh7- compressor: an optimal parse over
// the binary-tree match finder. The input is taken in stretches of 16 KiB;
// every position of a stretch gets its matches from the tree, then the
// stretch is parsed for the fewest bits, a literal or any match length being
// priced by the code lengths of the block it joins, and a stretch starts a
// new block where two blocks cost fewer bits than one. LzhEncoder cuts a
// large input into parts and codes each here on a thread of its own.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/unlha/LzhEncoder.h"

namespace tqen::unlha {

// Codes data[begin, end) of data[0, size) as blocks appended to out, its
// matches reaching back before begin, so that parts coded apart join into
// one stream. Returns the bits written before the padding of the last byte.
std::uint64_t compressBestPart(const std::uint8_t *data, std::size_t size, std::size_t begin, std::size_t end,
                               Method method, const EncoderOptions &options, std::vector<std::uint8_t> &out);

}  // namespace tqen::unlha
