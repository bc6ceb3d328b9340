#pragma once
// LZH archives as a whole: listing, testing and extracting members, and
// creating an archive or adding files to it.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/unlha/LzhDecoder.h"
#include "platform/unlha/LzhEncoder.h"
#include "platform/unlha/LzhFormat.h"
#include "platform/unlha/LzhHeader.h"

namespace tqen::unlha {

// The members of an archive held in memory. Stops at the end marker (a 0x00
// byte) or the end of the data; a member whose header or data does not fit
// gives Error::ArchiveDamaged.
Status parseArchive(const std::uint8_t *data, std::size_t size, std::vector<Member> &members);

// Decodes one member of an archive held in memory and checks its CRC.
Status decodeMember(const std::uint8_t *archive, const Member &member, const Sink &sink);

class LzhArchive {
public:
    // Reads the archive file and its member list.
    Status open(const std::string &path);

    const std::vector<Member> &members() const { return members_; }
    const std::string &path() const { return path_; }

    // Decodes a member and checks its CRC without writing anything.
    Status test(const Member &member) const;

    // Writes a member into folder under its stored name (folders are made as
    // needed). The data goes to a temporary file in the target folder that
    // replaces the target only after the CRC matched; a name that would
    // leave the folder is refused. An existing file whose name differs only
    // in case is replaced rather than joined by a second one. writtenPath
    // receives the path written.
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
// so a failure leaves the old archive as it was.
Status addToArchive(const std::string &archivePath, const std::vector<AddItem> &items, Method method,
                    std::vector<AddedMember> &added, const EncoderOptions &options = {});

}  // namespace tqen::unlha
