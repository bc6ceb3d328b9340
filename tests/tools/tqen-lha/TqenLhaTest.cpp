// The tqen-lha command: its four commands, exit codes and one-line reasons.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "tests/platform/unlha/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using tqen::unlha::test::Bytes;
namespace t = tqen::unlha::test;

struct Result {
    int code;
    std::string out, err;
};

// Runs tqen-lha with the arguments (each quoted) and captures its output.
Result tqenLha(const std::vector<std::string> &args, const t::TempDir &tmp) {
    const char *bin = std::getenv("TQEN_BINARY_DIR");
    std::string cmd = "\"" + std::string(bin ? bin : ".") + "/bin/tqen-lha\"";
    for (const auto &a : args) cmd += " \"" + a + "\"";
    cmd += " >\"" + (tmp / "stdout") + "\" 2>\"" + (tmp / "stderr") + "\"";
    const int status = std::system(cmd.c_str());
    const Bytes out = t::readFile(tmp / "stdout"), err = t::readFile(tmp / "stderr");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
            std::string(err.begin(), err.end())};
}

TEST(TqenLha, AddListTestExtract) {
    t::TempDir tmp;
    const Bytes text = t::textLike(40000, 1), blob = t::randomBytes(3000, 2);
    t::writeFile(tmp.path() / "日報.txt", text);
    t::writeFile(tmp.path() / "blob.bin", blob);
    const std::string arc = tmp / "b.lzh";

    Result r = tqenLha({"a", arc, tmp / "日報.txt", tmp / "blob.bin"}, tmp);
    ASSERT_EQ(r.code, 0) << r.err;
    r = tqenLha({"l", arc}, tmp);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("-lh7-"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("日報.txt"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("-lh0-"), std::string::npos) << r.out;  // random data is stored
    EXPECT_EQ(tqenLha({"t", arc}, tmp).code, 0);

    r = tqenLha({"x", arc, tmp / "new/out"}, tmp);  // the folder is made
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(t::readFile(tmp.path() / "new/out" / "日報.txt") == text);
    EXPECT_TRUE(t::readFile(tmp.path() / "new/out" / "blob.bin") == blob);
}

TEST(TqenLha, FailuresExitNonZeroWithOneLine) {
    t::TempDir tmp;
    t::writeFile(tmp.path() / "f.txt", t::textLike(20000, 3));
    const std::string arc = tmp / "f.lzh";
    ASSERT_EQ(tqenLha({"a", arc, tmp / "f.txt"}, tmp).code, 0);
    Bytes bad = t::readFile(arc);
    bad[bad.size() / 2] ^= 0xFF;
    t::writeFile(tmp.path() / "bad.lzh", bad);
    fs::create_directory(tmp.path() / "out");

    const std::vector<std::vector<std::string>> cases = {
        {},
        {"q", arc},
        {"l", tmp / "missing.lzh"},
        {"t", tmp / "bad.lzh"},
        {"x", tmp / "bad.lzh", tmp / "out"},
        {"a", tmp / "g.lzh", tmp / "missing.txt"},
        {"l", tmp / "f.txt"},
    };
    for (const auto &args : cases) {
        const Result r = tqenLha(args, tmp);
        std::string line = args.empty() ? "(none)" : args[0];
        EXPECT_NE(r.code, 0) << line;
        EXPECT_FALSE(r.err.empty()) << line;
        if (!args.empty()) EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(fs::is_empty(tmp.path() / "out"));
    EXPECT_FALSE(fs::exists(tmp.path() / "g.lzh"));
}

}  // namespace

namespace {

// Names that hold control characters are printed escaped, so that listing or
// extracting an archive cannot drive the terminal.
TEST(TqenLha, NamesArePrintedEscaped) {
    t::TempDir tmp;
    // A level-2 stored member named "evil<ESC>]0;owned<BEL>\nname".
    const std::string name = "evil\x1b]0;owned\x07\nname";
    Bytes h = {0, 0, '-', 'l', 'h', '0', '-', 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x20, 2};
    h.push_back(0);
    h.push_back(0);  // data CRC, set below
    h.push_back('U');
    h.push_back(static_cast<std::uint8_t>(name.size() + 3));
    h.push_back(0);
    h.push_back(1);
    h.insert(h.end(), name.begin(), name.end());
    h.push_back(0);
    h.push_back(0);  // no further extension
    h[0] = static_cast<std::uint8_t>(h.size());
    // CRC-16 of the one data byte 'x'.
    std::uint16_t crc = 0;
    crc ^= 'x';
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    h[21] = static_cast<std::uint8_t>(crc);
    h[22] = static_cast<std::uint8_t>(crc >> 8);
    h.push_back('x');
    h.push_back(0);
    t::writeFile(tmp.path() / "e.lzh", h);
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"l", tmp / "e.lzh"}, std::vector<std::string>{"x", tmp / "e.lzh", tmp / "out"}}) {
        const Result r = tqenLha(args, tmp);
        ASSERT_EQ(r.code, 0) << args[0] << ": " << r.err;
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << args[0];
        EXPECT_EQ(r.out.find('\x07'), std::string::npos) << args[0];
        EXPECT_NE(r.out.find("evil\\x1b]0;owned\\x07\\nname"), std::string::npos) << args[0] << ": " << r.out;
    }
}

}  // namespace
