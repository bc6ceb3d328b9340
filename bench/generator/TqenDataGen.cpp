// Makes a realistic pair of data files for the benchmarks: the delivered
// TqenData.mdb and TqenWork.mdb (built from data/*.sql) copied into an output
// folder, and the data file filled with 2,000 customers, 30 staff members in
// the code table and 100,000 daily reports over ten years, with Japanese
// titles and memos of 50 to 500 characters. The same seed gives the same files.
//
//   tqen_datagen [--force] [built-data-folder] [output-folder]
//
// The rows are written through the engine itself, in one transaction.
#include "platform/dao/Dao.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <random>

using tqen::dao::Database;
using tqen::dao::Recordset;

namespace {

constexpr int kCustomers = 2000;
constexpr int kStaff = 30;
constexpr int kReports = 100000;
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

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool force = args.removeAll(QStringLiteral("--force")) > 0;
    const QString built = args.value(0, QStringLiteral(TQEN_BUILT_DATA_DIR));
    const QString out = args.value(1, QStringLiteral(TQEN_BENCH_DATA_DIR));
    const QString data = out + QStringLiteral("/TqenData.mdb");
    const QString work = out + QStringLiteral("/TqenWork.mdb");

    if (!force && QFileInfo::exists(data) && QFileInfo::exists(work)) {
        Database db = Database::open(data);
        Recordset rs = db.openRecordset(QStringLiteral("select count(*) as n from 営業日報"));
        if (rs.field(QStringLiteral("n")).toInt() == kReports) {
            std::printf("%s already holds %d reports (--force makes it anew)\n", qPrintable(data), kReports);
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

    // Reports: mostly by the staff member in charge of the customer.
    {
        const int days = int(kFirstDay.daysTo(kLastDay)) + 1;
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        for (int i = 0; i < kReports; ++i) {
            const Customer &c = customers[std::uniform_int_distribution<size_t>(0, customers.size() - 1)(rng)];
            const bool own = std::uniform_int_distribution<int>(0, 9)(rng) < 8;
            const QString &who = own ? c.staff : staff[std::uniform_int_distribution<int>(0, kStaff - 1)(rng)];
            rs.addNew();
            rs.setField(QStringLiteral("日付"), kFirstDay.addDays(std::uniform_int_distribution<int>(0, days - 1)(rng)));
            rs.setField(QStringLiteral("顧客名"), c.name);
            rs.setField(QStringLiteral("ふりがな"), c.kana);
            rs.setField(QStringLiteral("タイトル"),
                        QString::fromUtf16(kTitles[std::uniform_int_distribution<size_t>(0, std::size(kTitles) - 1)(rng)]));
            rs.setField(QStringLiteral("担当"), who);
            rs.setField(QStringLiteral("メモ"), memo(rng));
            if (!rs.update()) return fail(rs.error());
        }
    }
    if (!db.commitTrans()) return fail(db.error());
    db.close();
    std::printf("wrote %s: %d reports, %d customers, %d staff in %.1f s\n", qPrintable(data), kReports, kCustomers, kStaff,
                double(timer.elapsed()) / 1000.0);
    return 0;
}
