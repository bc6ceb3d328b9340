#pragma once
// Constants of the LZH compressed stream and the methods this codec knows.
#include <cstdint>
#include <string>
#include <string_view>

namespace tqen::unlha {

enum class Method { Stored, Lh5, Lh6, Lh7, Directory };

// The five-character method id of a header ("-lh5-").
std::string_view methodId(Method m);
// The method of a header id; false for an id this codec cannot decode.
bool methodFromId(std::string_view id, Method &m);

// Sliding-dictionary parameters of -lh5-, -lh6- and -lh7-.
struct StreamParams {
    int dictBits;   // 13, 15, 16
    int np;         // symbols of the position tree: 14, 16, 17
    int pbit;       // width of the position tree's count field: 4, 5, 5
};
StreamParams streamParams(Method m);

constexpr int kNC = 510;        // literals 0-255 and lengths 3-256
constexpr int kNT = 19;         // temp tree
constexpr int kTBit = 5;
constexpr int kCBit = 9;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kMaxCodeBits = 16;

// Outcome of an operation: code 0 is success; message says why it failed.
enum class Error {
    None = 0,
    CommandLine = 1,      // a command line or argument that cannot be used
    ArchiveOpen = 2,      // the archive cannot be opened or read
    ArchiveDamaged = 3,   // a header or compressed stream that is not valid
    Crc = 4,              // the data does not match its CRC
    Unsupported = 5,      // a method or header this codec does not handle
    FileRead = 6,         // a file to store cannot be read
    FileWrite = 7,        // a file or the archive cannot be written
    UnsafeName = 8,       // a member name that would leave the target folder
    NoMatch = 9,          // no member matched the pattern
    Output = 10,          // a consumer of the extracted data stopped it
    TooLarge = 11,        // a member would expand beyond the cap on its size
    Cancelled = 12,       // extraction or test stopped on request
};

struct Status {
    Error error = Error::None;
    std::string message;
    bool ok() const { return error == Error::None; }
    static Status fail(Error e, std::string msg) { return Status{e, std::move(msg)}; }
};

}  // namespace tqen::unlha
