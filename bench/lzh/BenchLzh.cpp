// Size and speed of our -lh7- against gzip -6, xz -6 and jlha's -lh7-, and of
// our extraction against lhasa, on one 20 MB data file, all in one run.
//
//   bench_lzh [DATA_FILE]
//
// Without DATA_FILE a realistic 20 MB daily-report database (SQLite, Japanese
// text, indexes) is made once in bench/data/ and reused. Times are wall-clock,
// the best of three runs (one for xz and jlha); the outside tools run as
// processes and are timed with their file input and output, as ours is.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/unlha/LzhArchive.h"

namespace fs = std::filesystem;
using namespace tqen::unlha;

namespace {

bool haveTool(const std::string &tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

double seconds(const std::function<void()> &f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double best(int runs, const std::function<void()> &f) {
    double b = 1e30;
    for (int i = 0; i < runs; ++i) b = std::min(b, seconds(f));
    return b;
}

void sh(const std::string &cmd) {
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", cmd.c_str());
        std::exit(1);
    }
}

std::uintmax_t sizeOf(const std::string &p) { return fs::file_size(p); }

// A daily-report database of about `target` bytes.
void makeDatabase(const std::string &path, std::uintmax_t target) {
    fs::remove(path);
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "create table 顧客マスタ(顧客名 text primary key, 読み text, 担当 text, 住所 text, 電話 text);"
                 "create table 営業日報(日付 text, 担当 text, 顧客名 text, タイトル text, メモ text,"
                 " primary key(日付, 担当, 顧客名));"
                 "create index 日報顧客 on 営業日報(顧客名, 日付);",
                 nullptr, nullptr, nullptr);
    std::mt19937 rng(20021214);
    auto pick = [&](const std::vector<std::string> &v) -> const std::string & { return v[rng() % v.size()]; };
    const std::vector<std::string> staff = {"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤"};
    const std::vector<std::string> kinds = {"株式会社", "有限会社", "商店", "工業", "建設", "物産", "電機", "食品"};
    const std::vector<std::string> stems = {"山田", "青木", "大和", "東海", "北陸", "丸井", "三河", "富士", "若葉", "桜井",
                                            "中央", "南部", "旭", "朝日", "日進", "共栄", "平和", "光洋", "昭和", "大成"};
    const std::vector<std::string> titles = {"定期訪問", "見積提出", "新製品説明", "クレーム対応", "納期打合せ",
                                             "契約更新", "請求確認", "展示会案内", "現地調査", "挨拶回り"};
    const std::vector<std::string> phrases = {
        "先方の部長と面談し、", "来月の発注予定について確認した。", "見積書を提出、価格について再検討の依頼あり。",
        "納期は", "までに回答することで合意。", "競合他社の動きに注意が必要。", "前回の不具合について説明し了承を得た。",
        "次回訪問時にサンプルを持参する。", "担当者が異動のため後任を紹介された。", "数量", "個、単価", "円で提示。",
        "在庫状況を確認のうえ連絡する。", "特に問題なし。", "決算期のため予算は厳しいとのこと。", "電話にてフォロー予定。",
        "カタログを置いてきた。", "社長に挨拶。", "新規案件の可能性あり。", "支払条件の変更を打診された。"};
    std::vector<std::string> customers;
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    for (int i = 0; i < 800; ++i) {
        std::string name = pick(stems) + pick(stems) + pick(kinds) + (i % 3 ? "" : std::to_string(i));
        customers.push_back(name);
        char sql[512];
        std::snprintf(sql, sizeof sql, "insert or ignore into 顧客マスタ values('%s', 'ｶﾅ%d', '%s', '愛知県名古屋市%d-%d', '052-%03d-%04d')",
                      name.c_str(), i, pick(staff).c_str(), static_cast<int>(rng() % 50), static_cast<int>(rng() % 30),
                      static_cast<int>(rng() % 1000), static_cast<int>(rng() % 10000));
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    }
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "insert or ignore into 営業日報 values(?,?,?,?,?)", -1, &st, nullptr);
    int day = 0;
    for (int row = 0;; ++row) {
        if (row % 5000 == 0) {
            sqlite3_exec(db, "commit; begin", nullptr, nullptr, nullptr);
            struct stat s {};
            if (::stat(path.c_str(), &s) == 0 && static_cast<std::uintmax_t>(s.st_size) >= target) break;
        }
        if (row % 12 == 0) ++day;
        char date[16];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", 1995 + day / 336, 1 + (day / 28) % 12, 1 + day % 28);
        std::string memo;
        const int n = 2 + static_cast<int>(rng() % 9);
        for (int k = 0; k < n; ++k) {
            memo += pick(phrases);
            if (rng() % 4 == 0) memo += std::to_string(rng() % 1000);
        }
        const std::string &cust = customers[rng() % customers.size()];
        sqlite3_bind_text(st, 1, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, pick(staff).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, cust.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, pick(titles).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 5, memo.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace

int main(int argc, char **argv) {
    std::string data;
    if (argc > 1) {
        data = argv[1];
    } else {
        const fs::path folder = fs::path(TQEN_SOURCE_DIR) / "bench" / "data";
        fs::create_directories(folder);
        data = (folder / "lzh-bench-20mb.db").string();
        if (!fs::exists(data) || fs::file_size(data) < 20'000'000) {
            std::printf("making %s ...\n", data.c_str());
            makeDatabase(data, 20'000'000);
        }
    }
    const fs::path work = fs::temp_directory_path() / ("tqen-bench-lzh-" + std::to_string(::getpid()));
    fs::create_directories(work);
    const std::string w = work.string();
    const double mb = static_cast<double>(sizeOf(data)) / 1e6;
    std::printf("data: %s, %.1f MB\n\n", data.c_str(), mb);

    // Ours: -lh7- through the archive writer (reads the file, writes the archive).
    const std::string ours = w + "/ours.lzh";
    const double tOurs = best(3, [&] {
        fs::remove(ours);
        std::vector<AddedMember> added;
        if (!addToArchive(ours, {{data, "Tqendata.mdb"}}, Method::Lh7, added).ok()) std::exit(1);
    });
    const double tGzip = best(3, [&] { sh("gzip -6 -c '" + data + "' > '" + w + "/g.gz'"); });
    const double tXz = best(1, [&] { sh("xz -6 -T1 -c '" + data + "' > '" + w + "/x.xz'"); });
    const bool jlha = haveTool("jlha");
    double tJlha = 0;
    if (jlha) {
        fs::copy_file(data, w + "/Tqendata.mdb");
        tJlha = best(1, [&] { sh("cd '" + w + "' && rm -f j.lzh && jlha a2o7q j.lzh Tqendata.mdb >/dev/null"); });
    }

    std::printf("%-14s %12s %8s %9s %9s\n", "compressor", "bytes", "ratio", "seconds", "MB/s");
    auto row = [&](const char *name, std::uintmax_t bytes, double t) {
        std::printf("%-14s %12ju %7.2f%% %9.3f %9.1f\n", name, bytes, 100.0 * static_cast<double>(bytes) / (mb * 1e6), t,
                    mb / t);
    };
    row("ours -lh7-", sizeOf(ours), tOurs);
    if (jlha) row("jlha -lh7-", sizeOf(w + "/j.lzh"), tJlha);
    else std::printf("%-14s skipped: jlha (jlha-utils, Java) is not installed\n", "jlha -lh7-");
    row("gzip -6", sizeOf(w + "/g.gz"), tGzip);
    row("xz -6", sizeOf(w + "/x.xz"), tXz);

    // Extraction of our archive: ours against lhasa.
    fs::create_directories(w + "/x-ours");
    fs::create_directories(w + "/x-lhasa");
    LzhArchive archive;
    const double tOursX = best(3, [&] {
        if (!archive.open(ours).ok() || !archive.extract(archive.members().at(0), w + "/x-ours").ok()) std::exit(1);
    });
    const bool lhasa = haveTool("lhasa");
    double tLhasa = 0;
    if (lhasa) tLhasa = best(3, [&] { sh("cd '" + w + "/x-lhasa' && lhasa xqf '" + ours + "'"); });
    std::printf("\n%-14s %9s %9s\n", "extractor", "seconds", "MB/s");
    std::printf("%-14s %9.3f %9.1f\n", "ours", tOursX, mb / tOursX);
    if (lhasa) std::printf("%-14s %9.3f %9.1f\n", "lhasa", tLhasa, mb / tLhasa);

    std::printf("\nratios (target):\n");
    if (jlha) {
        std::printf("  size ours / jlha             %6.3f  (<= 1)\n",
                    static_cast<double>(sizeOf(ours)) / static_cast<double>(sizeOf(w + "/j.lzh")));
        std::printf("  time jlha / ours             %6.2f  (>= 3)\n", tJlha / tOurs);
    } else {
        std::printf("  jlha columns skipped (jlha not installed)\n");
    }
    std::printf("  speed ours / gzip -6         %6.2f  (>= 0.5)\n", tGzip / tOurs);
    if (lhasa) std::printf("  extraction ours / lhasa      %6.2f  (>= 1)\n", tLhasa / tOursX);
    fs::remove_all(work);
    return 0;
}
