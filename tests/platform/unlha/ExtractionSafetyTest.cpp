// What extraction and testing do with hostile archives: members that expand
// without bound, names that cannot all be written, temporary files a killed
// run left behind, bytes after the end marker, and names that would drive a
// terminal.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/unlha/Crc16.h"
#include "platform/unlha/LzhArchive.h"
#include "platform/unlha/Unlha.h"
#include "tests/platform/unlha/TestFiles.h"
#include "tests/platform/unlha/ZeroBomb.h"

namespace tqen::unlha {
namespace {

using test::Bytes;
using test::crcOfZeros;
using test::zeroBomb;
namespace fs = std::filesystem;

const std::string q = "\"";

std::string quoted(const fs::path &p) { return q + p.string() + q; }

Bytes member(const std::string &name, Method method, const Bytes &packed, std::uint64_t original, std::uint16_t crc) {
    Bytes b = writeLevel2Header(name, method, packed.size(), original, crc, 1000000000);
    b.insert(b.end(), packed.begin(), packed.end());
    return b;
}

Bytes storedMember(const std::string &name, const std::string &text) {
    const Bytes data(text.begin(), text.end());
    return member(name, Method::Stored, data, data.size(), Crc16::of(data.data(), data.size()));
}

Bytes archiveOf(const std::vector<Bytes> &members) {
    Bytes a;
    for (const Bytes &m : members) a.insert(a.end(), m.begin(), m.end());
    a.push_back(0);
    return a;
}

// Every path below folder, relative to it, sorted.
std::vector<std::string> tree(const fs::path &folder) {
    std::vector<std::string> out;
    for (const auto &e : fs::recursive_directory_iterator(folder))
        out.push_back(fs::relative(e.path(), folder).string());
    std::sort(out.begin(), out.end());
    return out;
}

constexpr std::uint64_t kBombSize = 1 + 256 * 32768;        // 8 MiB and one byte
constexpr std::uint64_t kOverCap = 1 + 256 * (1 << 18);      // 64 MiB and one byte

TEST(Limits, AMemberThatExpandsBeyondTheCapIsRefusedUnlessLifted) {
    // 40 bytes of stream that expand to 64 MiB; its size alone is over the cap.
    test::TempDir tmp;
    const Bytes packed = zeroBomb(kOverCap);
    ASSERT_LE(packed.size(), 48u);
    test::writeFile(tmp.path() / "bomb.lzh",
                    archiveOf({member("zeros.bin", Method::Lh5, packed, kOverCap, crcOfZeros(kOverCap))}));
    const std::string arc = quoted(tmp.path() / "bomb.lzh");
    fs::create_directory(tmp.path() / "out");
    const std::string out = quoted(tmp.path() / "out") + "/";

    for (const char *cmd : {"t ", "x "}) {
        SCOPED_TRACE(cmd);
        const UnlhaResult r = runUnlha(cmd + arc + " " + out);
        EXPECT_EQ(r.code, static_cast<int>(Error::TooLarge)) << r.report;
        EXPECT_NE(r.report.find("zeros.bin"), std::string::npos) << r.report;
        EXPECT_TRUE(fs::is_empty(tmp.path() / "out"));
    }
    // The switch lifts the cap: the member is whole and right.
    const UnlhaResult lifted = runUnlha("x --no-limit " + arc + " " + out);
    ASSERT_EQ(lifted.code, 0) << lifted.report;
    EXPECT_EQ(fs::file_size(tmp.path() / "out" / "zeros.bin"), kOverCap);
    EXPECT_EQ(runUnlha("t --no-limit " + arc).code, 0);
}

TEST(Limits, TheRatioCapAppliesAboveTheAllowance) {
    // Through the API: with a 1 MiB allowance, the 8 MiB member of 12 bytes
    // is refused for its ratio, the same data stored is not.
    const Bytes bomb = archiveOf({member("zeros.bin", Method::Lh5, zeroBomb(kBombSize), kBombSize,
                                         crcOfZeros(kBombSize))});
    const Bytes plain = archiveOf({storedMember("plain.txt", std::string(3 << 20, 'p'))});
    ExtractLimits small;
    small.allowance = 1 << 20;
    struct Case {
        const char *what;
        const Bytes &archive;
        ExtractLimits limits;
        Error error;
    } cases[] = {
        {"bomb, 1 MiB allowance", bomb, small, Error::TooLarge},
        {"bomb, default allowance", bomb, ExtractLimits{}, Error::None},
        {"bomb, no cap", bomb, ExtractLimits::none(), Error::None},
        {"stored 3 MiB, 1 MiB allowance", plain, small, Error::None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Member> members;
        ASSERT_TRUE(parseArchive(c.archive.data(), c.archive.size(), members).ok());
        std::vector<const Member *> all;
        for (const Member &m : members) all.push_back(&m);
        EXPECT_EQ(checkMembers(all, c.limits).error, c.error);
    }
}

TEST(Limits, TheCapLetsOrdinaryArchivesThrough) {
    // A run of one byte compresses about 1,000 to 1: a data file full of
    // empty pages must still extract under the default cap.
    test::TempDir tmp;
    test::writeFile(tmp.path() / "empty.db", Bytes(4 << 20, 0));
    test::writeFile(tmp.path() / "text.txt", test::textLike(300000, 9));
    const std::string arc = quoted(tmp.path() / "a.lzh");
    const std::string base = quoted(tmp.path()) + "/";
    ASSERT_EQ(runUnlha("a -jm4 " + arc + " " + base + " empty.db text.txt").code, 0);
    fs::create_directory(tmp.path() / "out");
    const UnlhaResult r = runUnlha("x " + arc + " " + quoted(tmp.path() / "out") + "/");
    ASSERT_EQ(r.code, 0) << r.report;
    EXPECT_EQ(fs::file_size(tmp.path() / "out" / "empty.db"), 4u << 20);
}

TEST(Limits, ExtractionNeedsTheFreeSpaceOfTheTarget) {
    test::TempDir tmp;
    const fs::path small = tmp.path() / "small";
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "cannot mount a 4 MiB tmpfs here (" << std::strerror(errno) << "); needs root";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{small.string()};

    test::writeFile(tmp.path() / "bomb.lzh",
                    archiveOf({storedMember("first.txt", "first"),
                               member("zeros.bin", Method::Lh5, zeroBomb(kBombSize), kBombSize, crcOfZeros(kBombSize))}));
    const UnlhaResult r = runUnlha("x " + quoted(tmp.path() / "bomb.lzh") + " " + quoted(small) + "/");
    EXPECT_EQ(r.code, static_cast<int>(Error::FileWrite)) << r.report;
    EXPECT_NE(r.report.find("free"), std::string::npos) << r.report;
    EXPECT_TRUE(fs::is_empty(small)) << "nothing is written, not even the small first member";
}

TEST(Limits, ARequestStopsExtractionAndTest) {
    test::TempDir tmp;
    // The stop comes after the first member and the folders of both were
    // made: they go again with the temporary files.
    test::writeFile(tmp.path() / "bomb.lzh",
                    archiveOf({storedMember("made/one.txt", "one"),
                               member("deep/er/zeros.bin", Method::Lh5, zeroBomb(kBombSize), kBombSize,
                                      crcOfZeros(kBombSize))}));
    fs::create_directory(tmp.path() / "out");
    int polls = 0;
    UnlhaControl control;
    control.cancelled = [&] { return ++polls > 3; };
    for (const char *cmd : {"t ", "x "}) {
        SCOPED_TRACE(cmd);
        polls = 0;
        const UnlhaResult r =
            runUnlha(cmd + quoted(tmp.path() / "bomb.lzh") + " " + quoted(tmp.path() / "out") + "/", control);
        EXPECT_EQ(r.code, static_cast<int>(Error::Cancelled)) << r.report;
        EXPECT_GT(polls, 3);
        EXPECT_LT(polls, 100) << "the request is seen while the member is decoded";
        EXPECT_TRUE(fs::is_empty(tmp.path() / "out"));
    }
}

// Names that cannot all be written: the extraction writes nothing, makes no
// folder, and the test refuses the same archives.
TEST(AllOrNothing, NamesAreCheckedBeforeAnythingIsWritten) {
    std::string deep;
    for (int i = 0; i < 3000; ++i) deep += "a/";
    deep += "f.txt";
    struct Case {
        const char *what;
        std::vector<Bytes> members;
        std::vector<std::string> existing;   // files already in the target
    };
    const std::vector<Case> cases = {
        {"a 3,000-level path", {storedMember("ok.txt", "ok"), storedMember(deep, "deep")}, {}},
        {"a file, then a path through it", {storedMember("x", "file"), storedMember("x/y", "below")}, {}},
        {"a path, then a file on its folder", {storedMember("x/y", "below"), storedMember("X", "file")}, {}},
        {"a name part longer than 255 bytes", {storedMember("d/" + std::string(256, 'n'), "long")}, {}},
        {"a good member, then one leaving the folder", {storedMember("sub/ok.txt", "ok"), storedMember("../evil", "e")}, {}},
        {"a file in the target where a folder is needed", {storedMember("new/ok.txt", "ok"), storedMember("x/y", "b")}, {"x"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir tmp;
        test::writeFile(tmp.path() / "a.lzh", archiveOf(c.members));
        const fs::path out = tmp.path() / "out";
        fs::create_directory(out);
        for (const std::string &e : c.existing) test::writeFile(out / e, Bytes{1});
        const std::vector<std::string> before = tree(out);
        const UnlhaResult x = runUnlha("x " + quoted(tmp.path() / "a.lzh") + " " + quoted(out) + "/");
        EXPECT_NE(x.code, 0) << x.report;
        EXPECT_EQ(tree(out), before);
        if (c.existing.empty()) {
            const UnlhaResult t = runUnlha("t " + quoted(tmp.path() / "a.lzh"));
            EXPECT_NE(t.code, 0) << t.report;
        }
    }
}

TEST(AllOrNothing, AFailedWriteRemovesWhatTheExtractionMade) {
    test::TempDir tmp;
    // The second member's folder exists read-only, so its file cannot be
    // written after the first member and its folders were.
    test::writeFile(tmp.path() / "a.lzh",
                    archiveOf({storedMember("made/deep/one.txt", "one"), storedMember("locked/two.txt", "two")}));
    const fs::path out = tmp.path() / "out";
    fs::create_directories(out / "locked");
    fs::permissions(out / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    if (::access((out / "locked").c_str(), W_OK) == 0) {
        // root writes anywhere: make the file's place a folder instead.
        fs::permissions(out / "locked", fs::perms::owner_all);
        fs::create_directories(out / "locked" / "two.txt" / "inside");
    }
    const std::vector<std::string> before = tree(out);
    const UnlhaResult r = runUnlha("x " + quoted(tmp.path() / "a.lzh") + " " + quoted(out) + "/");
    EXPECT_NE(r.code, 0) << r.report;
    EXPECT_EQ(tree(out), before);
    fs::permissions(out / "locked", fs::perms::owner_all);
}

// A temporary file is "ours" by its name; one that no live run holds is what
// a killed run left, and the next run in that folder removes it.
TEST(TemporaryFiles, StaleOnesAreRemovedByTheNextRunInTheirFolder) {
    test::TempDir tmp;
    const fs::path out = tmp.path() / "out";
    fs::create_directory(out);
    test::writeFile(tmp.path() / "f.txt", test::textLike(5000, 1));
    const std::string arc = quoted(tmp.path() / "f.lzh");
    ASSERT_EQ(runUnlha("a " + arc + " " + quoted(tmp.path()) + "/ f.txt").code, 0);

    for (const fs::path &folder : {out, tmp.path()}) {
        SCOPED_TRACE(folder.string());
        test::writeFile(folder / ".tqen-lha-Ab12Cd", Bytes(100, 1));     // left by a kill
        test::writeFile(folder / ".tqen-lha-live00", Bytes(100, 2));     // a run still writing
        test::writeFile(folder / ".tqen-lha-notours", Bytes(1, 3));      // not one of our names
        test::writeFile(folder / "tqen-lha-Xy12Zz", Bytes(1, 4));
        const int live = ::open((folder / ".tqen-lha-live00").c_str(), O_RDONLY);
        ASSERT_GE(live, 0);
        ASSERT_EQ(::flock(live, LOCK_EX), 0);
        const UnlhaResult r = folder == out ? runUnlha("x " + arc + " " + quoted(out) + "/")
                                            : runUnlha("a " + arc + " " + quoted(tmp.path()) + "/ f.txt");
        ::close(live);
        ASSERT_EQ(r.code, 0) << r.report;
        EXPECT_FALSE(fs::exists(folder / ".tqen-lha-Ab12Cd"));
        EXPECT_TRUE(fs::exists(folder / ".tqen-lha-live00"));
        EXPECT_TRUE(fs::exists(folder / ".tqen-lha-notours"));
        EXPECT_TRUE(fs::exists(folder / "tqen-lha-Xy12Zz"));
    }
}

TEST(TrailingBytes, AddingKeepsWhatStoodAfterTheEndMarker) {
    test::TempDir tmp;
    const std::string trailer = "\x1A signature block";
    Bytes arc = archiveOf({storedMember("one.txt", "one")});
    arc.insert(arc.end(), trailer.begin(), trailer.end());
    test::writeFile(tmp.path() / "a.lzh", arc);
    test::writeFile(tmp.path() / "two.txt", Bytes{'t', 'w', 'o'});
    const UnlhaResult r = runUnlha("a " + quoted(tmp.path() / "a.lzh") + " " + quoted(tmp.path()) + "/ two.txt");
    ASSERT_EQ(r.code, 0) << r.report;
    const Bytes after = test::readFile(tmp.path() / "a.lzh");
    ASSERT_GT(after.size(), trailer.size() + 1);
    EXPECT_EQ(std::string(after.end() - static_cast<std::ptrdiff_t>(trailer.size()), after.end()), trailer);
    EXPECT_EQ(after[after.size() - trailer.size() - 1], 0) << "the end marker stands before the kept bytes";
    const UnlhaResult l = runUnlha("l " + quoted(tmp.path() / "a.lzh"));
    EXPECT_NE(l.report.find("one.txt"), std::string::npos);
    EXPECT_NE(l.report.find("two.txt"), std::string::npos);
}

TEST(Report, NamesAreShownEscaped) {
    test::TempDir tmp;
    const std::string name = "evil\n\x1b[2Jname\t.txt";
    test::writeFile(tmp.path() / "a.lzh", archiveOf({storedMember(name, "x")}));
    for (const char *cmd : {"l ", "x "}) {
        SCOPED_TRACE(cmd);
        const UnlhaResult r = runUnlha(cmd + quoted(tmp.path() / "a.lzh") + " " + quoted(tmp.path()) + "/");
        ASSERT_EQ(r.code, 0) << r.report;
        EXPECT_EQ(r.report.find('\x1b'), std::string::npos);
        EXPECT_NE(r.report.find("evil\\n\\x1b[2Jname\\t.txt"), std::string::npos) << r.report;
    }
    EXPECT_TRUE(fs::exists(tmp.path() / name)) << "the file itself keeps its name";
}

}  // namespace
}  // namespace tqen::unlha
