// Our archives against the open decoders (lhasa, 7-Zip, bsdtar), and the
// committed archives of another encoder (jlha) against our decoder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/unlha/LzhArchive.h"
#include "platform/unlha/Unlha.h"
#include "tests/platform/unlha/TestFiles.h"

namespace tqen::unlha {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

bool haveTool(const std::string &tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct Decoder {
    const char *tool;
    // Extracts archive $A into folder $D.
    const char *command;
};

const Decoder kDecoders[] = {
    {"lhasa", "cd \"$D\" && lhasa xq \"$A\""},
    {"7z", "7z x -y -o\"$D\" \"$A\""},
    {"bsdtar", "bsdtar -xf \"$A\" -C \"$D\""},
};

int run(std::string command, const std::string &archive, const std::string &dir) {
    for (auto [key, value] : {std::pair{"$A", archive}, std::pair{"$D", dir}})
        for (std::size_t at; (at = command.find(key)) != std::string::npos;) command.replace(at, 2, value);
    return std::system((command + " >/dev/null 2>&1").c_str());
}

class OpenDecoders : public ::testing::TestWithParam<Decoder> {};

TEST_P(OpenDecoders, ExtractOurArchivesByteIdentical) {
    const Decoder &d = GetParam();
    if (!haveTool(d.tool)) GTEST_SKIP() << d.tool << " is not installed";
    test::TempDir tmp;
    const auto inputs = test::inputTable(tmp.path());
    // Names with folders, Japanese, and a header whose size would end in a
    // 0x00 byte (the header-CRC extension is lengthened instead).
    std::vector<std::pair<std::string, Bytes>> files;
    for (const auto &in : inputs) files.push_back({in.name + ".bin", in.data});
    files.push_back({"sub/営業 日報/データ.txt", test::textLike(3000, 11)});
    files.push_back({std::string(218, 'n') + ".txt", test::textLike(100, 12)});
    fs::create_directories(tmp.path() / "src");
    std::vector<AddItem> items;
    for (const auto &[name, data] : files) {
        fs::create_directories((tmp.path() / "src" / name).parent_path());
        test::writeFile(tmp.path() / "src" / name, data);
        items.push_back({(tmp.path() / "src" / name).string(), name});
    }
    for (const auto &[m, level] : {std::pair{Method::Lh5, Level::Fast}, std::pair{Method::Lh7, Level::Fast},
                                   std::pair{Method::Lh5, Level::Medium}, std::pair{Method::Lh7, Level::Medium},
                                   std::pair{Method::Lh5, Level::Best}, std::pair{Method::Lh7, Level::Best}}) {
        const std::string tag = std::string(methodId(m)) +
                                (level == Level::Fast ? "fast" : level == Level::Medium ? "medium" : "best");
        SCOPED_TRACE(tag);
        const std::string archive = tmp / ("ours" + tag + ".lzh");
        std::vector<AddedMember> added;
        EncoderOptions options;
        options.level = level;
        ASSERT_TRUE(addToArchive(archive, items, m, added, options).ok());
        const std::string out = tmp / ("out-" + std::string(d.tool) + tag);
        fs::create_directories(out);
        EXPECT_EQ(run(d.command, archive, out), 0);
        for (const auto &[name, data] : files) {
            ASSERT_TRUE(fs::exists(fs::path(out) / name)) << name;
            EXPECT_TRUE(test::readFile(fs::path(out) / name) == data) << name;
        }
    }
}

TEST_P(OpenDecoders, ExtractTheBackupArchive) {
    const Decoder &d = GetParam();
    if (!haveTool(d.tool)) GTEST_SKIP() << d.tool << " is not installed";
    test::TempDir tmp;
    const std::string f = tmp.str() + "/";
    const Bytes db = test::sqliteFile(tmp.path());
    test::writeFile(tmp.path() / "Tqendata.mdb", db);
    const std::string line = "a -+ -a1 -d0 -f0 -n0 -jm4 \"" + f + "tqedata.lzh\" \"" + f + "\" \"" + f +
                             "\"\"Tqendata.mdb\"\"\"";
    char buf[1024];
    ASSERT_EQ(Unlha(nullptr, line.c_str(), buf, sizeof buf), 0) << buf;
    fs::create_directories(tmp.path() / "out");
    EXPECT_EQ(run(d.command, f + "tqedata.lzh", tmp / "out"), 0);
    EXPECT_TRUE(test::readFile(tmp.path() / "out" / "Tqendata.mdb") == db);
}

INSTANTIATE_TEST_SUITE_P(Tools, OpenDecoders, ::testing::ValuesIn(kDecoders),
                         [](const auto &info) { return std::string(info.param.tool == std::string("7z") ? "sevenzip" : info.param.tool); });

fs::path fixtures() {
    const char *src = std::getenv("TQEN_SOURCE_DIR");
    return fs::path(src ? src : ".") / "tests/platform/unlha/fixtures";
}

TEST(JlhaFixtures, EveryLevelAndMethodExtractsByteIdentical) {
    const char *names[] = {"empty", "one.bin", "spaces.bin", "text.txt", "random.bin", "far.bin", "small.db"};
    int archives = 0;
    for (int level = 0; level <= 2; ++level) {
        for (int method = 5; method <= 7; ++method) {
            const std::string name = "jlha-l" + std::to_string(level) + "-lh" + std::to_string(method) + ".lzh";
            SCOPED_TRACE(name);
            LzhArchive a;
            ASSERT_TRUE(a.open((fixtures() / name).string()).ok());
            ASSERT_EQ(a.members().size(), std::size(names));
            test::TempDir out;
            for (std::size_t i = 0; i < std::size(names); ++i) {
                const Member &m = a.members()[i];
                EXPECT_EQ(m.name, names[i]);
                EXPECT_EQ(m.level, level);
                ASSERT_TRUE(a.extract(m, out.str()).ok()) << m.name;
                EXPECT_TRUE(test::readFile(out.path() / m.name) == test::readFile(fixtures() / "input" / names[i]))
                    << m.name;
            }
            // Methods as written: data that shrinks carries the archive's method.
            EXPECT_EQ(a.members()[3].methodId, "-lh" + std::to_string(method) + "-");
            ++archives;
        }
    }
    EXPECT_EQ(archives, 9);
}

TEST(JlhaFixtures, Cp932NameThroughTheRestoreLine) {
    test::TempDir out;
    const std::string line = "x -+ -a2 -d1 -f0 -n1 -jyc0 -jyd0 -jyk0 -jyn0 -jyo0 \"" +
                             (fixtures() / "jlha-cp932.lzh").string() + "\" \"" + out.str() + "/\" \"*.*\"";
    char buf[1024];
    ASSERT_EQ(Unlha(nullptr, line.c_str(), buf, sizeof buf), 0) << buf;
    EXPECT_TRUE(test::readFile(out.path() / "日報.txt") == test::readFile(fixtures() / "input" / "日報.txt"));
}

TEST(JlhaFixtures, DamagedCopiesFail) {
    const Bytes good = test::readFile(fixtures() / "jlha-l1-lh6.lzh");
    ASSERT_FALSE(good.empty());
    test::TempDir tmp;
    int failures = 0, cases = 0;
    for (std::size_t at = 0; at < good.size(); at += 13) {
        Bytes bad = good;
        bad[at] ^= 0x21;
        test::writeFile(tmp.path() / "bad.lzh", bad);
        fs::create_directories(tmp.path() / "out");
        const std::string line = "x \"" + tmp.str() + "/bad.lzh\" \"" + tmp.str() + "/out/\"";
        char buf[256];
        const int code = Unlha(nullptr, line.c_str(), buf, sizeof buf);
        ++cases;
        if (code != 0) {
            ++failures;
            // All members are tested before any is written.
            EXPECT_TRUE(fs::is_empty(tmp.path() / "out")) << "flip at " << at << ": " << buf;
        }
        fs::remove_all(tmp.path() / "out");
    }
    // Flips in stored data or unused header bytes (times) can pass; most must not.
    EXPECT_GT(failures, cases * 2 / 3);
}

}  // namespace
}  // namespace tqen::unlha
