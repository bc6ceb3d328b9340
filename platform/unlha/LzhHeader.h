#pragma once
// Member headers of LZH archives: reading levels 0, 1 and 2, writing level 2.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

struct Member {
    std::string name;           // path in UTF-8, "/" between folders, as stored
    std::string methodId;       // "-lh5-" …
    Method method = Method::Stored;
    bool methodKnown = false;   // false for a method this codec cannot decode
    std::uint64_t packedSize = 0;
    std::uint64_t originalSize = 0;
    std::uint16_t crc = 0;      // CRC-16 of the original data
    std::int64_t mtime = 0;     // seconds since 1970, UTC
    int level = 0;
    std::size_t headerOffset = 0;   // where the header starts in the archive
    std::size_t dataOffset = 0;     // where the packed data starts
};

// Reads the header at data[0..size). On success sets member (offsets relative
// to data) and headerSize (bytes up to the packed data). A header that does
// not fit, has a wrong checksum or CRC, or impossible fields gives
// Error::ArchiveDamaged; an unknown header level gives Error::Unsupported.
Status readHeader(const std::uint8_t *data, std::size_t size, Member &member, std::size_t &headerSize);

// A level-2 header for a member: method, sizes, Unix time, data CRC, OS id
// 'U', the header-CRC extension and the name (UTF-8, "/" between folders).
std::vector<std::uint8_t> writeLevel2Header(const std::string &name, Method method,
                                            std::uint64_t packedSize, std::uint64_t originalSize,
                                            std::uint16_t crc, std::int64_t mtime);

// A stored name as a relative path of this machine: folders split at "/",
// "." and empty parts dropped. False for an absolute path, a drive letter,
// or a ".." part.
bool safeRelativePath(const std::string &name, std::string &path);

}  // namespace tqen::unlha
