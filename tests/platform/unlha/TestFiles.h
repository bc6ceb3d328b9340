#pragma once
// Helpers of the archiver tests: a private temporary folder, file input and
// output, and the table of inputs every codec test runs over.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tqen::unlha::test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir() {
        std::string t = (fs::temp_directory_path() / "tqen-unlha-XXXXXX").string();
        if (!::mkdtemp(t.data())) std::abort();
        path_ = t;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path &path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string operator/(const std::string &name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

inline Bytes readFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path &p, const Bytes &b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline Bytes textLike(std::size_t n, unsigned seed) {
    static const char *words[] = {"営業", "日報", "顧客", "担当", "訪問", "見積", "the ", "report ",
                                  "2002/02/14 ", "株式会社", "打合せ", "\r\n", "確認", "次回", "0123"};
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        const std::string w = words[rng() % std::size(words)];
        b.insert(b.end(), w.begin(), w.end());
    }
    b.resize(n);
    return b;
}

inline Bytes randomBytes(std::size_t n, unsigned seed, unsigned range = 256) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto &x : b) x = static_cast<std::uint8_t>(rng() % range);
    return b;
}

// A real SQLite database of some hundred Japanese daily-report rows.
inline Bytes sqliteFile(const fs::path &folder) {
    const std::string path = (folder / "sample.db").string();
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "create table 営業日報(日付 text, 担当 text, 顧客名 text, タイトル text, メモ text);"
                 "begin;",
                 nullptr, nullptr, nullptr);
    std::mt19937 rng(7);
    for (int i = 0; i < 600; ++i) {
        const Bytes memo = textLike(40 + rng() % 200, static_cast<unsigned>(i));
        const std::string sql = "insert into 営業日報 values('2002/02/" + std::to_string(1 + i % 28) +
                                "', '担当" + std::to_string(i % 7) + "', '顧客" + std::to_string(i % 31) +
                                "', '訪問報告', '" + std::string(memo.begin(), memo.end()) + "');";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Bytes b = readFile(path);
    fs::remove(path);
    return b;
}

struct NamedInput {
    std::string name;
    Bytes data;
};

// Inputs of the round-trip and interoperability tests.
inline std::vector<NamedInput> inputTable(const fs::path &scratch) {
    std::vector<NamedInput> t;
    t.push_back({"empty", {}});
    t.push_back({"one-byte", {0x41}});
    t.push_back({"repeated-byte", Bytes(100000, 0x20)});
    t.push_back({"two-symbols", randomBytes(5000, 3, 2)});
    t.push_back({"text-8k", textLike(8192, 1)});
    t.push_back({"text-64k-minus-1", textLike(65535, 2)});
    t.push_back({"text-64k", textLike(65536, 3)});
    t.push_back({"text-64k-plus-1", textLike(65537, 4)});
    t.push_back({"many-codes", randomBytes(300000, 5, 24)});  // > 65,536 codes, several blocks
    t.push_back({"incompressible", randomBytes(70000, 6)});
    t.push_back({"sqlite", sqliteFile(scratch)});
    // Large enough for the best level to code it in three parts on threads.
    t.push_back({"text-in-parts", textLike(3 * 262144 + 1000, 7)});
    return t;
}

}  // namespace tqen::unlha::test
