// What the list, code table, hint and maintenance forms do to the data,
// without forms: on copies of the delivered files and on the test server.
#include "model/CodeClass.h"
#include "model/CustomerList.h"
#include "model/DataDeletion.h"
#include "model/DeletedReports.h"
#include "model/Hints.h"
#include "model/NextSteps.h"
#include "model/ReportList.h"
#include "model/Values.h"
#include "platform/dao/Dao.h"
#include "tests/support/BothEngines.h"

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

namespace tqen::model::test {
namespace {

using testing::Engine;

class FormData : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        data = session.dataDbPath;
        work = session.workDbPath;
    }
    static void exec(const QString &path, const QString &sql, const QVariantList &values = {}) {
        auto db = dao::Database::open(path);
        ASSERT_TRUE(run(db, sql, values)) << db.error().toStdString() << " in " << sql.toStdString();
    }
    // The rows of a query, each as its fields joined by "|" (Null as "~").
    static QStringList rows(const QString &path, const QString &sql) {
        QStringList out;
        auto db = dao::Database::open(path);
        auto rs = db.openRecordset(sql);
        EXPECT_TRUE(rs.isOpen()) << rs.error().toStdString() << " in " << sql.toStdString();
        for (; rs.isOpen() && !rs.eof(); rs.moveNext()) {
            QStringList fields;
            for (const QString &name : rs.fieldNames()) {
                const QVariant v = rs.field(name);
                fields << (v.isNull() ? QStringLiteral("~") : v.toString());
            }
            out << fields.join(u'|');
        }
        return out;
    }
    void addReport(const QDate &day, const QString &customer, const QString &reading, const QString &staff,
                   const QString &title, const QString &memo) {
        exec(data, QStringLiteral("insert into 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当, メモ) values (?, ?, ?, ?, ?, ?)"),
             {day, customer, reading, title, staff, memo.isEmpty() ? QVariant() : QVariant(memo)});
    }

    QString work, data;
};

// The list of a period: its conditions, its order (newest first, by reading
// within a day), texts with quotes and wildcards taken as themselves.
TEST_P(FormData, TheListOfAPeriodHoldsTheReportsOfItsConditionsNewestFirst) {
    const QDate d1(2024, 4, 30), d2(2024, 5, 1), d3(2024, 5, 31), d4(2024, 6, 1);
    addReport(d1, QStringLiteral("前月商店"), QStringLiteral("ぜんげつ"), QStringLiteral("佐藤"), QStringLiteral("t0"), {});
    addReport(d2, QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"), QStringLiteral("t1"), {});
    addReport(d2, QStringLiteral("青木'工業"), QStringLiteral("あおき"), QStringLiteral("佐藤"), QStringLiteral("t2"), {});
    addReport(d3, QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("O'Brien"), QStringLiteral("t3"), {});
    addReport(d3, QStringLiteral("山田*"), QStringLiteral("やまだ*"), QStringLiteral("佐藤"), QStringLiteral("t4"), {});
    addReport(d4, QStringLiteral("翌月商店"), QStringLiteral("よくげつ"), QStringLiteral("佐藤"), QStringLiteral("t5"), {});
    const struct {
        const char *staff, *customer;
        QStringList titles;
    } cases[] = {
        {"", "", {"t3", "t4", "t2", "t1"}},
        {"佐藤", "", {"t4", "t2", "t1"}},
        {"O'Brien", "", {"t3"}},
        {"", "青木'工業", {"t2"}},
        {"", "山田*", {"t4"}},
        {"佐藤", "山田商店", {"t1"}},
        {"", "' or ''='", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.staff) + " / " + c.customer);
        ASSERT_TRUE(ReportList::read(work, data, d2, d3, QString::fromUtf8(c.staff), QString::fromUtf8(c.customer)).ok());
        QStringList titles;
        for (const QString &r : rows(work, QStringLiteral("select タイトル from w日報一覧"))) titles << r;
        EXPECT_EQ(titles, c.titles);
    }
    ASSERT_TRUE(ReportList::clear(work).ok());
    EXPECT_TRUE(rows(work, QStringLiteral("select * from w日報一覧")).isEmpty());
}

// Deleting the ticked lines takes every report of their day, customer and
// staff member, keeps them as one deletion that puts them back, and leaves
// the other lines and reports alone.
TEST_P(FormData, DeletingTickedLinesKeepsThemAsOneDeletion) {
    const QDate d(2024, 5, 2);
    addReport(d, QStringLiteral("山田'商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"), QStringLiteral("a"), QStringLiteral("m"));
    addReport(d, QStringLiteral("青木工業"), QStringLiteral("あおき"), QStringLiteral("佐藤"), QStringLiteral("b"), {});
    addReport(d, QStringLiteral("川口"), QStringLiteral("かわぐち"), QStringLiteral("鈴木"), QStringLiteral("c"), {});
    ASSERT_TRUE(ReportList::read(work, data, d, d, {}, {}).ok());
    qsizetype lines = -1;
    ASSERT_TRUE(ReportList::deleteTicked(work, data, &lines).ok());
    EXPECT_EQ(lines, 0);   // nothing ticked, nothing done
    EXPECT_EQ(rows(data, QStringLiteral("select タイトル from 営業日報")).size(), 3);

    exec(work, QStringLiteral("update w日報一覧 set チェック = ? where 顧客名 <> ?"), {true, QStringLiteral("青木工業")});
    const QList<ReportKey> ticked = ReportList::ticked(work);
    EXPECT_EQ(ticked.size(), 2);
    EXPECT_TRUE(ticked.contains(ReportKey{d, QStringLiteral("山田'商店"), QStringLiteral("佐藤")}));
    ASSERT_TRUE(ReportList::deleteTicked(work, data, &lines).ok());
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(rows(data, QStringLiteral("select タイトル from 営業日報")), QStringList{QStringLiteral("b")});
    EXPECT_EQ(rows(work, QStringLiteral("select タイトル from w日報一覧")), QStringList{QStringLiteral("b")});

    const DeletedReports store(data);
    const auto last = store.last();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->reports, 2);
    EXPECT_EQ(last->what, QStringLiteral("一覧でチェックした営業日報 2 行"));
    DeletedReports::Restored back;
    ASSERT_TRUE(store.restore(last->id, DeletedReports::Conflicts::Ask, &back).ok());
    EXPECT_EQ(rows(data, QStringLiteral("select タイトル, メモ from 営業日報 order by タイトル")),
              (QStringList{QStringLiteral("a|m"), QStringLiteral("b|~"), QStringLiteral("c|~")}));
}

// The CSV lines take reading and memo from their report; two lines alike
// (a data file allows them) take the two reports in turn.
TEST_P(FormData, CsvRecordsCarryReadingAndMemoOfEachLine) {
    const QDate d(2024, 5, 3);
    addReport(d, QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"), QStringLiteral("訪問"), QStringLiteral("一回目"));
    const bool file = GetParam() == Engine::File;
    if (file)
        addReport(d, QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"), QStringLiteral("訪問"), QStringLiteral("二回目"));
    addReport(d.addDays(1), QStringLiteral("青木, \"工業\""), QStringLiteral("あおき"), QStringLiteral("鈴木"), QStringLiteral("電話"), {});
    // The second report carries a next step, the first none.
    {
        auto db = dao::Database::open(data);
        ASSERT_TRUE(db.beginTrans());
        ASSERT_TRUE(NextSteps::setIn(db, {d.addDays(1), QStringLiteral("青木, \"工業\""), QStringLiteral("鈴木")},
                                     {QDate(2024, 5, 10), QStringLiteral("見積")})
                        .ok());
        ASSERT_TRUE(db.commitTrans());
    }
    ASSERT_TRUE(ReportList::read(work, data, d, d.addDays(1), {}, {}).ok());
    Error error;
    const QList<QStringList> records = ReportList::csvRecords(work, data, &error);
    ASSERT_TRUE(error.ok()) << error.message().toStdString();
    ASSERT_EQ(records.size(), file ? 4 : 3);
    EXPECT_EQ(records[0], (QStringList{"日付", "顧客名", "ふりがな", "担当", "タイトル", "メモ", "確認", "確認者", "確認日時", "コメント", "次回予定"}));
    EXPECT_EQ(records[1], (QStringList{"2024/05/04", "青木, \"工業\"", "あおき", "鈴木", "電話", "", "未確認", "", "", "", "2024/05/10 見積"}));
    for (qsizetype i = 2; i < records.size(); ++i) EXPECT_EQ(records[i].value(10), QString()) << i;
    EXPECT_EQ(records[2].mid(0, 5), (QStringList{"2024/05/03", "山田商店", "やまだ", "佐藤", "訪問"}));
    QStringList memos;
    for (qsizetype i = 2; i < records.size(); ++i) memos << records[i][5];
    memos.sort();
    EXPECT_EQ(memos, file ? QStringList({"一回目", "二回目"}) : QStringList({"一回目"}));
}

// A class goes from the code table into the grid and back as a whole; other
// classes stay; an empty grid or class name changes nothing.
TEST_P(FormData, ACodeClassMakesTheRoundTripThroughTheGrid) {
    exec(data, QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values (?, ?, ?, ?)"),
         {QStringLiteral("地域"), QStringLiteral("01"), QStringLiteral("北"), 1});
    exec(data, QStringLiteral("update コードマスタ set sname = ?, cnt = ? where kcode = ? and code = ?"),
         {QStringLiteral("佐藤 'O'"), 2, QStringLiteral("担当"), QStringLiteral("02")});
    ASSERT_TRUE(CodeClass::blankGrid(work, 30).ok());
    ASSERT_TRUE(CodeClass::blankGrid(work, 30).ok());   // again: still thirty rows
    Error error;
    const QList<CodeClass::Slot> stored = CodeClass::load(data, QStringLiteral("担当"), &error);
    ASSERT_TRUE(error.ok());
    ASSERT_EQ(stored.size(), 30);
    ASSERT_TRUE(CodeClass::fillGrid(work, stored + QList<CodeClass::Slot>{{QStringLiteral("31"), QStringLiteral("外"), 9}}).ok());
    QList<CodeClass::Slot> grid = CodeClass::gridSlots(work, &error);
    ASSERT_TRUE(error.ok());
    ASSERT_EQ(grid.size(), 30);   // a code without a row is left out
    EXPECT_EQ(grid[1], (CodeClass::Slot{QStringLiteral("02"), QStringLiteral("佐藤 'O'"), 2}));
    EXPECT_TRUE(grid[0].name.isNull());

    exec(work, QStringLiteral("update wコードマスタ set sname = ?, チェック = ? where code = ?"),
         {QStringLiteral("山田"), false, QStringLiteral("01")});
    exec(work, QStringLiteral("update wコードマスタ set チェック = ? where code = ?"), {true, QStringLiteral("02")});
    ASSERT_TRUE(CodeClass::freeTicked(work).ok());
    grid = CodeClass::gridSlots(work);
    ASSERT_TRUE(CodeClass::registerClass(data, QStringLiteral("担当"), grid).ok());
    EXPECT_EQ(rows(data, QStringLiteral("select code, sname from コードマスタ where kcode = '担当' and not isnull(sname)")),
              QStringList{QStringLiteral("01|山田")});
    EXPECT_EQ(rows(data, QStringLiteral("select count(*) from コードマスタ where kcode = '担当'")), QStringList{"30"});
    EXPECT_EQ(rows(data, QStringLiteral("select sname from コードマスタ where kcode = '地域'")), QStringList{"北"});

    EXPECT_EQ(CodeClass::registerClass(data, QStringLiteral("担当"), {}).code(), Error::Code::NotFound);
    EXPECT_EQ(CodeClass::registerClass(data, QString(), grid).code(), Error::Code::BadInput);
    EXPECT_EQ(rows(data, QStringLiteral("select count(*) from コードマスタ where kcode = '担当'")), QStringList{"30"});
}

// Hints are addressed by form and control; a stored one is replaced whole.
TEST_P(FormData, HintsAreReadReplacedAndRemovedByTheirAddress) {
    const QString form = QStringLiteral("Frm'Sample"), control = QStringLiteral("cmd'登録");
    EXPECT_TRUE(Hints::read(data, form, control).isNull());
    ASSERT_TRUE(Hints::store(data, form, control, QStringLiteral("見本"), QStringLiteral("押すと'登録'します")).ok());
    ASSERT_TRUE(Hints::store(data, form, QStringLiteral("cmd閉じる"), QStringLiteral("見本"), QStringLiteral("閉じます")).ok());
    ASSERT_TRUE(Hints::store(data, form, control, QStringLiteral("見本"), QStringLiteral("新しい文")).ok());
    EXPECT_EQ(Hints::read(data, form, control), QStringLiteral("新しい文"));
    EXPECT_EQ(rows(data, QStringLiteral("select FormTitle from TqHint where CtlName = 'cmd''登録'")), QStringList{"見本"});
    ASSERT_TRUE(Hints::remove(data, form, control).ok());
    EXPECT_TRUE(Hints::read(data, form, control).isNull());
    EXPECT_EQ(Hints::read(data, form, QStringLiteral("cmd閉じる")), QStringLiteral("閉じます"));
}

// The customer list's copy goes back into the master: ticked rows leave,
// each customer keeps its staff member, Null readings stay Null.
TEST_P(FormData, TheCustomerListIsWrittenBackKeepingEachStaffMember) {
    const auto add = [this](const QString &name, const QVariant &reading, const QVariant &staff) {
        exec(data, QStringLiteral("insert into 顧客マスタ (名称, ふりがな, 担当) values (?, ?, ?)"), {name, reading, staff});
    };
    add(QStringLiteral("山田'商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"));
    add(QStringLiteral("青木工業"), QVariant(), QStringLiteral("鈴木"));
    add(QStringLiteral("川口"), QStringLiteral("かわぐち"), QVariant());
    ASSERT_TRUE(CustomerList::read(work, data).ok());
    EXPECT_EQ(rows(work, QStringLiteral("select 名称 from w顧客マスタ")).size(), 3);
    exec(work, QStringLiteral("update w顧客マスタ set チェック = ? where 名称 = ?"), {true, QStringLiteral("川口")});
    Error error;
    const QList<CustomerList::Row> kept = CustomerList::rows(work, true, &error);
    ASSERT_TRUE(error.ok());
    EXPECT_EQ(kept.size(), 2);
    EXPECT_EQ(CustomerList::rows(work, false).size(), 3);
    ASSERT_TRUE(CustomerList::replaceMaster(data, kept + QList<CustomerList::Row>{{QStringLiteral("新規"), QStringLiteral("しんき")}}).ok());
    ASSERT_TRUE(CustomerList::removeTicked(work).ok());
    EXPECT_EQ(rows(data, QStringLiteral("select 名称, ふりがな, 担当 from 顧客マスタ order by 名称")),
              (QStringList{QStringLiteral("山田'商店|やまだ|佐藤"), QStringLiteral("新規|しんき|~"),
                           QStringLiteral("青木工業|~|鈴木")}));
    EXPECT_EQ(rows(work, QStringLiteral("select 名称 from w顧客マスタ")).size(), 2);
    ASSERT_TRUE(CustomerList::clear(work).ok());
    EXPECT_TRUE(CustomerList::rows(work, false).isEmpty());
}

// Each bulk deletion takes its parts and nothing else; the reports can be
// put back.
TEST_P(FormData, BulkDeletionsTakeTheirPartsOnly) {
    using P = DataDeletion::Part;
    const struct {
        DataDeletion::Parts parts;
        int customers, reports, names;
    } cases[] = {
        {P::Customers, 0, 1, 1},
        {P::Reports, 1, 0, 1},
        {P::CodeNames, 1, 1, 0},
        {P::Customers | P::Reports | P::CodeNames, 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.parts));
        exec(data, QStringLiteral("delete * from 顧客マスタ"));
        exec(data, QStringLiteral("delete * from 営業日報"));
        exec(data, QStringLiteral("update コードマスタ set sname = Null"));
        exec(data, QStringLiteral("insert into 顧客マスタ (名称) values (?)"), {QStringLiteral("山田商店")});
        addReport(QDate(2024, 5, 1), QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"), QStringLiteral("t"), {});
        exec(data, QStringLiteral("update コードマスタ set sname = ? where kcode = ? and code = ?"),
             {QStringLiteral("佐藤"), QStringLiteral("担当"), QStringLiteral("01")});
        ASSERT_TRUE(DataDeletion::deleteAll(data, c.parts, QStringLiteral("すべてのデータ")).ok());
        EXPECT_EQ(rows(data, QStringLiteral("select * from 顧客マスタ")).size(), c.customers);
        EXPECT_EQ(rows(data, QStringLiteral("select * from 営業日報")).size(), c.reports);
        EXPECT_EQ(rows(data, QStringLiteral("select * from コードマスタ where not isnull(sname)")).size(), c.names);
        EXPECT_EQ(rows(data, QStringLiteral("select * from コードマスタ")).size(), 30);
        if (c.parts.testFlag(P::Reports)) {
            const auto last = DeletedReports(data).last();
            ASSERT_TRUE(last.has_value());
            EXPECT_EQ(last->what, QStringLiteral("すべてのデータ"));
            EXPECT_EQ(last->reports, 1);
        }
    }
}

// Another program (or the search index's catch-up) holding the file's write
// lock for a moment makes a write wait, not fail: each of these reads before
// it writes, and a transaction that has read cannot wait for the lock once
// it wants to write, so they take the lock first.
TEST_P(FormData, AWriteWaitsForAnotherWriterOnTheFile) {
    if (GetParam() != Engine::File) GTEST_SKIP() << "a server locks rows, not the file";
    addReport(QDate(2024, 5, 1), QStringLiteral("青木工業"), QStringLiteral("あおき"), QStringLiteral("佐藤"),
              QStringLiteral("訪問"), QString());
    const struct {
        const char *what;
        std::function<Error()> write;
    } writes[] = {
        {"bulk deletion", [&] { return DataDeletion::deleteAll(data, DataDeletion::Part::Reports, QStringLiteral("日報")); }},
        {"code class", [&] { return CodeClass::registerClass(data, QStringLiteral("担当"), CodeClass::load(data, QStringLiteral("担当"))); }},
        {"customer master", [&] { return CustomerList::replaceMaster(data, {}); }},
    };
    for (const auto &w : writes) {
        SCOPED_TRACE(w.what);
        std::promise<void> holding;
        std::thread other([&] {
            sqlite3 *db = nullptr;
            sqlite3_open(data.toUtf8().constData(), &db);
            sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            holding.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        });
        holding.get_future().wait();
        const Error e = w.write();
        other.join();
        EXPECT_TRUE(e.ok()) << e.message().toStdString() << " " << e.detail().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, FormData, ::testing::Values(Engine::File, Engine::Server),
                         testing::engineName);

}  // namespace
}  // namespace tqen::model::test
