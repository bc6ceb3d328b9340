// Makes a realistic pair of data files for the benchmarks: the delivered
// TqenData.mdb and TqenWork.mdb (built from data/*.sql) copied into an output
// folder, and the data file filled with 2,000 customers, 30 staff members in
// the code table and daily reports over ten years (100,000 unless told),
// with Japanese titles and memos of 50 to 500 characters. The same seed and
// number give the same files.
//
//   tqen_datagen [--force] [--reports N] [--order random|chronological] [built-data-folder] [output-folder]
//   tqen_datagen --small-office [built-data-folder] [output-folder]
//
// The order is the order the reports are written in: random days (the worst
// case for anything that reads by date; the default) or day after day, as an
// office writes them. The 100,000 reports in random order go to bench/data
// itself; any other number or order to a folder of its own beside them,
// bench/data/reports-N-ORDER, where the benchmarks look for them (see
// bench/support/BenchData.h):
//
//   tqen_datagen --reports 1000000 --order chronological
//
// Reports are written as the program writes them, so they all wait for the
// search index (as in a file another program filled): a benchmark of the
// catch-up starts from such a file. A million reports take about 1.1 GB.
//
// --small-office makes SmallOffice.mdb instead: a file of about 2 MB as a small
// office keeps it — 300 customers, 5 staff members, 3,000 reports with short
// memos, a Japanese address list, and many near-empty pages left by deleted
// rows (deleted content is zeroed, nothing is vacuumed).
//
// The rows are written through the engine itself, in one transaction.
#include "bench/support/BareSql.h"
#include "bench/support/BenchData.h"
#include "platform/dao/Dao.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>

using tqen::bench::exec;
using tqen::dao::Database;
using tqen::dao::Recordset;

namespace {

constexpr int kCustomers = 2000;
constexpr int kStaff = 30;
constexpr int kDefaultReports = 100000;
const QDate kLastDay(2026, 12, 7);
const QDate kFirstDay = kLastDay.addYears(-10).addDays(1);

struct Word {
    const char16_t *kanji;
    const char16_t *kana;
};

const Word kNames[] = {
    {u"山田", u"やまだ"}, {u"田中", u"たなか"}, {u"鈴木", u"すずき"}, {u"佐藤", u"さとう"}, {u"高橋", u"たかはし"},
    {u"伊藤", u"いとう"}, {u"渡辺", u"わたなべ"}, {u"中村", u"なかむら"}, {u"小林", u"こばやし"}, {u"加藤", u"かとう"},
    {u"吉田", u"よしだ"}, {u"山口", u"やまぐち"}, {u"松本", u"まつもと"}, {u"井上", u"いのうえ"}, {u"木村", u"きむら"},
    {u"林", u"はやし"}, {u"清水", u"しみず"}, {u"山崎", u"やまざき"}, {u"森", u"もり"}, {u"池田", u"いけだ"},
    {u"橋本", u"はしもと"}, {u"阿部", u"あべ"}, {u"石川", u"いしかわ"}, {u"前田", u"まえだ"}, {u"藤田", u"ふじた"},
    {u"小川", u"おがわ"}, {u"岡田", u"おかだ"}, {u"後藤", u"ごとう"}, {u"長谷川", u"はせがわ"}, {u"村上", u"むらかみ"},
};
const Word kPlaces[] = {
    {u"東京", u"とうきょう"}, {u"大阪", u"おおさか"}, {u"名古屋", u"なごや"}, {u"横浜", u"よこはま"}, {u"札幌", u"さっぽろ"},
    {u"福岡", u"ふくおか"}, {u"神戸", u"こうべ"}, {u"京都", u"きょうと"}, {u"仙台", u"せんだい"}, {u"広島", u"ひろしま"},
    {u"日本", u"にほん"}, {u"中央", u"ちゅうおう"}, {u"東洋", u"とうよう"}, {u"太平", u"たいへい"}, {u"富士", u"ふじ"},
    {u"三和", u"さんわ"}, {u"大和", u"やまと"}, {u"旭", u"あさひ"}, {u"光", u"ひかり"}, {u"北斗", u"ほくと"},
};
const Word kTrades[] = {
    {u"商事", u"しょうじ"}, {u"電機", u"でんき"}, {u"建設", u"けんせつ"}, {u"工業", u"こうぎょう"}, {u"製作所", u"せいさくしょ"},
    {u"物産", u"ぶっさん"}, {u"運輸", u"うんゆ"}, {u"印刷", u"いんさつ"}, {u"食品", u"しょくひん"}, {u"薬品", u"やくひん"},
    {u"不動産", u"ふどうさん"}, {u"システム", u"しすてむ"}, {u"サービス", u"さーびす"}, {u"精機", u"せいき"}, {u"化学", u"かがく"},
};
const char16_t *kTitles[] = {
    u"定期訪問", u"新製品のご案内", u"見積書の提出", u"契約更新の打ち合わせ", u"納期の確認", u"クレーム対応",
    u"年末のご挨拶", u"展示会のご案内", u"価格改定のご説明", u"保守契約の相談", u"請求内容の確認", u"新担当者の紹介",
    u"試作品の評価", u"追加発注の相談", u"現場の立ち会い", u"販売促進の企画",
};
const char16_t *kSentences[] = {
    u"先方の部長と面談し、来期の計画について意見を交換した。",
    u"見積もりの条件について再度検討してほしいとの要望があった。",
    u"納期は来月末で調整することになった。",
    u"競合他社の提案内容についても情報を得た。",
    u"次回は技術担当者を同行して詳しく説明する予定。",
    u"先月納品した製品について特に問題はないとのこと。",
    u"新しい窓口の担当者を紹介していただいた。",
    u"価格については社内で検討のうえ改めて回答する。",
    u"資料を追加で送付することを約束した。",
    u"来週中に電話で進み具合を確認する。",
    u"工場の増設に伴う設備の需要が見込まれる。",
    u"支払い条件の変更について相談を受けた。",
};

template <size_t N>
const Word &pick(const Word (&a)[N], std::mt19937 &rng) {
    return a[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

QString memo(std::mt19937 &rng) {
    const int target = std::uniform_int_distribution<int>(50, 500)(rng);
    QString text;
    while (text.size() < target)
        text += QString::fromUtf16(kSentences[std::uniform_int_distribution<size_t>(0, std::size(kSentences) - 1)(rng)]);
    return text.left(target);
}

bool copyFresh(const QString &from, const QString &to) {
    QFile::remove(to);
    return QFile::copy(from, to) && QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
}

const char16_t *kShortMemos[] = {
    u"特になし。", u"不在。名刺を置いてきた。", u"電話のみ。", u"見積依頼あり。", u"来週再訪。", u"カタログ送付。",
    u"納品済み。", u"請求書を手渡し。", u"担当者不在のため後日。", u"年始挨拶。", u"サンプル持参。", u"入金確認済み。",
};
const char16_t *kPrefectures[] = {u"愛知県", u"岐阜県", u"三重県", u"静岡県", u"東京都", u"大阪府"};
const char16_t *kCities[] = {u"名古屋市中区", u"名古屋市千種区", u"岐阜市", u"四日市市", u"浜松市中区", u"豊田市",
                             u"一宮市", u"岡崎市", u"春日井市", u"大垣市"};
const char16_t *kStreets[] = {u"栄", u"錦", u"丸の内", u"本町", u"元町", u"桜町", u"緑町", u"旭町"};

// The small office's file: rows through the engine, then the address list and
// the deleted rows straight through SQLite (tables the program never touches,
// and a pragma the engine does not pass on).
int makeSmallOffice(const QString &built, const QString &out) {
    const QString path = out + QStringLiteral("/SmallOffice.mdb");
    QDir().mkpath(out);
    if (!copyFresh(built + QStringLiteral("/TqenData.mdb"), path)) {
        std::fprintf(stderr, "cannot copy the delivered data file from %s to %s\n", qPrintable(built), qPrintable(out));
        return 1;
    }
    constexpr int kOfficeCustomers = 300, kOfficeStaff = 5, kOfficeReports = 3000, kDeleted = 6000;
    std::mt19937 rng(20261209);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    {
        Database db = Database::open(path);
        if (!db.isOpen() || !db.beginTrans()) return std::fprintf(stderr, "%s\n", qPrintable(db.error())), 1;
        QStringList staff;
        Recordset codes = db.openRecordset(QStringLiteral("select * from コードマスタ where kcode = '担当' order by code"));
        for (int i = 0; i < kOfficeStaff && !codes.eof(); codes.moveNext(), ++i) {
            staff << QString::fromUtf16(kNames[i * 5].kanji);
            codes.edit();
            codes.setField(QStringLiteral("sname"), staff.back());
            if (!codes.update()) return std::fprintf(stderr, "%s\n", qPrintable(codes.error())), 1;
        }
        struct Customer {
            QString name, kana, staff;
        };
        std::vector<Customer> customers;
        QSet<QString> taken;
        Recordset rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ"));
        while (int(customers.size()) < kOfficeCustomers) {
            const Word &a = uniform(0, 2) == 0 ? pick(kNames, rng) : pick(kPlaces, rng);
            const Word &b = pick(kTrades, rng);
            QString name = QString::fromUtf16(a.kanji) + QString::fromUtf16(b.kanji);
            QString kana = QString::fromUtf16(a.kana) + QString::fromUtf16(b.kana);
            for (int n = 2; taken.contains(name); ++n) {
                name = QString::fromUtf16(a.kanji) + QString::fromUtf16(b.kanji) + QString::number(n);
                kana = QString::fromUtf16(a.kana) + QString::fromUtf16(b.kana) + QString::number(n);
            }
            taken.insert(name);
            customers.push_back({name, kana, staff[uniform(0, kOfficeStaff - 1)]});
            rs.addNew();
            rs.setField(QStringLiteral("名称"), name);
            rs.setField(QStringLiteral("ふりがな"), kana);
            rs.setField(QStringLiteral("担当"), customers.back().staff);
            if (!rs.update()) return std::fprintf(stderr, "%s\n", qPrintable(rs.error())), 1;
        }
        // Kept reports and, mixed among them, the ones deleted further down
        // (their memo starts with a marker).
        Recordset reports = db.openRecordset(QStringLiteral("select * from 営業日報"));
        const QDate first = kLastDay.addYears(-3);
        for (int i = 0; i < kOfficeReports + kDeleted; ++i) {
            const bool deleted = uniform(0, kOfficeReports + kDeleted - 1) < kDeleted;
            const Customer &c = customers[size_t(uniform(0, kOfficeCustomers - 1))];
            QString memo = QString::fromUtf16(kShortMemos[uniform(0, int(std::size(kShortMemos)) - 1)]);
            if (uniform(0, 3) == 0) memo += QString::fromUtf16(kSentences[uniform(0, int(std::size(kSentences)) - 1)]);
            if (uniform(0, 4) == 0) memo.clear();
            reports.addNew();
            reports.setField(QStringLiteral("日付"), first.addDays(uniform(0, int(first.daysTo(kLastDay)))));
            reports.setField(QStringLiteral("顧客名"), c.name);
            reports.setField(QStringLiteral("ふりがな"), c.kana);
            reports.setField(QStringLiteral("タイトル"), QString::fromUtf16(kTitles[uniform(0, int(std::size(kTitles)) - 1)]));
            reports.setField(QStringLiteral("担当"), c.staff);
            reports.setField(QStringLiteral("メモ"), deleted ? QStringLiteral("#削除予定#") + memo : memo);
            if (!reports.update()) return std::fprintf(stderr, "%s\n", qPrintable(reports.error())), 1;
        }
        if (!db.commitTrans()) return std::fprintf(stderr, "%s\n", qPrintable(db.error())), 1;
        db.close();
    }
    sqlite3 *raw = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &raw) != SQLITE_OK) return std::fprintf(stderr, "cannot open %s\n", qPrintable(path)), 1;
    bool ok = exec(raw, "PRAGMA secure_delete = ON") && exec(raw, "BEGIN") &&
              exec(raw, "CREATE TABLE 住所録 (氏名 TEXT, ふりがな TEXT, 郵便番号 TEXT, 住所 TEXT, 電話 TEXT, 備考 TEXT)");
    sqlite3_stmt *st = nullptr;
    ok = ok && sqlite3_prepare_v2(raw, "INSERT INTO 住所録 VALUES (?, ?, ?, ?, ?, ?)", -1, &st, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < 600; ++i) {
        const Word &family = pick(kNames, rng);
        const Word &given = pick(kPlaces, rng);
        const QString name = QString::fromUtf16(family.kanji) + u' ' + QString::fromUtf16(given.kanji);
        const QString kana = QString::fromUtf16(family.kana) + u' ' + QString::fromUtf16(given.kana);
        const QString zip = QStringLiteral("%1-%2").arg(uniform(400, 519)).arg(uniform(0, 9999), 4, 10, QLatin1Char('0'));
        const QString address = QString::fromUtf16(kPrefectures[uniform(0, int(std::size(kPrefectures)) - 1)]) +
                                QString::fromUtf16(kCities[uniform(0, int(std::size(kCities)) - 1)]) +
                                QString::fromUtf16(kStreets[uniform(0, int(std::size(kStreets)) - 1)]) +
                                QStringLiteral("%1丁目%2番%3号").arg(uniform(1, 5)).arg(uniform(1, 30)).arg(uniform(1, 20));
        const QString phone = QStringLiteral("0%1-%2-%3").arg(uniform(52, 59)).arg(uniform(100, 999)).arg(uniform(1000, 9999));
        const QString note = uniform(0, 2) == 0 ? QStringLiteral("年賀状") : QString();
        const QString fields[] = {name, kana, zip, address, phone, note};
        for (int f = 0; f < 6; ++f) {
            const QByteArray u = fields[f].toUtf8();
            sqlite3_bind_text(st, f + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
        ok = sqlite3_step(st) == SQLITE_DONE && sqlite3_reset(st) == SQLITE_OK;
    }
    sqlite3_finalize(st);
    ok = ok && exec(raw, "DELETE FROM 営業日報 WHERE メモ LIKE '#削除予定#%'") && exec(raw, "COMMIT");
    sqlite3_close(raw);
    if (!ok) return 1;
    std::printf("wrote %s: %d reports, %d customers, %d staff, 600 addresses, %lld bytes\n", qPrintable(path),
                kOfficeReports, kOfficeCustomers, kOfficeStaff, static_cast<long long>(QFileInfo(path).size()));
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool force = args.removeAll(QStringLiteral("--force")) > 0;
    const bool smallOffice = args.removeAll(QStringLiteral("--small-office")) > 0;
    int reports = kDefaultReports;
    bool chronological = false;
    for (const QString option : {QStringLiteral("--reports"), QStringLiteral("--order")}) {
        const qsizetype at = args.indexOf(option);
        if (at < 0) continue;
        const QString value = args.value(at + 1);
        args.remove(at, std::min<qsizetype>(2, args.size() - at));
        bool ok = true;
        if (option == QStringLiteral("--reports")) reports = value.toInt(&ok);
        else if (value == QStringLiteral("chronological")) chronological = true;
        else ok = value == QStringLiteral("random");
        if (!ok || reports < 1) {
            std::fprintf(stderr, "%s %s: give a number of reports (--reports N) and random or chronological (--order)\n",
                         qPrintable(option), qPrintable(value));
            return 2;
        }
    }
    const QString built = args.value(0, QStringLiteral(TQEN_BUILT_DATA_DIR));
    if (smallOffice) return makeSmallOffice(built, args.value(1, QStringLiteral(TQEN_BENCH_DATA_DIR)));
    const QString out =
        args.value(1, tqen::bench::dataFolder(QStringLiteral(TQEN_BENCH_DATA_DIR), reports, chronological));
    const QString data = out + QStringLiteral("/TqenData.mdb");
    const QString work = out + QStringLiteral("/TqenWork.mdb");

    if (!force && QFileInfo::exists(data) && QFileInfo::exists(work)) {
        Database db = Database::open(data);
        Recordset rs = db.openRecordset(QStringLiteral("select count(*) as n from 営業日報"));
        if (rs.field(QStringLiteral("n")).toInt() == reports) {
            std::printf("%s already holds %d reports (--force makes it anew)\n", qPrintable(data), reports);
            return 0;
        }
    }
    QDir().mkpath(out);
    if (!copyFresh(built + QStringLiteral("/TqenData.mdb"), data) || !copyFresh(built + QStringLiteral("/TqenWork.mdb"), work)) {
        std::fprintf(stderr, "cannot copy the delivered files from %s to %s\n", qPrintable(built), qPrintable(out));
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    std::mt19937 rng(20261208);
    Database db = Database::open(data);
    if (!db.isOpen() || !db.beginTrans()) {
        std::fprintf(stderr, "%s\n", qPrintable(db.error()));
        return 1;
    }
    const auto fail = [&](const QString &what) {
        std::fprintf(stderr, "%s\n", qPrintable(what));
        db.rollback();
        return 1;
    };

    // Staff: the thirty slots of the class "担当".
    QStringList staff;
    {
        Recordset rs = db.openRecordset(QStringLiteral("select * from コードマスタ where kcode = '担当' order by code"));
        for (int i = 0; !rs.eof(); rs.moveNext(), ++i) {
            const QString name = QString::fromUtf16(kNames[i % std::size(kNames)].kanji);
            staff << name;
            rs.edit();
            rs.setField(QStringLiteral("sname"), name);
            if (!rs.update()) return fail(rs.error());
        }
    }
    if (staff.size() != kStaff) return fail(QStringLiteral("the code table has %1 staff slots").arg(staff.size()));

    // Customers, each with a staff member in charge.
    struct Customer {
        QString name, kana, staff;
    };
    std::vector<Customer> customers;
    QSet<QString> taken;
    {
        Recordset rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ"));
        while (int(customers.size()) < kCustomers) {
            const bool person = std::uniform_int_distribution<int>(0, 2)(rng) == 0;
            const Word &a = person ? pick(kNames, rng) : pick(kPlaces, rng);
            const Word &b = pick(kTrades, rng);
            QString name = QString::fromUtf16(a.kanji) + QString::fromUtf16(b.kanji);
            QString kana = QString::fromUtf16(a.kana) + QString::fromUtf16(b.kana);
            if (std::uniform_int_distribution<int>(0, 3)(rng) == 0) name = QStringLiteral("株式会社") + name;
            for (int n = 2; taken.contains(name); ++n) {
                name = QString::fromUtf16(a.kanji) + QString::fromUtf16(b.kanji) + QString::number(n);
                kana = QString::fromUtf16(a.kana) + QString::fromUtf16(b.kana) + QString::number(n);
            }
            taken.insert(name);
            Customer c{name, kana, staff[std::uniform_int_distribution<int>(0, kStaff - 1)(rng)]};
            rs.addNew();
            rs.setField(QStringLiteral("名称"), c.name);
            rs.setField(QStringLiteral("ふりがな"), c.kana);
            rs.setField(QStringLiteral("担当"), c.staff);
            if (!rs.update()) return fail(rs.error());
            customers.push_back(std::move(c));
        }
    }

    // Reports: mostly by the staff member in charge of the customer. In
    // chronological order their days are drawn first (from a generator of
    // their own) and written day after day; in random order each is drawn
    // with its report.
    {
        const int days = int(kFirstDay.daysTo(kLastDay)) + 1;
        std::vector<int> day;
        if (chronological) {
            std::mt19937 dayRng(20261210);
            day.resize(std::size_t(reports));
            for (int &d : day) d = std::uniform_int_distribution<int>(0, days - 1)(dayRng);
            std::sort(day.begin(), day.end());
        }
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        for (int i = 0; i < reports; ++i) {
            const Customer &c = customers[std::uniform_int_distribution<size_t>(0, customers.size() - 1)(rng)];
            const bool own = std::uniform_int_distribution<int>(0, 9)(rng) < 8;
            const QString &who = own ? c.staff : staff[std::uniform_int_distribution<int>(0, kStaff - 1)(rng)];
            rs.addNew();
            const int d = chronological ? day[std::size_t(i)] : std::uniform_int_distribution<int>(0, days - 1)(rng);
            rs.setField(QStringLiteral("日付"), kFirstDay.addDays(d));
            rs.setField(QStringLiteral("顧客名"), c.name);
            rs.setField(QStringLiteral("ふりがな"), c.kana);
            rs.setField(QStringLiteral("タイトル"),
                        QString::fromUtf16(kTitles[std::uniform_int_distribution<size_t>(0, std::size(kTitles) - 1)(rng)]));
            rs.setField(QStringLiteral("担当"), who);
            rs.setField(QStringLiteral("メモ"), memo(rng));
            if (!rs.update()) return fail(rs.error());
            if ((i + 1) % 100000 == 0 && i + 1 < reports) std::printf("%d reports…\n", i + 1), std::fflush(stdout);
        }
    }
    if (!db.commitTrans()) return fail(db.error());
    db.close();
    std::printf("wrote %s: %d reports (%s), %d customers, %d staff in %.1f s\n", qPrintable(data), reports,
                chronological ? "chronological" : "random order", kCustomers, kStaff,
                double(timer.elapsed()) / 1000.0);
    return 0;
}
