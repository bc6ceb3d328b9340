#include "platform/unlha/LzhArchive.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

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

constexpr char kTempPrefix[] = ".tqen-lha-";
constexpr std::size_t kTempPrefixSize = sizeof kTempPrefix - 1;
constexpr std::size_t kTempSuffixSize = 6;   // mkstemp's XXXXXX
constexpr std::size_t kNameMax = 255;        // bytes of one file name

bool isTemporaryName(const char *name) {
    if (std::strncmp(name, kTempPrefix, kTempPrefixSize) != 0) return false;
    const char *rest = name + kTempPrefixSize;
    if (std::strlen(rest) != kTempSuffixSize) return false;
    for (const char *p = rest; *p; ++p)
        if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9'))) return false;
    return true;
}

// A new temporary file in folder, held under an exclusive lock for as long
// as it is open: the lock tells a later run that the file is in use. A file
// another run's clean-up removed between its creation and the lock is not
// used; a fresh one is made instead.
int makeTemporary(const std::string &folder, std::string &path) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        path = folder + "/" + kTempPrefix + "XXXXXX";
        const int fd = ::mkstemp(path.data());
        if (fd < 0) return -1;
        struct stat held {}, named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
    errno = EBUSY;
    return -1;
}

std::string withThousands(std::uint64_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

// The largest size `packed` bytes may expand to under the limits.
std::uint64_t expansionCap(std::uint64_t packed, const ExtractLimits &limits) {
    if (limits.maxRatio == 0) return UINT64_MAX;
    const std::uint64_t byRatio =
        packed > UINT64_MAX / limits.maxRatio ? UINT64_MAX : packed * limits.maxRatio;
    return std::max(limits.allowance, byRatio);
}

Status cancelledStatus() { return Status::fail(Error::Cancelled, "stopped on request"); }

// A sink that also asks the limits whether to stop.
struct CancellableSink {
    const ExtractLimits &limits;
    bool cancelled = false;
    bool ask() {
        if (!cancelled && limits.cancelled && limits.cancelled()) cancelled = true;
        return !cancelled;
    }
};

}  // namespace

void removeStaleTemporaries(const std::string &folder) {
    DIR *d = ::opendir(folder.c_str());
    if (!d) return;
    std::vector<std::string> names;
    while (const dirent *e = ::readdir(d))
        if (isTemporaryName(e->d_name)) names.emplace_back(e->d_name);
    ::closedir(d);
    for (const std::string &name : names) {
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // Held by a live run: its lock fails. A killed run's lock went with it.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
        ::close(fd);
    }
}

std::string printable(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    auto hex = [&](const char *format, unsigned v) {
        char buf[16];
        std::snprintf(buf, sizeof buf, format, v);
        out += buf;
    };
    const auto *s = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            if (c == '\n') out += "\\n";
            else if (c == '\t') out += "\\t";
            else if (c == '\r') out += "\\r";
            else if (c < 0x20 || c == 0x7F) hex("\\x%02x", c);
            else out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        // One UTF-8 sequence, shortest form, no surrogates, at most U+10FFFF.
        int len = 0;
        unsigned cp = 0, min = 0;
        if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F, min = 0x80;
        else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F, min = 0x800;
        else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07, min = 0x10000;
        bool ok = len > 0 && i + static_cast<std::size_t>(len) <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) ok = false;
            else cp = cp << 6 | (s[i + k] & 0x3F);
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            hex("\\x%02x", c);
            ++i;
            continue;
        }
        const bool control = (cp >= 0x80 && cp <= 0x9F) || (cp >= 0x202A && cp <= 0x202E) ||
                             (cp >= 0x2066 && cp <= 0x2069) || cp == 0x2028 || cp == 0x2029;
        if (control) hex("\\u%04x", cp);
        else out.append(text, i, static_cast<std::size_t>(len));
        i += static_cast<std::size_t>(len);
    }
    return out;
}

Status checkMembers(const std::vector<const Member *> &members, const ExtractLimits &limits) {
    std::set<std::string> files, folders;   // relative paths, ASCII lower case
    std::uint64_t totalOriginal = 0, totalPacked = 0;
    for (const Member *m : members) {
        const std::string shown = printable(m->name);
        std::string rel;
        if (!safeRelativePath(m->name, rel))
            return Status::fail(Error::UnsafeName, "refused member name \"" + shown + "\" (leaves the target folder)");
        if (!m->methodKnown)
            return Status::fail(Error::Unsupported, shown + ": method " + printable(m->methodId) + " is not supported");
        if (rel.size() >= PATH_MAX - kTempPrefixSize - kTempSuffixSize - 2)
            return Status::fail(Error::UnsafeName, "refused member name \"" + shown.substr(0, 200) +
                                                        "…\" (" + withThousands(rel.size()) + " bytes, longer than a path)");
        const std::string lower = lowerAscii(rel);
        std::size_t at = 0;
        for (;;) {
            const std::size_t slash = lower.find('/', at);
            const std::size_t end = slash == std::string::npos ? lower.size() : slash;
            if (end - at > kNameMax)
                return Status::fail(Error::UnsafeName,
                                    "refused member name \"" + shown.substr(0, 200) + "…\" (a part longer than 255 bytes)");
            if (slash == std::string::npos) break;
            folders.insert(lower.substr(0, slash));
            at = slash + 1;
        }
        if (m->method == Method::Directory) folders.insert(lower);
        else files.insert(lower);

        if (m->originalSize > expansionCap(m->packedSize, limits))
            return Status::fail(Error::TooLarge, shown + ": " + withThousands(m->packedSize) + " bytes would expand to " +
                                                     withThousands(m->originalSize) + " bytes, beyond the cap");
        totalOriginal += m->originalSize;
        totalPacked += m->packedSize;
    }
    for (const std::string &f : files)
        if (folders.count(f))
            return Status::fail(Error::UnsafeName, "member \"" + printable(f) + "\" is both a file and a folder");
    if (totalOriginal > expansionCap(totalPacked, limits))
        return Status::fail(Error::TooLarge, "the members would expand " + withThousands(totalPacked) + " bytes to " +
                                                 withThousands(totalOriginal) + " bytes, beyond the cap");
    return {};
}

std::string resolveCaseInsensitive(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return caseInsensitiveEntry(".", path);
    const std::string name = path.substr(slash + 1);
    if (name.empty()) return path;
    return path.substr(0, slash + 1) + caseInsensitiveEntry(slash == 0 ? "/" : path.substr(0, slash), name);
}

Status parseArchive(const std::uint8_t *data, std::size_t size, std::vector<Member> &members, std::size_t *end) {
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
    if (end) *end = pos < size ? pos + 1 : size;
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

Status LzhArchive::test(const Member &m, const ExtractLimits &limits) const {
    if (m.originalSize > expansionCap(m.packedSize, limits))
        return checkMembers({&m}, limits);
    CancellableSink c{limits};
    if (!c.ask()) return cancelledStatus();
    Status s = decodeMember(data_.data(), m, [&](const std::uint8_t *, std::size_t) { return c.ask(); });
    return c.cancelled ? cancelledStatus() : s;
}

Status LzhArchive::testMembers(const std::vector<const Member *> &members, const ExtractLimits &limits) const {
    if (Status s = checkMembers(members, limits); !s.ok()) return s;
    for (const Member *m : members)
        if (Status s = test(*m, limits); !s.ok()) return s;
    return {};
}

namespace {

// One member's place in an extraction.
struct Planned {
    const Member *member;
    std::string dir;        // folder the file goes into (the folder itself for a folder member)
    std::string target;     // the file's path; empty for a folder member
    std::string temp;       // its temporary file once written
};

// What an extraction made, undone when it fails.
struct Undo {
    std::vector<std::string> folders;   // in the order made
    std::vector<std::string> temps;
    bool done = false;
    ~Undo() {
        if (done) return;
        for (const std::string &t : temps) ::unlink(t.c_str());
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) ::rmdir(it->c_str());
    }
};

}  // namespace

Status LzhArchive::extractMembers(const std::vector<const Member *> &members, const std::string &folderIn,
                                  const ExtractLimits &limits, std::vector<std::string> *written) const {
    if (written) written->clear();
    std::string folder = folderIn.empty() ? "." : folderIn;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Status::fail(Error::FileWrite, "target folder " + folder + " does not exist");
    if (Status s = checkMembers(members, limits); !s.ok()) return s;

    // Every path against what the target already holds, before anything is
    // written: a folder of a name must not be a file or a link there.
    std::vector<Planned> plan;
    std::map<std::string, std::string> targets;   // lower-case path -> the one path used for it
    std::uint64_t needed = 0;
    for (const Member *m : members) {
        std::string rel;
        safeRelativePath(m->name, rel);
        const bool isDir = m->method == Method::Directory;
        if (folder.size() + 1 + rel.size() + kTempPrefixSize + kTempSuffixSize + 2 >= PATH_MAX)
            return Status::fail(Error::UnsafeName, "refused member name \"" + printable(m->name).substr(0, 200) +
                                                       "…\" (too long a path in " + folder + ")");
        std::string dir = folder;
        std::size_t at = 0;
        bool exists = true;
        for (;;) {
            const std::size_t slash = rel.find('/', at);
            if (slash == std::string::npos && !isDir) break;
            dir += "/" + rel.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
            if (exists && ::lstat(dir.c_str(), &st) == 0) {
                if (S_ISLNK(st.st_mode))
                    return Status::fail(Error::UnsafeName, printable(m->name) + ": path runs through a link");
                if (!S_ISDIR(st.st_mode))
                    return Status::fail(Error::FileWrite, printable(dir) + " exists and is not a folder");
            } else {
                exists = false;
            }
            if (slash == std::string::npos) break;
            at = slash + 1;
        }
        Planned p{m, dir, {}, {}};
        if (!isDir) {
            std::string target = dir + "/" + (exists ? caseInsensitiveEntry(dir, rel.substr(at)) : rel.substr(at));
            if (exists && ::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                return Status::fail(Error::FileWrite, printable(target) + " is a folder");
            // Two members whose names differ only in case make one file.
            const auto [it, fresh] = targets.emplace(lowerAscii(target), target);
            p.target = fresh ? target : it->second;
            needed += m->originalSize;
        }
        plan.push_back(std::move(p));
    }
    struct statvfs fsInfo {};
    if (::statvfs(folder.c_str(), &fsInfo) == 0) {
        const std::uint64_t freeBytes = std::uint64_t{fsInfo.f_bavail} * fsInfo.f_frsize;
        if (needed > freeBytes)
            return Status::fail(Error::FileWrite, "extracting needs " + withThousands(needed) + " bytes but only " +
                                                      withThousands(freeBytes) + " are free in " + folder);
    }

    // Decode every member into a temporary file beside its target.
    Undo undo;
    std::set<std::string> cleaned;
    CancellableSink c{limits};
    for (Planned &p : plan) {
        if (!c.ask()) return cancelledStatus();
        std::size_t from = folder.size();
        while (from < p.dir.size()) {
            const std::size_t slash = p.dir.find('/', from + 1);
            const std::string part = p.dir.substr(0, slash);
            if (::mkdir(part.c_str(), 0777) == 0) undo.folders.push_back(part);
            else if (errno != EEXIST || ::lstat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return Status::fail(Error::FileWrite, "cannot make folder " + printable(part) + ": " + sysError());
            if (slash == std::string::npos) break;
            from = slash;
        }
        if (p.target.empty()) continue;
        if (cleaned.insert(p.dir).second) removeStaleTemporaries(p.dir);
        const int fd = makeTemporary(p.dir, p.temp);
        if (fd < 0) return Status::fail(Error::FileWrite, "cannot write in " + printable(p.dir) + ": " + sysError());
        undo.temps.push_back(p.temp);
        bool writeFailed = false;
        Status s = decodeMember(data_.data(), *p.member, [&](const std::uint8_t *d, std::size_t n) {
            if (!writeAll(fd, d, n)) {
                writeFailed = true;
                return false;
            }
            return c.ask();
        });
        if (writeFailed) s = Status::fail(Error::FileWrite, "cannot write " + printable(p.target) + ": " + sysError());
        else if (c.cancelled) s = cancelledStatus();
        if (s.ok()) {
            ::fchmod(fd, static_cast<mode_t>(0666 & ~currentUmask()));
            const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(p.member->mtime), 0}};
            ::futimens(fd, times);
            if (::fsync(fd) != 0) s = Status::fail(Error::FileWrite, "cannot write " + printable(p.target) + ": " + sysError());
        }
        if (::close(fd) != 0 && s.ok())
            s = Status::fail(Error::FileWrite, "cannot write " + printable(p.target) + ": " + sysError());
        if (!s.ok()) return s;
    }

    // All decoded and matched: put them in place.
    for (const Planned &p : plan) {
        if (p.target.empty()) {
            if (written) written->push_back(p.dir);
            continue;
        }
        if (::rename(p.temp.c_str(), p.target.c_str()) != 0)
            return Status::fail(Error::FileWrite, "cannot replace " + printable(p.target) + ": " + sysError());
        undo.temps.erase(std::find(undo.temps.begin(), undo.temps.end(), p.temp));
        if (written) written->push_back(p.target);
    }
    undo.done = true;
    return {};
}

Status LzhArchive::extract(const Member &m, const std::string &folder, std::string *writtenPath) const {
    std::vector<std::string> written;
    Status s = extractMembers({&m}, folder, ExtractLimits{}, &written);
    if (s.ok() && writtenPath && !written.empty()) *writtenPath = written.front();
    return s;
}

Status addToArchive(const std::string &archivePath, const std::vector<AddItem> &items, Method method,
                    std::vector<AddedMember> &added, const EncoderOptions &options) {
    added.clear();
    std::vector<std::uint8_t> old;
    std::vector<Member> oldMembers;
    std::size_t oldEnd = 0;
    struct stat st {};
    if (::stat(archivePath.c_str(), &st) == 0) {
        if (Status s = readWholeFile(archivePath, old, Error::ArchiveOpen); !s.ok()) return s;
        if (Status s = parseArchive(old.data(), old.size(), oldMembers, &oldEnd); !s.ok()) {
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
    // Whatever followed the old end marker (a signature, a second archive,
    // padding) is not ours to drop.
    out.insert(out.end(), old.begin() + static_cast<std::ptrdiff_t>(oldEnd), old.end());

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
    removeStaleTemporaries(folderOf(target));
    std::string temp;
    const int fd = makeTemporary(folderOf(target), temp);
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
