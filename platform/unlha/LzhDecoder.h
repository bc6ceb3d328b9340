#pragma once
// The -lh0- / -lh5- / -lh6- / -lh7- decompressor. It never trusts its input:
// a damaged stream ends with an Error::ArchiveDamaged status, never with a
// crash, a hang or output beyond the original size.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

// Receives the decoded data in pieces; returning false stops the decoder.
using Sink = std::function<bool(const std::uint8_t *data, std::size_t size)>;

// Decodes `packedSize` bytes of `method` into exactly `originalSize` bytes
// handed to sink, and sets crc to the CRC-16 of that output. The caller
// compares crc with the header.
Status decodeLzh(Method method, const std::uint8_t *packed, std::size_t packedSize,
                 std::uint64_t originalSize, const Sink &sink, std::uint16_t &crc);

}  // namespace tqen::unlha
