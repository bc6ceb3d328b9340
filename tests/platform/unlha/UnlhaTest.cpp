// The Unlha entry point: the command lines of the backup and restore, the
// other switches, the output buffer, and what a damaged archive leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "platform/unlha/Crc16.h"
#include "platform/unlha/LzhArchive.h"
#include "platform/unlha/Unlha.h"
#include "tests/platform/unlha/TestFiles.h"

namespace tqen::unlha {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

struct Call {
    int code;
    std::string output;
};

Call unlha(const std::string &line) {
    char buf[1024];
    std::memset(buf, 'Z', sizeof buf);
    const int code = Unlha(nullptr, line.c_str(), buf, sizeof buf);
    return {code, buf};
}

const std::string q = "\"";

// The line the backup builds for a work folder (ending in "/").
std::string backupLine(const std::string &folder) {
    return "a -+ -a1 -d0 -f0 -n0 -jm4 " + q + folder + "tqedata.lzh" + q + " " + q + folder + q + " " + q + folder + q +
           q + "Tqendata.mdb" + q + q + q;
}

std::string restoreLine(const std::string &folder) {
    return "x -+ -a2 -d1 -f0 -n1 -jyc0 -jyd0 -jyk0 -jyn0 -jyo0 " + q + folder + "tqedata.lzh" + q + " " + q + folder +
           q + " " + q + "*.*" + q;
}

// Files of a folder other than those named.
std::vector<std::string> entries(const fs::path &folder) {
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CommandLine, SplitsAsTheBackupAndRestoreWriteIt) {
    struct Case {
        const char *line;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {R"(a -jm4 "C:\App\data\tqedata.lzh" "C:\App\data\" "C:\App\data\""Tqendata.mdb""")",
         {"a", "-jm4", R"(C:\App\data\tqedata.lzh)", R"(C:\App\data\)", R"(C:\App\data\Tqendata.mdb)"}},
        {R"(x "/h/my data/a.lzh"  "/h/my data/" "*.*")", {"x", "/h/my data/a.lzh", "/h/my data/", "*.*"}},
        {"  a\tb  ", {"a", "b"}},
        {R"(a"b c"d)", {"ab cd"}},
        {R"("" x "")", {"x"}},
        {R"("unterminated quote)", {"unterminated quote"}},
        {"", {}},
    };
    for (const Case &c : cases) EXPECT_EQ(splitCommandLine(c.line), c.args) << c.line;
}

TEST(CommandLine, PatternsMatchAsOnWindows) {
    struct Case {
        const char *pattern, *name;
        bool match;
    } cases[] = {
        {"*.*", "Tqendata.mdb", true}, {"*.*", "Tqectl", true},       {"*.*", "sub/x.txt", true},
        {"*.mdb", "TQENDATA.MDB", true}, {"*.mdb", "a.mdbx", false},  {"t?e*", "tqe_d001", true},
        {"sub/*", "sub/x", true},       {"sub/*", "other/x", false}, {"x", "sub/x", true},
        {"a*b*c", "aXbYc", true},       {"a*b*c", "aXbY", false},
    };
    for (const Case &c : cases) EXPECT_EQ(matchPattern(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Archive, OwnArchivesRoundTripOverTheInputTable) {
    test::TempDir tmp;
    const auto inputs = test::inputTable(tmp.path());
    std::vector<AddItem> items;
    for (const auto &in : inputs) {
        test::writeFile(tmp.path() / in.name, in.data);
        items.push_back({tmp / in.name, "in/" + in.name});
    }
    for (Method method : {Method::Lh5, Method::Lh6, Method::Lh7}) {
        SCOPED_TRACE(std::string(methodId(method)));
        const std::string path = tmp / "own.lzh";
        fs::remove(path);
        std::vector<AddedMember> added;
        ASSERT_TRUE(addToArchive(path, items, method, added).ok());
        LzhArchive a;
        ASSERT_TRUE(a.open(path).ok());
        ASSERT_EQ(a.members().size(), inputs.size());
        const std::string out = tmp / "out";
        fs::remove_all(out);
        fs::create_directory(out);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const Member &m = a.members()[i];
            const bool shrinks = inputs[i].name != "empty" && inputs[i].name != "one-byte" &&
                                 inputs[i].name != "incompressible";
            EXPECT_EQ(m.methodId, shrinks ? methodId(method) : "-lh0-") << m.name;
            EXPECT_EQ(m.level, 2);
            ASSERT_TRUE(a.extract(m, out).ok()) << m.name;
            EXPECT_TRUE(test::readFile(fs::path(out) / "in" / inputs[i].name) == inputs[i].data) << m.name;
        }
    }
}

TEST(Unlha, BackupAndRestoreLinesWithBlanksAndJapaneseNames) {
    test::TempDir tmp;
    const fs::path folder = tmp.path() / "営業 データ" / "フォルダ 1";
    fs::create_directories(folder);
    const std::string f = folder.string() + "/";
    const Bytes db = test::sqliteFile(tmp.path());
    test::writeFile(folder / "Tqendata.mdb", db);

    const Call made = unlha(backupLine(f));
    ASSERT_EQ(made.code, 0) << made.output;
    EXPECT_NE(made.output.find("Tqendata.mdb"), std::string::npos) << made.output;
    EXPECT_NE(made.output.find("-lh7-"), std::string::npos) << made.output;
    LzhArchive a;
    ASSERT_TRUE(a.open(f + "tqedata.lzh").ok());
    ASSERT_EQ(a.members().size(), 1u);
    EXPECT_EQ(a.members()[0].name, "Tqendata.mdb");
    EXPECT_EQ(a.members()[0].methodId, "-lh7-");

    // The restore deletes the data file first; ours also overwrites one.
    test::writeFile(folder / "Tqendata.mdb", Bytes{1, 2, 3});
    const Call back = unlha(restoreLine(f));
    ASSERT_EQ(back.code, 0) << back.output;
    EXPECT_NE(back.output.find("Tqendata.mdb"), std::string::npos) << back.output;
    EXPECT_TRUE(test::readFile(folder / "Tqendata.mdb") == db);
    EXPECT_EQ(entries(folder), (std::vector<std::string>{"Tqendata.mdb", "tqedata.lzh"}));
}

TEST(Unlha, AddReplacesTheMemberOfTheSameNameAndKeepsOthers) {
    test::TempDir tmp;
    const std::string f = tmp.str() + "/";
    test::writeFile(tmp.path() / "Tqendata.mdb", test::textLike(5000, 1));
    test::writeFile(tmp.path() / "notes.txt", test::textLike(300, 2));
    ASSERT_EQ(unlha(backupLine(f)).code, 0);
    ASSERT_EQ(unlha("a " + q + f + "tqedata.lzh" + q + " " + q + f + q + " notes.txt").code, 0);
    const Bytes newer = test::textLike(7000, 3);
    test::writeFile(tmp.path() / "Tqendata.mdb", newer);
    ASSERT_EQ(unlha(backupLine(f)).code, 0);

    LzhArchive a;
    ASSERT_TRUE(a.open(f + "tqedata.lzh").ok());
    ASSERT_EQ(a.members().size(), 2u);
    EXPECT_EQ(a.members()[0].name, "Tqendata.mdb");
    EXPECT_EQ(a.members()[0].originalSize, newer.size());
    EXPECT_EQ(a.members()[1].name, "notes.txt");
    for (const Member &m : a.members()) EXPECT_TRUE(a.test(m).ok()) << m.name;
}

TEST(Unlha, FileNamesDifferingOnlyInCaseNameOneFile) {
    test::TempDir tmp;
    const std::string f = tmp.str() + "/";
    const Bytes db = test::textLike(4000, 4);
    test::writeFile(tmp.path() / "TqenData.mdb", db);  // as start-up names it
    ASSERT_EQ(unlha(backupLine(f)).code, 0);
    test::writeFile(tmp.path() / "TqenData.mdb", Bytes{9});
    ASSERT_EQ(unlha(restoreLine(f)).code, 0);
    EXPECT_TRUE(test::readFile(tmp.path() / "TqenData.mdb") == db);
    EXPECT_EQ(entries(tmp.path()), (std::vector<std::string>{"TqenData.mdb", "tqedata.lzh"}));
}

TEST(Unlha, MethodSwitch) {
    test::TempDir tmp;
    const std::string f = tmp.str() + "/";
    test::writeFile(tmp.path() / "t.txt", test::textLike(20000, 5));
    struct Case {
        const char *sw, *method;
    } cases[] = {{"-jm4", "-lh7-"}, {"", "-lh5-"}, {"-jm1", "-lh5-"}};
    for (const Case &c : cases) {
        fs::remove(tmp.path() / "a.lzh");
        ASSERT_EQ(unlha(std::string("a ") + c.sw + " " + f + "a.lzh " + f + " t.txt").code, 0) << c.sw;
        LzhArchive a;
        ASSERT_TRUE(a.open(f + "a.lzh").ok());
        EXPECT_EQ(a.members().at(0).methodId, c.method) << c.sw;
    }
}

TEST(Unlha, FailuresGiveACodeAndAReason) {
    test::TempDir tmp;
    const std::string f = tmp.str() + "/";
    test::writeFile(tmp.path() / "x.txt", Bytes(10, 'x'));
    test::writeFile(tmp.path() / "junk.lzh", test::textLike(500, 1));
    struct Case {
        std::string line;
        Error error;
    };
    const std::vector<Case> cases = {
        {"", Error::CommandLine},
        {"q " + f + "a.lzh", Error::CommandLine},
        {"a -zz " + f + "a.lzh " + f + "x.txt", Error::CommandLine},
        {"a " + f + "a.lzh", Error::CommandLine},
        {"a " + f + "a.lzh " + f + "missing.txt", Error::FileRead},
        {"a " + f + "a.lzh " + f + " " + q + q, Error::CommandLine},
        {"x " + f + "missing.lzh " + f, Error::ArchiveOpen},
        {"x " + f + "junk.lzh " + f, Error::ArchiveDamaged},
        {"a " + f + "junk.lzh " + f + " x.txt", Error::ArchiveDamaged},
        {"a /nonexistent-folder/a.lzh " + f + " x.txt", Error::FileWrite},
    };
    for (const Case &c : cases) {
        const Call r = unlha(c.line);
        EXPECT_EQ(r.code, static_cast<int>(c.error)) << c.line << "\n" << r.output;
        EXPECT_EQ(r.output.rfind("Error: ", 0), 0u) << c.line << "\n" << r.output;
    }
    EXPECT_FALSE(fs::exists(tmp.path() / "a.lzh"));
    EXPECT_TRUE(test::readFile(tmp.path() / "junk.lzh") == test::textLike(500, 1));

    // An archive without a member that matches the pattern.
    ASSERT_EQ(unlha("a " + f + "a.lzh " + f + " x.txt").code, 0);
    EXPECT_EQ(unlha("x " + f + "a.lzh " + f + " *.mdb").code, static_cast<int>(Error::NoMatch));
    EXPECT_NE(Unlha(nullptr, nullptr, nullptr, 0), 0);
}

TEST(Unlha, OutputBufferIsNeverOverrun) {
    test::TempDir tmp;
    const std::string f = tmp.str() + "/";
    const std::string name = "日本語の長いファイル名.txt";
    test::writeFile(tmp.path() / name, Bytes(100, 'a'));
    const std::string line = "a " + q + f + "a.lzh" + q + " " + q + f + q + " " + q + name + q;
    const Call full = unlha(line);
    ASSERT_EQ(full.code, 0) << full.output;
    for (unsigned long size : {0ul, 1ul, 2ul, 5ul, 6ul, 7ul, 8ul, 30ul}) {
        char buf[64];
        std::memset(buf, 'Z', sizeof buf);
        ASSERT_EQ(Unlha(nullptr, line.c_str(), buf, size), 0);
        for (std::size_t i = size; i < sizeof buf; ++i) ASSERT_EQ(buf[i], 'Z') << size;
        if (size == 0) continue;
        const std::string got(buf);
        EXPECT_LT(got.size(), size);
        EXPECT_EQ(full.output.compare(0, got.size(), got), 0);
        // Cut only between UTF-8 characters.
        if (!got.empty() && got.size() < full.output.size())
            EXPECT_NE(static_cast<unsigned char>(full.output[got.size()]) & 0xC0, 0x80) << size;
    }
}

// An archive made by the backup line, and the same archive with one change.
struct Damage {
    const char *what;
    std::function<void(Bytes &, const Member &)> apply;
};

TEST(Unlha, DamagedArchivesLeaveNoFileBehind) {
    test::TempDir tmp;
    const std::string f = tmp.str() + "/";
    const Bytes db = test::sqliteFile(tmp.path());
    test::writeFile(tmp.path() / "Tqendata.mdb", db);
    ASSERT_EQ(unlha(backupLine(f)).code, 0);
    const Bytes good = test::readFile(tmp.path() / "tqedata.lzh");
    LzhArchive a;
    ASSERT_TRUE(a.open(f + "tqedata.lzh").ok());
    const Member m = a.members().at(0);
    ASSERT_GT(m.packedSize, 100u);
    const std::size_t data = m.dataOffset, end = m.dataOffset + m.packedSize;

    auto cut = [](std::size_t at) { return [at](Bytes &b, const Member &) { b.resize(at); }; };
    auto flip = [](std::size_t at) { return [at](Bytes &b, const Member &) { b[at] ^= 0x10; }; };
    const std::vector<Damage> cases = {
        {"cut in the header", cut(10)},
        {"cut after the header", cut(data)},
        {"cut in the trees", cut(data + 20)},
        {"cut in the data", cut(data + m.packedSize / 2)},
        {"cut before the last byte", cut(end - 1)},
        {"flip in the method", flip(4)},
        {"flip in the sizes", flip(12)},
        {"flip in the name", flip(data - 4)},
        {"flip in the trees", flip(data + 3)},
        {"flip in the data", flip(data + m.packedSize / 2)},
        {"wrong data CRC", [](Bytes &b, const Member &) {
             b[21] ^= 0x01;  // data CRC, and the header CRC made to match again
             const std::size_t total = b[0] | b[1] << 8;
             Bytes h(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(total));
             h[27] = h[28] = 0;
             const std::uint16_t c = Crc16::of(h.data(), h.size());
             b[27] = static_cast<std::uint8_t>(c);
             b[28] = static_cast<std::uint8_t>(c >> 8);
         }},
    };
    for (const Damage &d : cases) {
        SCOPED_TRACE(d.what);
        Bytes bad = good;
        d.apply(bad, m);
        test::writeFile(tmp.path() / "tqedata.lzh", bad);
        fs::remove(tmp.path() / "Tqendata.mdb");
        const Call r = unlha(restoreLine(f));
        EXPECT_NE(r.code, 0) << r.output;
        EXPECT_EQ(r.output.rfind("Error: ", 0), 0u) << r.output;
        EXPECT_EQ(entries(tmp.path()), std::vector<std::string>{"tqedata.lzh"});
        // A file already there stays as it was.
        test::writeFile(tmp.path() / "Tqendata.mdb", Bytes{7, 7});
        EXPECT_NE(unlha(restoreLine(f)).code, 0);
        EXPECT_EQ(test::readFile(tmp.path() / "Tqendata.mdb"), (Bytes{7, 7}));
    }
}

// A level-0 member header around stored data, name bytes as given.
Bytes level0Member(const std::string &rawName, const Bytes &data) {
    Bytes h = {0, 0, '-', 'l', 'h', '0', '-'};
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) h.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put32(static_cast<std::uint32_t>(data.size()));
    put32(static_cast<std::uint32_t>(data.size()));
    put32(0x2C216000);  // 2002/01/01 12:00
    h.push_back(0x20);
    h.push_back(0);
    h.push_back(static_cast<std::uint8_t>(rawName.size()));
    h.insert(h.end(), rawName.begin(), rawName.end());
    const std::uint16_t crc = Crc16::of(data.data(), data.size());
    h.push_back(static_cast<std::uint8_t>(crc));
    h.push_back(static_cast<std::uint8_t>(crc >> 8));
    h[0] = static_cast<std::uint8_t>(h.size() - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i) sum += h[i];
    h[1] = static_cast<std::uint8_t>(sum);
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

TEST(Unlha, UnsafeNamesAreRefused) {
    test::TempDir tmp;
    fs::create_directories(tmp.path() / "in");
    const std::string f = tmp.str() + "/in/";
    for (const std::string name : {"../evil.txt", "/tmp/evil.txt", "a\\..\\..\\evil.txt", "C:\\evil.txt", ".."}) {
        SCOPED_TRACE(name);
        Bytes arc = level0Member(name, Bytes{'e', 'v', 'i', 'l'});
        arc.push_back(0);
        test::writeFile(tmp.path() / "u.lzh", arc);
        const Call r = unlha("x " + tmp.str() + "/u.lzh " + f);
        EXPECT_EQ(r.code, static_cast<int>(Error::UnsafeName)) << r.output;
        EXPECT_TRUE(fs::is_empty(tmp.path() / "in"));
        EXPECT_FALSE(fs::exists(tmp.path() / "evil.txt"));
    }
    // A folder inside the target that is a link to outside is not followed.
    fs::create_directory_symlink(tmp.path(), tmp.path() / "in" / "link");
    Bytes arc = level0Member("link\\evil.txt", Bytes{'e'});
    test::writeFile(tmp.path() / "u.lzh", arc);
    EXPECT_EQ(unlha("x " + tmp.str() + "/u.lzh " + f).code, static_cast<int>(Error::UnsafeName));
    EXPECT_FALSE(fs::exists(tmp.path() / "evil.txt"));
}

struct Ext {
    std::uint8_t type;
    Bytes data;
};

void put16(Bytes &b, std::size_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes &b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
Bytes str(const std::string &s) { return Bytes(s.begin(), s.end()); }

// A stored member with a level-1 or level-2 header built from the given
// extended headers (a level-2 header gets a header CRC when withCrc).
Bytes extMember(int level, std::vector<Ext> exts, const Bytes &data, bool withCrc = true, bool pad = false) {
    const std::uint16_t dataCrc = Crc16::of(data.data(), data.size());
    if (level == 2 && withCrc) exts.insert(exts.begin(), Ext{0x00, {0, 0}});
    Bytes chain;
    std::size_t extTotal = 0;
    for (const Ext &e : exts) extTotal += 3 + e.data.size();
    Bytes h;
    if (level == 2) {
        put16(h, 0);
        const std::string id = "-lh0-";
        h.insert(h.end(), id.begin(), id.end());
        put32(h, static_cast<std::uint32_t>(data.size()));
        put32(h, static_cast<std::uint32_t>(data.size()));
        put32(h, 1000000000);
        h.push_back(0x20);
        h.push_back(2);
        put16(h, dataCrc);
        h.push_back('U');
    } else {
        h = {0, 0, '-', 'l', 'h', '0', '-'};
        put32(h, static_cast<std::uint32_t>(data.size() + extTotal));
        put32(h, static_cast<std::uint32_t>(data.size()));
        put32(h, 0x2C216000);
        h.push_back(0x20);
        h.push_back(1);
        h.push_back(4);
        const std::string base = "base";
        h.insert(h.end(), base.begin(), base.end());
        put16(h, dataCrc);
        h.push_back('U');
    }
    const std::size_t baseSize = h.size() + 2;
    put16(h, exts.empty() ? 0 : 3 + exts[0].data.size());
    std::size_t crcAt = 0;
    for (std::size_t i = 0; i < exts.size(); ++i) {
        if (exts[i].type == 0x00) crcAt = h.size() + 1;
        h.push_back(exts[i].type);
        h.insert(h.end(), exts[i].data.begin(), exts[i].data.end());
        put16(h, i + 1 < exts.size() ? 3 + exts[i + 1].data.size() : 0);
    }
    if (level == 2) {
        if (pad) h.push_back(0);
        h[0] = static_cast<std::uint8_t>(h.size());
        h[1] = static_cast<std::uint8_t>(h.size() >> 8);
        if (crcAt) {
            const std::uint16_t c = Crc16::of(h.data(), h.size());
            h[crcAt] = static_cast<std::uint8_t>(c);
            h[crcAt + 1] = static_cast<std::uint8_t>(c >> 8);
        }
    } else {
        h[0] = static_cast<std::uint8_t>(baseSize - 2);
        unsigned sum = 0;
        for (std::size_t i = 2; i < baseSize; ++i) sum += h[i];
        h[1] = static_cast<std::uint8_t>(sum);
    }
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

TEST(Headers, ExtendedHeadersOfLevels1And2) {
    const Bytes data = str("hello");
    struct Case {
        const char *what;
        Bytes archive;
        Error error;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"level 2, unknown types skipped",
         extMember(2, {{0x7F, str("xyz")}, {0x01, str("a.txt")}, {0x50, {0xA4, 0x81}}, {0x02, str("d\xFF" "e")}}, data),
         Error::None, "d/e/a.txt"},
        {"level 2, padding byte", extMember(2, {{0x01, str("p.txt")}}, data, true, true), Error::None, "p.txt"},
        {"level 2 without header CRC", extMember(2, {{0x01, str("n.txt")}}, data, false), Error::None, "n.txt"},
        {"level 1, name extension wins", extMember(1, {{0x01, str("long-name.txt")}, {0x7F, str("?")}}, data),
         Error::None, "long-name.txt"},
        {"level 1, base name and folder", extMember(1, {{0x02, str("dir\xFF")}}, data), Error::None, "dir/base"},
        {"level 2, extension size below 3", [] {
             Bytes b = extMember(2, {{0x01, str("a")}}, str("x"));
             b[24] = 2;
             return b;
         }(), Error::ArchiveDamaged, ""},
        {"level 2, extension beyond the header", [] {
             Bytes b = extMember(2, {{0x01, str("a")}}, str("x"));
             b[24] = 200;
             return b;
         }(), Error::ArchiveDamaged, ""},
        {"level 2, header CRC wrong", [] {
             Bytes b = extMember(2, {{0x01, str("abc")}}, str("x"));
             b[b.size() - 4] ^= 1;  // in the name
             return b;
         }(), Error::ArchiveDamaged, ""},
        {"level 1, extensions larger than the member", [] {
             Bytes b = extMember(1, {{0x01, str("abcdef")}}, str("x"));
             b[7] = 2;  // packed size 2 < extensions
             unsigned sum = 0;
             for (std::size_t i = 2; i < static_cast<std::size_t>(b[0]) + 2; ++i) sum += b[i];
             b[1] = static_cast<std::uint8_t>(sum);
             return b;
         }(), Error::ArchiveDamaged, ""},
        {"level 3", [] {
             Bytes b = extMember(2, {{0x01, str("a")}}, str("x"));
             b[20] = 3;
             return b;
         }(), Error::Unsupported, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Member> members;
        const Status s = parseArchive(c.archive.data(), c.archive.size(), members);
        EXPECT_EQ(s.error, c.error) << s.message;
        if (c.error != Error::None) continue;
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].name, c.name);
        EXPECT_TRUE(decodeMember(c.archive.data(), members[0], [](const std::uint8_t *, std::size_t) { return true; }).ok());
    }
}

TEST(Unlha, ReadsLevel0NamesInCp932WithFolders) {
    test::TempDir tmp;
    // "表\データ.txt" in CP932: the second byte of 表 is 0x5C, a backslash.
    const std::string cp932 = "\x95\x5C\\\x83\x66\x81\x5B\x83\x5E.txt";
    Bytes arc = level0Member(cp932, Bytes{'o', 'k'});
    arc.push_back(0);
    test::writeFile(tmp.path() / "j.lzh", arc);
    const Call r = unlha("x " + tmp.str() + "/j.lzh " + tmp.str() + "/ *.*");
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(test::readFile(tmp.path() / "表" / "データ.txt"), (Bytes{'o', 'k'}));
}

}  // namespace
}  // namespace tqen::unlha

namespace tqen::unlha {
namespace {

// Rewriting an archive keeps what the file being replaced was: its mode, and
// for a symlink, the link itself — the new archive is written through it to
// the file it points at. A dangling link is refused and left alone.
TEST(Unlha, RewritingKeepsTheModeAndWritesThroughASymlink) {
    test::TempDir dir;
    const fs::path root = dir.path();
    test::writeFile(root / "a.txt", test::textLike(3000, 1));
    test::writeFile(root / "b.txt", test::textLike(3000, 2));
    const std::string base = q + root.string() + "/" + q;
    const fs::path archive = root / "private.lzh";
    ASSERT_EQ(unlha("a " + q + archive.string() + q + " " + base + " a.txt").code, 0);
    ASSERT_EQ(::chmod(archive.c_str(), 0600), 0);
    ASSERT_EQ(unlha("a " + q + archive.string() + q + " " + base + " b.txt").code, 0);
    EXPECT_EQ(fs::status(archive).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    fs::create_directories(root / "real");
    fs::rename(archive, root / "real" / "target.lzh");
    fs::create_symlink("real/target.lzh", root / "link.lzh");
    const Call c = unlha("a " + q + (root / "link.lzh").string() + q + " " + base + " a.txt");
    ASSERT_EQ(c.code, 0) << c.output;
    EXPECT_TRUE(fs::is_symlink(root / "link.lzh"));
    EXPECT_EQ(fs::read_symlink(root / "link.lzh"), fs::path("real/target.lzh"));
    EXPECT_EQ(fs::status(root / "real" / "target.lzh").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(unlha("t " + q + (root / "link.lzh").string() + q).code, 0);
    EXPECT_EQ(entries(root / "real"), std::vector<std::string>{"target.lzh"});

    fs::create_symlink("nowhere/gone.lzh", root / "dangling.lzh");
    const Call d = unlha("a " + q + (root / "dangling.lzh").string() + q + " " + base + " a.txt");
    EXPECT_NE(d.code, 0);
    EXPECT_NE(d.output.find("symbolic link"), std::string::npos) << d.output;
    EXPECT_TRUE(fs::is_symlink(root / "dangling.lzh"));
}

}  // namespace
}  // namespace tqen::unlha
