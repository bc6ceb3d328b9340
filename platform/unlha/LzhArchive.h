#pragma once
// LZH archives as a whole: listing, testing and extracting members, and
// creating an archive or adding files to it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/unlha/LzhDecoder.h"
#include "platform/unlha/LzhEncoder.h"
#include "platform/unlha/LzhFormat.h"
#include "platform/unlha/LzhHeader.h"

namespace tqen::unlha {

// The members of an archive held in memory. Stops at the end marker (a 0x00
// byte) or the end of the data; a member whose header or data does not fit
// gives Error::ArchiveDamaged. end, when given, receives the offset just
// after the end marker (size when there is none): what follows it is not
// part of the members.
Status parseArchive(const std::uint8_t *data, std::size_t size, std::vector<Member> &members,
                    std::size_t *end = nullptr);

// How far test and extraction may go. A member, and all chosen members
// together, may expand to `allowance` bytes, and beyond that to `maxRatio`
// times their packed size; the header's original size is what counts, as
// the decoder never gives more. Extraction also needs the members' total
// size free on the target's file system, cap or no cap.
struct ExtractLimits {
    std::uint64_t allowance = std::uint64_t{64} << 20;
    std::uint64_t maxRatio = 1024;      // 0: no cap
    // Asked between pieces of decoded data (every 64 KiB at most) and before
    // each member; true stops with Error::Cancelled.
    std::function<bool()> cancelled;

    static ExtractLimits none() {
        ExtractLimits l;
        l.maxRatio = 0;
        return l;
    }
};

// The checks test and extraction share, before any data is decoded: every
// method is known; every name is a safe relative path whose parts fit a file
// name (255 bytes) and whose whole fits a path; no member is a file where
// another needs a folder (ASCII case ignored, as extraction matches names);
// the sizes are within the cap.
Status checkMembers(const std::vector<const Member *> &members, const ExtractLimits &limits);

// Removes the temporary files of ours (".tqen-lha-" and six letters or
// digits) in folder that no running extraction or archive writer holds:
// what a killed run left behind.
void removeStaleTemporaries(const std::string &folder);

// Returns text with every control character (C0, DEL, C1), the bidirectional
// overrides and each byte that is not UTF-8 written as an escape (\n, \t,
// \x1b, \u202e), so that a member name cannot drive a terminal or split a
// report line.
std::string printable(const std::string &text);

// Decodes one member of an archive held in memory and checks its CRC.
Status decodeMember(const std::uint8_t *archive, const Member &member, const Sink &sink);

class LzhArchive {
public:
    // Reads the archive file and its member list.
    Status open(const std::string &path);

    const std::vector<Member> &members() const { return members_; }
    const std::string &path() const { return path_; }

    // Decodes a member and checks its CRC without writing anything.
    Status test(const Member &member, const ExtractLimits &limits = {}) const;

    // checkMembers, then test of each member.
    Status testMembers(const std::vector<const Member *> &members, const ExtractLimits &limits) const;

    // Writes the members into folder under their stored names, all or
    // nothing. Every name and size is checked first (checkMembers, a file of
    // the target in the way of a folder, the free space); then each member
    // is decoded into a temporary file in its target folder (folders are
    // made as needed, never through a symbolic link), and only when all
    // matched their CRC are they renamed into place. A failure or a cancel
    // removes the temporary files and the folders this call made. An
    // existing file whose name differs only in case is replaced rather than
    // joined by a second one. written receives the paths written.
    Status extractMembers(const std::vector<const Member *> &members, const std::string &folder,
                          const ExtractLimits &limits, std::vector<std::string> *written = nullptr) const;

    // extractMembers for one member with the default limits.
    Status extract(const Member &member, const std::string &folder, std::string *writtenPath = nullptr) const;

private:
    std::string path_;
    std::vector<std::uint8_t> data_;
    std::vector<Member> members_;
};

// path itself when it exists, else an entry of its folder whose name differs
// only in ASCII case, else path unchanged. File names are matched this way
// as they were on the system the command lines come from.
std::string resolveCaseInsensitive(const std::string &path);

struct AddItem {
    std::string sourcePath;   // file of this machine to store
    std::string storedName;   // name in the archive, "/" between folders
};

struct AddedMember {
    std::string name;
    Method method = Method::Stored;
    std::uint64_t originalSize = 0;
    std::uint64_t packedSize = 0;
};

// Creates the archive or adds to it: each item is stored under its name,
// replacing a member of the same name (compared without regard to ASCII
// case). Data that does not shrink, and empty files, are stored as -lh0-.
// The archive is written to a temporary file beside it and renamed into place,
// so a failure leaves the old archive as it was. Bytes that stood after the
// old archive's end marker stay after the new one.
Status addToArchive(const std::string &archivePath, const std::vector<AddItem> &items, Method method,
                    std::vector<AddedMember> &added, const EncoderOptions &options = {});

}  // namespace tqen::unlha
