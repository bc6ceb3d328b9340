#include "platform/unlha/LzhArchive.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/unlha/Crc16.h"

namespace tqen::unlha {

namespace {

std::string sysError() { return std::strerror(errno); }

std::string lowerAscii(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

Status readWholeFile(const std::string &path, std::vector<std::uint8_t> &out, Error error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Status::fail(error, "cannot open " + path + ": " + sysError());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::fail(error, path + " is not a regular file");
    }
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t r = ::read(fd, out.data() + got, out.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            const std::string why = r < 0 ? sysError() : "file shrank while read";
            ::close(fd);
            return Status::fail(error, "cannot read " + path + ": " + why);
        }
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    return {};
}

bool writeAll(int fd, const std::uint8_t *p, std::size_t n) {
    while (n > 0) {
        const ssize_t r = ::write(fd, p, n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

std::string folderOf(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// An entry of folder whose name equals `name` ignoring ASCII case, or name
// itself when there is none (or an exact one).
std::string caseInsensitiveEntry(const std::string &folder, const std::string &name) {
    struct stat st {};
    if (::lstat((folder + "/" + name).c_str(), &st) == 0) return name;
    DIR *d = ::opendir(folder.c_str());
    if (!d) return name;
    std::string found = name;
    const std::string want = lowerAscii(name);
    while (const dirent *e = ::readdir(d)) {
        if (lowerAscii(e->d_name) == want) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

int currentUmask() {
    const mode_t m = ::umask(022);
    ::umask(m);
    return static_cast<int>(m);
}

}  // namespace

std::string resolveCaseInsensitive(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return caseInsensitiveEntry(".", path);
    const std::string name = path.substr(slash + 1);
    if (name.empty()) return path;
    return path.substr(0, slash + 1) + caseInsensitiveEntry(slash == 0 ? "/" : path.substr(0, slash), name);
}

Status parseArchive(const std::uint8_t *data, std::size_t size, std::vector<Member> &members) {
    members.clear();
    std::size_t pos = 0;
    while (pos < size && data[pos] != 0) {
        Member m;
        std::size_t headerSize = 0;
        if (Status s = readHeader(data + pos, size - pos, m, headerSize); !s.ok()) {
            s.message = "member " + std::to_string(members.size() + 1) + ": " + s.message;
            return s;
        }
        m.headerOffset = pos;
        m.dataOffset = pos + headerSize;
        if (m.packedSize > size - m.dataOffset)
            return Status::fail(Error::ArchiveDamaged, m.name + ": packed data cut short");
        if (m.methodKnown && m.method == Method::Stored && m.packedSize != m.originalSize)
            return Status::fail(Error::ArchiveDamaged, m.name + ": stored size differs from original size");
        pos = m.dataOffset + static_cast<std::size_t>(m.packedSize);
        members.push_back(std::move(m));
    }
    return {};
}

Status decodeMember(const std::uint8_t *archive, const Member &m, const Sink &sink) {
    if (!m.methodKnown) return Status::fail(Error::Unsupported, m.name + ": method " + m.methodId + " is not supported");
    std::uint16_t crc = 0;
    Status s = decodeLzh(m.method, archive + m.dataOffset, static_cast<std::size_t>(m.packedSize),
                         m.originalSize, sink, crc);
    if (!s.ok()) {
        s.message = m.name + ": " + s.message;
        return s;
    }
    if (m.method != Method::Directory && crc != m.crc)
        return Status::fail(Error::Crc, m.name + ": CRC mismatch (data damaged)");
    return {};
}

Status LzhArchive::open(const std::string &path) {
    path_ = path;
    members_.clear();
    data_.clear();
    if (Status s = readWholeFile(path, data_, Error::ArchiveOpen); !s.ok()) return s;
    return parseArchive(data_.data(), data_.size(), members_);
}

Status LzhArchive::test(const Member &m) const {
    return decodeMember(data_.data(), m, [](const std::uint8_t *, std::size_t) { return true; });
}

Status LzhArchive::extract(const Member &m, const std::string &folderIn, std::string *writtenPath) const {
    std::string rel;
    if (!safeRelativePath(m.name, rel))
        return Status::fail(Error::UnsafeName, "refused member name \"" + m.name + "\" (leaves the target folder)");
    if (!m.methodKnown) return Status::fail(Error::Unsupported, m.name + ": method " + m.methodId + " is not supported");
    std::string folder = folderIn.empty() ? "." : folderIn;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Status::fail(Error::FileWrite, "target folder " + folder + " does not exist");

    // Make the folders of the path, never through a symbolic link.
    std::string dir = folder;
    std::size_t at = 0;
    const bool isDir = m.method == Method::Directory;
    for (;;) {
        const std::size_t slash = rel.find('/', at);
        if (slash == std::string::npos && !isDir) break;
        const std::string part = rel.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        dir += "/" + part;
        if (::lstat(dir.c_str(), &st) == 0) {
            if (S_ISLNK(st.st_mode)) return Status::fail(Error::UnsafeName, m.name + ": path runs through a link");
            if (!S_ISDIR(st.st_mode)) return Status::fail(Error::FileWrite, dir + " exists and is not a folder");
        } else if (::mkdir(dir.c_str(), 0777) != 0) {
            return Status::fail(Error::FileWrite, "cannot make folder " + dir + ": " + sysError());
        }
        if (slash == std::string::npos) break;
        at = slash + 1;
    }
    if (isDir) {
        if (writtenPath) *writtenPath = dir;
        return {};
    }
    const std::string base = caseInsensitiveEntry(dir, rel.substr(at));
    const std::string target = dir + "/" + base;
    if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return Status::fail(Error::FileWrite, target + " is a folder");

    std::string temp = dir + "/.tqen-lha-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Status::fail(Error::FileWrite, "cannot write in " + dir + ": " + sysError());
    bool writeFailed = false;
    Status s = decodeMember(data_.data(), m, [&](const std::uint8_t *p, std::size_t n) {
        if (!writeAll(fd, p, n)) {
            writeFailed = true;
            return false;
        }
        return true;
    });
    if (writeFailed) s = Status::fail(Error::FileWrite, "cannot write " + target + ": " + sysError());
    if (s.ok()) {
        ::fchmod(fd, static_cast<mode_t>(0666 & ~currentUmask()));
        const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(m.mtime), 0}};
        ::futimens(fd, times);
        if (::fsync(fd) != 0) s = Status::fail(Error::FileWrite, "cannot write " + target + ": " + sysError());
    }
    if (::close(fd) != 0 && s.ok()) s = Status::fail(Error::FileWrite, "cannot write " + target + ": " + sysError());
    if (s.ok() && ::rename(temp.c_str(), target.c_str()) != 0)
        s = Status::fail(Error::FileWrite, "cannot replace " + target + ": " + sysError());
    if (!s.ok()) {
        ::unlink(temp.c_str());
        return s;
    }
    if (writtenPath) *writtenPath = target;
    return {};
}

Status addToArchive(const std::string &archivePath, const std::vector<AddItem> &items, Method method,
                    std::vector<AddedMember> &added, const EncoderOptions &options) {
    added.clear();
    std::vector<std::uint8_t> old;
    std::vector<Member> oldMembers;
    struct stat st {};
    if (::stat(archivePath.c_str(), &st) == 0) {
        if (Status s = readWholeFile(archivePath, old, Error::ArchiveOpen); !s.ok()) return s;
        if (Status s = parseArchive(old.data(), old.size(), oldMembers); !s.ok()) {
            s.message = archivePath + ": " + s.message;
            return s;
        }
    }

    // The new members in order, the last of equal names winning.
    std::vector<std::vector<std::uint8_t>> newBytes;
    std::map<std::string, std::size_t> byName;
    for (const AddItem &item : items) {
        std::string rel;
        if (!safeRelativePath(item.storedName, rel) || rel.size() > 32768)
            return Status::fail(Error::CommandLine, "cannot store a file under the name \"" + item.storedName + "\"");
        std::vector<std::uint8_t> data;
        if (Status s = readWholeFile(item.sourcePath, data, Error::FileRead); !s.ok()) return s;
        if (data.size() > 0xFFFFFFFFu)
            return Status::fail(Error::Unsupported, item.sourcePath + " is larger than 4 GiB");
        struct stat fs {};
        ::stat(item.sourcePath.c_str(), &fs);
        const std::uint16_t crc = Crc16::of(data.data(), data.size());
        std::vector<std::uint8_t> packed;
        Method used = Method::Stored;
        if (!data.empty() && method != Method::Stored) {
            packed = compressLzh(data.data(), data.size(), method, options);
            if (packed.size() < data.size()) used = method;
        }
        const std::uint8_t *payload = used == Method::Stored ? data.data() : packed.data();
        const std::size_t payloadSize = used == Method::Stored ? data.size() : packed.size();
        std::vector<std::uint8_t> bytes =
            writeLevel2Header(rel, used, payloadSize, data.size(), crc, static_cast<std::int64_t>(fs.st_mtime));
        bytes.insert(bytes.end(), payload, payload + payloadSize);
        AddedMember a{rel, used, data.size(), payloadSize};
        const std::string key = lowerAscii(rel);
        if (auto it = byName.find(key); it != byName.end()) {
            newBytes[it->second] = std::move(bytes);
            added[it->second] = a;
        } else {
            byName[key] = newBytes.size();
            newBytes.push_back(std::move(bytes));
            added.push_back(a);
        }
    }

    std::vector<std::uint8_t> out;
    std::vector<bool> placed(newBytes.size(), false);
    for (const Member &m : oldMembers) {
        if (auto it = byName.find(lowerAscii(m.name)); it != byName.end()) {
            if (!placed[it->second]) {
                out.insert(out.end(), newBytes[it->second].begin(), newBytes[it->second].end());
                placed[it->second] = true;
            }
            continue;
        }
        out.insert(out.end(), old.begin() + static_cast<std::ptrdiff_t>(m.headerOffset),
                   old.begin() + static_cast<std::ptrdiff_t>(m.dataOffset + m.packedSize));
    }
    for (std::size_t i = 0; i < newBytes.size(); ++i)
        if (!placed[i]) out.insert(out.end(), newBytes[i].begin(), newBytes[i].end());
    out.push_back(0);

    // An archive path that is a symlink is written through: the new archive
    // replaces the file the link points at, and the link stays. A link that
    // points nowhere is refused rather than replaced by a file.
    std::string target = archivePath;
    struct stat ls {};
    if (::lstat(archivePath.c_str(), &ls) == 0 && S_ISLNK(ls.st_mode)) {
        char *real = ::realpath(archivePath.c_str(), nullptr);
        if (!real)
            return Status::fail(Error::FileWrite, "cannot write the archive " + archivePath +
                                                      ": it is a symbolic link to a file that does not exist");
        target = real;
        std::free(real);
    }
    // The new archive gets the mode (and, where allowed, the owner) of the
    // file it replaces, so a private archive stays private.
    struct stat prior {};
    const bool replacing = ::stat(target.c_str(), &prior) == 0 && S_ISREG(prior.st_mode);
    std::string temp = folderOf(target) + "/.tqen-lha-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Status::fail(Error::FileWrite, "cannot write the archive " + archivePath + ": " + sysError());
    bool ok = writeAll(fd, out.data(), out.size());
    if (ok) {
        if (replacing) {
            if (::fchown(fd, prior.st_uid, prior.st_gid) != 0) { /* not the owner: the mode still carries over */ }
            ::fchmod(fd, prior.st_mode & 07777);
        } else {
            ::fchmod(fd, static_cast<mode_t>(0666 & ~currentUmask()));
        }
        ok = ::fsync(fd) == 0;
    }
    std::string why = ok ? std::string() : sysError();
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = sysError();
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        why = sysError();
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Status::fail(Error::FileWrite, "cannot write the archive " + archivePath + ": " + why);
    }
    return {};
}

}  // namespace tqen::unlha
