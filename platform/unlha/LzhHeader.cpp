#include "platform/unlha/LzhHeader.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/unlha/Crc16.h"

namespace tqen::unlha {

namespace {

std::uint16_t u16(const std::uint8_t *p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t *p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t u64(const std::uint8_t *p) { return u32(p) | static_cast<std::uint64_t>(u32(p + 4)) << 32; }

void put16(std::vector<std::uint8_t> &v, unsigned x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void put32(std::vector<std::uint8_t> &v, std::uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

Status damaged(const char *why) { return Status::fail(Error::ArchiveDamaged, why); }

bool validUtf8(const std::string &s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n;
        if (c < 0x80) n = 0;
        else if (c >= 0xC2 && c <= 0xDF) n = 1;
        else if ((c >> 4) == 0xE) n = 2;
        else if (c >= 0xF0 && c <= 0xF4) n = 3;
        else return false;
        if (i + n >= s.size() && n > 0) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

// A name in CP932 (Windows Japanese) as UTF-8; bytes that do not convert
// become "_".
std::string cp932ToUtf8(const std::string &in) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::string out = in;
        for (char &c : out)
            if (static_cast<unsigned char>(c) >= 0x80) c = '_';
        return out;
    }
    std::string out;
    char buf[1024];
    char *src = const_cast<char *>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
        char *dst = buf;
        std::size_t room = sizeof buf;
        const std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out.push_back('_');
            ++src;
            --left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

// Folder and file name bytes of a header as one UTF-8 path with "/".
std::string decodeName(std::string dir, const std::string &file) {
    for (char &c : dir)
        if (static_cast<unsigned char>(c) == 0xFF) c = '/';
    std::string raw = dir;
    if (!raw.empty() && raw.back() != '/' && !file.empty()) raw.push_back('/');
    raw += file;
    std::string name = validUtf8(raw) ? raw : cp932ToUtf8(raw);
    for (char &c : name)
        if (c == '\\') c = '/';
    return name;
}

std::int64_t dosTimeToUnix(std::uint32_t t) {
    std::tm tm{};
    tm.tm_sec = static_cast<int>((t & 0x1F) * 2);
    tm.tm_min = static_cast<int>((t >> 5) & 0x3F);
    tm.tm_hour = static_cast<int>((t >> 11) & 0x1F);
    tm.tm_mday = static_cast<int>((t >> 16) & 0x1F);
    tm.tm_mon = static_cast<int>(((t >> 21) & 0x0F)) - 1;
    tm.tm_year = static_cast<int>((t >> 25) & 0x7F) + 80;
    tm.tm_isdst = -1;
    const std::time_t v = std::mktime(&tm);
    return v == static_cast<std::time_t>(-1) ? 0 : static_cast<std::int64_t>(v);
}

// Walks a chain of extended headers at data[at..limit) whose first size is
// `first`; sizeBytes is 2. Fills the name parts, times and 64-bit sizes.
// Sets `end` to where the chain ended and headerCrcAt to the offset of a
// header CRC field (or 0).
struct ExtInfo {
    std::string dir, file;
    bool haveFile = false;
    bool haveTime = false;
    std::int64_t mtime = 0;
    bool haveSizes = false;
    std::uint64_t packed = 0, original = 0;
    std::size_t headerCrcAt = 0;
    bool haveHeaderCrc = false;
    std::uint16_t headerCrc = 0;
    std::uint64_t total = 0;  // sum of the extended headers' sizes
};

Status walkExtensions(const std::uint8_t *data, std::size_t limit, std::size_t at, std::size_t first,
                      ExtInfo &x, std::size_t &end) {
    std::size_t size = first;
    int count = 0;
    while (size != 0) {
        if (size < 3) return damaged("bad extended header");
        if (at + size > limit) return damaged("extended header beyond the header");
        if (++count > 4096) return damaged("too many extended headers");
        const std::uint8_t *e = data + at;
        const std::size_t body = size - 3;
        switch (e[0]) {
        case 0x00:
            if (body >= 2) {
                x.haveHeaderCrc = true;
                x.headerCrc = u16(e + 1);
                x.headerCrcAt = at + 1;
            }
            break;
        case 0x01:
            x.file.assign(reinterpret_cast<const char *>(e + 1), body);
            x.haveFile = true;
            break;
        case 0x02:
            x.dir.assign(reinterpret_cast<const char *>(e + 1), body);
            break;
        case 0x42:
            if (body >= 16) {
                x.haveSizes = true;
                x.packed = u64(e + 1);
                x.original = u64(e + 9);
            }
            break;
        case 0x54:
            if (body >= 4) {
                x.haveTime = true;
                x.mtime = static_cast<std::int32_t>(u32(e + 1));
            }
            break;
        default:
            break;  // attributes, owners, comments: not needed here
        }
        x.total += size;
        at += size;
        size = u16(data + at - 2);
    }
    end = at;
    return {};
}

void setMethod(Member &m, const std::uint8_t *p) {
    m.methodId.assign(reinterpret_cast<const char *>(p), 5);
    m.methodKnown = methodFromId(m.methodId, m.method);
}

}  // namespace

Status readHeader(const std::uint8_t *data, std::size_t size, Member &m, std::size_t &headerSize) {
    if (size < 22) return damaged("header cut short");
    const int level = data[20];
    if (data[2] != '-' || data[6] != '-' || level > 3) return damaged("not an LZH header");
    m = Member{};
    m.level = level;
    if (level == 0 || level == 1) {
        const std::size_t h = data[0];
        const std::size_t base = h + 2;
        if (base > size) return damaged("header cut short");
        const std::size_t nameLen = data[21];
        const std::size_t minBase = level == 0 ? 24 + nameLen : 27 + nameLen;
        if (base < minBase) return damaged("header size too small");
        unsigned sum = 0;
        for (std::size_t i = 2; i < base; ++i) sum += data[i];
        if ((sum & 0xFF) != data[1]) return damaged("header checksum mismatch");
        setMethod(m, data + 2);
        std::uint64_t packed = u32(data + 7);
        m.originalSize = u32(data + 11);
        m.mtime = dosTimeToUnix(u32(data + 15));
        const std::string rawName(reinterpret_cast<const char *>(data + 22), nameLen);
        m.crc = u16(data + 22 + nameLen);
        if (level == 0) {
            // An optional extension after the CRC: OS id 'U' then Unix time.
            if (base >= 24 + nameLen + 5 && data[24 + nameLen] == 'U')
                m.mtime = static_cast<std::int32_t>(u32(data + 25 + nameLen));
            m.name = decodeName({}, rawName);
            headerSize = base;
        } else {
            ExtInfo x;
            std::size_t end = 0;
            if (Status s = walkExtensions(data, size, base, u16(data + base - 2), x, end); !s.ok()) return s;
            if (x.total > packed) return damaged("extended headers larger than the member");
            packed -= x.total;
            if (x.haveTime) m.mtime = x.mtime;
            if (x.haveSizes) {
                packed = x.packed;
                m.originalSize = x.original;
            }
            m.name = decodeName(x.dir, x.haveFile ? x.file : rawName);
            headerSize = end;
        }
        m.packedSize = packed;
    } else if (level == 2) {
        if (size < 26) return damaged("header cut short");
        const std::size_t total = u16(data);
        if (total < 26) return damaged("header size too small");
        if (total > size) return damaged("header cut short");
        setMethod(m, data + 2);
        m.packedSize = u32(data + 7);
        m.originalSize = u32(data + 11);
        m.mtime = u32(data + 15);
        m.crc = u16(data + 21);
        ExtInfo x;
        std::size_t end = 0;
        if (Status s = walkExtensions(data, total, 26, u16(data + 24), x, end); !s.ok()) return s;
        if (x.haveHeaderCrc) {
            std::vector<std::uint8_t> copy(data, data + total);
            copy[x.headerCrcAt] = 0;
            copy[x.headerCrcAt + 1] = 0;
            if (Crc16::of(copy.data(), copy.size()) != x.headerCrc) return damaged("header CRC mismatch");
        }
        if (x.haveTime) m.mtime = x.mtime;
        if (x.haveSizes) {
            m.packedSize = x.packed;
            m.originalSize = x.original;
        }
        m.name = decodeName(x.dir, x.file);
        headerSize = total;
    } else {
        return Status::fail(Error::Unsupported, "header level " + std::to_string(level) + " is not supported");
    }
    return {};
}

std::vector<std::uint8_t> writeLevel2Header(const std::string &name, Method method,
                                            std::uint64_t packedSize, std::uint64_t originalSize,
                                            std::uint16_t crc, std::int64_t mtime) {
    std::string dir, file = name;
    if (const auto slash = name.rfind('/'); slash != std::string::npos) {
        dir = name.substr(0, slash + 1);
        file = name.substr(slash + 1);
        for (char &c : dir)
            if (c == '/') c = static_cast<char>(0xFF);
    }
    const std::size_t nameExt = 3 + file.size();
    const std::size_t dirExt = dir.empty() ? 0 : 3 + dir.size();
    std::size_t crcExt = 5;
    if (((26 + crcExt + nameExt + dirExt) & 0xFF) == 0) crcExt = 6;  // no 0x00 low byte
    const std::size_t total = 26 + crcExt + nameExt + dirExt;

    std::vector<std::uint8_t> h;
    h.reserve(total);
    put16(h, static_cast<unsigned>(total));
    const std::string_view id = methodId(method);
    h.insert(h.end(), id.begin(), id.end());
    put32(h, static_cast<std::uint32_t>(packedSize));
    put32(h, static_cast<std::uint32_t>(originalSize));
    put32(h, static_cast<std::uint32_t>(mtime));
    h.push_back(0x20);
    h.push_back(2);
    put16(h, crc);
    h.push_back('U');
    put16(h, static_cast<unsigned>(crcExt));
    const std::size_t crcAt = h.size() + 1;
    h.push_back(0x00);
    put16(h, 0);
    if (crcExt == 6) h.push_back(0);
    put16(h, static_cast<unsigned>(nameExt));
    h.push_back(0x01);
    h.insert(h.end(), file.begin(), file.end());
    put16(h, static_cast<unsigned>(dirExt));
    if (dirExt) {
        h.push_back(0x02);
        h.insert(h.end(), dir.begin(), dir.end());
        put16(h, 0);
    }
    const std::uint16_t hc = Crc16::of(h.data(), h.size());
    h[crcAt] = static_cast<std::uint8_t>(hc);
    h[crcAt + 1] = static_cast<std::uint8_t>(hc >> 8);
    return h;
}

bool safeRelativePath(const std::string &name, std::string &path) {
    path.clear();
    if (name.empty() || name[0] == '/') return false;
    std::size_t at = 0;
    bool firstPart = true;
    while (at <= name.size()) {
        std::size_t slash = name.find('/', at);
        if (slash == std::string::npos) slash = name.size();
        const std::string part = name.substr(at, slash - at);
        at = slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return false;
        if (part.find('\0') != std::string::npos) return false;
        if (firstPart && part.size() == 2 && part[1] == ':') return false;  // "C:"
        firstPart = false;
        if (!path.empty()) path.push_back('/');
        path += part;
    }
    return !path.empty();
}

}  // namespace tqen::unlha
