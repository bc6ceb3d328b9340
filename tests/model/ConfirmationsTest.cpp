// Confirmations of reports on a data file and on the test server: the state
// a report reads after confirming and editing, what refused input leaves,
// the month's marks, and how deletions, undoing them and copies carry the
// confirmations.
#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "model/DataCopy.h"
#include "model/DataDeletion.h"
#include "model/DeletedReports.h"
#include "model/Reports.h"
#include "platform/dao/Dao.h"
#include "tests/support/DeliveredFile.h"
#include "tests/support/BothEngines.h"
#include "tests/support/ServerDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <array>
#include <functional>
#include <map>
#include <thread>

#include <memory>

namespace tqen::model::test {
namespace {

using testing::Engine;

const QString kBoss = QStringLiteral("部長");

class ConfirmationsTest : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!ready()) return;
        ASSERT_TRUE(CodeTable::addName(session.dataDbPath, QStringLiteral("担当"), kBoss).ok());
    }
    void write(const ReportKey &k, const QString &title, const QString &memo = QStringLiteral("メモ")) {
        const Error e = Reports::enter(session, Report{k.day, k.customer, QStringLiteral("よみ"), title, k.staff, memo});
        ASSERT_TRUE(e.ok()) << e.message().toStdString();
    }
    ConfirmState state(const ReportKey &k) { return Confirmations::stateOf(session.dataDbPath, k).state; }
    qlonglong rows(const QString &where = QString()) {
        auto db = dao::Database::open(session.dataDbPath);
        QString why;
        if (!dao::hasTable(db, Confirmations::Table, &why).value_or(false)) return -1;
        auto rs = db.openRecordset(QStringLiteral("select count(*) as n from 日報確認") + where);
        return rs.field(QStringLiteral("n")).toLongLong();
    }

    // A statement sent straight to the engine, as the sqlite3 tool or
    // another program would send it (no function of ours in reach).
    void outside(const QString &sql) { outsideOn(session.dataDbPath, sql); }
    void outsideOn(const QString &path, const QString &sql) {
        if (server && path == server->uri) {
            ASSERT_TRUE(server->exec(sql)) << sql.toStdString();
            return;
        }
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        char *message = nullptr;
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
        EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "") << " in " << sql.toStdString();
        sqlite3_free(message);
        sqlite3_close(db);
    }
    // The marks of one day as {reports, confirmed, changed}.
    std::array<int, 3> marks(const QString &path, const QDate &day) {
        Error e;
        const DayConfirmation d = Confirmations::month(path, day, day, {}, {}, &e).value(day);
        EXPECT_TRUE(e.ok()) << e.message().toStdString() << " " << e.detail().toStdString();
        return {d.reports, d.confirmed, d.changed};
    }
    // The state many reports are read with (the marker), Unconfirmed when absent.
    ConfirmState listed(const ReportKey &k) {
        return Confirmations::statesBetween(session.dataDbPath, k.day, k.day).value(k).state;
    }

    void TearDown() override {
        // A fill behind the screen ends with its test, before its database.
        Confirmations::stopFillingMarkers();
    }
    // 日報確認 as a program from before the marker made it: no column 変更,
    // no triggers, the index without the marker.
    void olderTable() {
        const bool onServer = GetParam() == Engine::Server;
        const QString text = onServer ? QStringLiteral("text COLLATE \"C\"") : QStringLiteral("TEXT");
        outside(QStringLiteral("CREATE TABLE 日報確認 (確認番号 %1, 日付 %2, 顧客名 %3, 担当 %3, 確認者 %3, 確認日時 %3, コメント %3, "
                               "指紋 %3, 削除番号 %1)")
                    .arg(onServer ? QStringLiteral("bigint") : QStringLiteral("INTEGER"),
                         onServer ? QStringLiteral("date") : QStringLiteral("DATE"), text));
        outside(QStringLiteral("CREATE INDEX \"日報確認_1\" ON 日報確認 (削除番号, 日付, 顧客名, 担当)"));
    }
    // A row of it, confirming `title` with the memo "メモ".
    static QString olderValues(int number, const ReportKey &k, const QString &title, int deletion = 0) {
        return QStringLiteral("(%1, '%2', '%3', '%4', '部長', '2024/05/02 09:00:00', NULL, '%5', %6)")
            .arg(number)
            .arg(k.day.toString(Qt::ISODate), QString(k.customer).replace(u'\'', QStringLiteral("''")), k.staff,
                 QString::fromLatin1(Confirmations::fingerprint(title, QStringLiteral("メモ"))),
                 deletion ? QString::number(deletion) : QStringLiteral("NULL"));
    }
    void olderRow(int number, const ReportKey &k, const QString &title, int deletion = 0) {
        outside(QStringLiteral("INSERT INTO 日報確認 VALUES ") + olderValues(number, k, title, deletion));
    }

    const ReportKey a{QDate(2024, 5, 1), QStringLiteral("甲'商店"), QStringLiteral("山田")};
    const ReportKey b{QDate(2024, 5, 1), QStringLiteral("乙"), QStringLiteral("佐藤")};
    const ReportKey c{QDate(2024, 5, 2), QStringLiteral("乙"), QStringLiteral("山田")};
};

TEST_P(ConfirmationsTest, AnEditAfterTheConfirmationReadsAsChangedUntilConfirmedAgain) {
    write(a, QStringLiteral("題"));
    // A book from before the table: nothing confirmed, nothing made.
    EXPECT_EQ(state(a), ConfirmState::Unconfirmed);
    EXPECT_EQ(rows(), -1);
    const QDateTime t1(QDate(2024, 5, 2), QTime(9, 30));
    ASSERT_TRUE(Confirmations::confirm(session, a, kBoss, QStringLiteral("了解"), {}, t1).ok());
    ReportConfirmation s = Confirmations::stateOf(session.dataDbPath, a);
    EXPECT_EQ(s.state, ConfirmState::Confirmed);
    EXPECT_EQ(s.confirmer, kBoss);
    EXPECT_EQ(s.at, t1);

    // The title, then only the memo, changed: each reads as changed.
    write(a, QStringLiteral("題2"));
    EXPECT_EQ(state(a), ConfirmState::ChangedSince);
    ASSERT_TRUE(Confirmations::confirm(session, a, kBoss, QString(), {}, t1.addSecs(60)).ok());
    EXPECT_EQ(state(a), ConfirmState::Confirmed);
    write(a, QStringLiteral("題2"), QStringLiteral("メモを足した"));
    EXPECT_EQ(state(a), ConfirmState::ChangedSince);
    ASSERT_TRUE(Confirmations::confirm(session, a, kBoss, QStringLiteral("二度目"), {}, t1.addSecs(120)).ok());
    s = Confirmations::stateOf(session.dataDbPath, a);
    EXPECT_EQ(s.state, ConfirmState::Confirmed);
    ASSERT_EQ(s.history.size(), 3);
    EXPECT_EQ(s.history[0].comment, QStringLiteral("了解"));
    EXPECT_TRUE(s.history[1].comment.isEmpty());
    EXPECT_EQ(s.history[2].comment, QStringLiteral("二度目"));

    // What the confirmer read differs from what another PC stored since.
    write(b, QStringLiteral("見た題"));
    const QByteArray seen = Confirmations::fingerprint(QStringLiteral("見た題"), QStringLiteral("メモ"));
    write(b, QStringLiteral("別の端末で直した題"));
    ASSERT_TRUE(Confirmations::confirm(session, b, kBoss, QString(), seen).ok());
    EXPECT_EQ(state(b), ConfirmState::ChangedSince);
}

TEST_P(ConfirmationsTest, RefusedInputWritesNothingAndSaysWhy) {
    write(a, QStringLiteral("題"));
    struct Case {
        const char *name;
        ReportKey key;
        QString confirmer, comment;
        Error::Code code;
        QString says;
    };
    const QList<Case> cases{
        {"comment of 10,000 characters", a, kBoss, QString(10000, u'あ'), Error::Code::BadInput, QStringLiteral("1000 文字まで")},
        {"no confirmer", a, QString(), QString(), Error::Code::BadInput, QStringLiteral("確認者を選んで")},
        {"confirmer gone from the code table", a, QStringLiteral("退職者"), QString(), Error::Code::BadInput,
         QStringLiteral("退職者")},
        {"report deleted by another PC", c, kBoss, QString(), Error::Code::NotFound, QStringLiteral("別の端末で削除")},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        const Error e = Confirmations::confirm(session, k.key, k.confirmer, k.comment);
        EXPECT_EQ(e.code(), k.code);
        EXPECT_TRUE(e.message().contains(k.says)) << e.message().toStdString();
        EXPECT_LE(rows(), 0);
    }
    // Several at once: one report missing writes none of them.
    qlonglong n = -1;
    EXPECT_EQ(Confirmations::confirmMany(session, {a, c}, kBoss, QString(), &n).code(), Error::Code::NotFound);
    EXPECT_EQ(n, 0);
    EXPECT_LE(rows(), 0);

    // Quotes and NUL are a comment like any other (NUL kept as U+FFFD).
    const QString odd = QStringLiteral("it's \"ok\" ' -- ") + QChar(u'\0') + QStringLiteral("end");
    ASSERT_TRUE(Confirmations::confirm(session, a, kBoss, odd).ok());
    const ReportConfirmation s = Confirmations::stateOf(session.dataDbPath, a);
    ASSERT_EQ(s.history.size(), 1);
    EXPECT_EQ(s.history[0].comment, QStringLiteral("it's \"ok\" ' -- ") + QChar(0xFFFD) + QStringLiteral("end"));
    EXPECT_EQ(state(a), ConfirmState::Confirmed);
}

TEST_P(ConfirmationsTest, TheMonthCountsConfirmedAndChangedReportsPerDay) {
    write(a, QStringLiteral("題"));
    write(b, QStringLiteral("題"));
    write(c, QStringLiteral("題"));
    qlonglong n = 0;
    ASSERT_TRUE(Confirmations::confirmMany(session, {a, b, c}, kBoss, QStringLiteral("まとめて"), &n).ok());
    EXPECT_EQ(n, 3);
    write(b, QStringLiteral("直した"));
    const auto m = Confirmations::month(session.dataDbPath, QDate(2024, 5, 1), QDate(2024, 5, 31));
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(m[a.day].reports, 2);
    EXPECT_EQ(m[a.day].confirmed, 1);
    EXPECT_EQ(m[a.day].changed, 1);
    EXPECT_FALSE(m[a.day].allConfirmed());
    EXPECT_TRUE(m[c.day].allConfirmed());
    // One staff member's marks.
    const auto yamada = Confirmations::month(session.dataDbPath, QDate(2024, 5, 1), QDate(2024, 5, 31), QStringLiteral("山田"));
    EXPECT_TRUE(yamada[a.day].allConfirmed());
    const auto states = Confirmations::statesBetween(session.dataDbPath, QDate(2024, 5, 1), QDate(2024, 5, 1));
    ASSERT_EQ(states.size(), 2);
    EXPECT_EQ(states[b].state, ConfirmState::ChangedSince);
    EXPECT_EQ(states[a].confirmer, kBoss);
}

TEST_P(ConfirmationsTest, ConfirmationsGoWithTheirDeletionAndComeBackWithIt) {
    write(a, QStringLiteral("題"));
    write(b, QStringLiteral("題"));
    ASSERT_TRUE(Confirmations::confirmMany(session, {a, b}, kBoss, QStringLiteral("見ました")).ok());
    const DeletedReports store(session.dataDbPath);
    ASSERT_TRUE(store.remove({a}, QStringLiteral("一件")).ok());
    // The report written again on the same key is a new, unconfirmed one.
    write(a, QStringLiteral("書き直し"));
    EXPECT_EQ(state(a), ConfirmState::Unconfirmed);
    EXPECT_EQ(state(b), ConfirmState::Confirmed);
    // Putting the deletion back in place of the new report brings its
    // confirmation back; the replaced report is a deletion of its own.
    DeletedReports::Restored r;
    ASSERT_TRUE(store.restore(store.last()->id, DeletedReports::Conflicts::Replace, &r).ok());
    const ReportConfirmation back = Confirmations::stateOf(session.dataDbPath, a);
    EXPECT_EQ(back.state, ConfirmState::Confirmed);
    ASSERT_EQ(back.history.size(), 1);
    EXPECT_EQ(back.history[0].comment, QStringLiteral("見ました"));

    // Deleting every report leaves no live confirmation; undone, all return.
    ASSERT_TRUE(DataDeletion::deleteAll(session.dataDbPath, DataDeletion::Part::Reports, QStringLiteral("全部")).ok());
    EXPECT_EQ(rows(QStringLiteral(" where 削除番号 is null")), 0);
    EXPECT_EQ(state(a), ConfirmState::Unconfirmed);
    ASSERT_TRUE(store.restore(store.last()->id, DeletedReports::Conflicts::Ask, &r).ok());
    EXPECT_EQ(state(a), ConfirmState::Confirmed);
    EXPECT_EQ(state(b), ConfirmState::Confirmed);

    // A deletion purged after its keeping time takes its confirmations along.
    ASSERT_TRUE(store.remove({b}, QStringLiteral("一件")).ok());
    const DeletedReports later(session.dataDbPath, QDateTime::currentDateTime().addDays(DeletedReports::KeepDays + 1));
    ASSERT_TRUE(later.remove({a}, QStringLiteral("もう一件")).ok());
    EXPECT_EQ(rows(QStringLiteral(" where 顧客名 = '乙'")), 0);
}

TEST_P(ConfirmationsTest, ACopyOfTheDataCarriesTheConfirmations) {
    write(a, QStringLiteral("題"));
    ASSERT_TRUE(Confirmations::confirm(session, a, kBoss, QStringLiteral("コピーへ")).ok());
    QTemporaryDir other;
    const QString to = testing::copyDeliveredFile(other, QStringLiteral("TqenData.mdb"));
    CopyOptions options;
    options.addedTables = {DeletedReports::definition(), Confirmations::definition()};
    CopyOutcome outcome;
    const Error e = copyData(session.dataDbPath, to, options, &outcome);
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    const ReportConfirmation s = Confirmations::stateOf(to, a);
    EXPECT_EQ(s.state, ConfirmState::Confirmed);
    ASSERT_EQ(s.history.size(), 1);
    EXPECT_EQ(s.history[0].comment, QStringLiteral("コピーへ"));
    // The copy keeps its marker with triggers of its own: a change made on
    // the copy before its first read shows.
    outsideOn(to, QStringLiteral("UPDATE 営業日報 SET タイトル = 'コピーで直した'"));
    EXPECT_EQ(marks(to, a.day), (std::array<int, 3>{1, 0, 1}));
}

// The marker that many reports' states are read with follows every way a
// report changes, by this program or any other writer of the data. Each
// case has a day of its own with one more, unconfirmed report on it, so a
// confirmation left behind by its report would show as a confirmed one.
TEST_P(ConfirmationsTest, TheKeptMarkerFollowsEveryChangeOfAReport) {
    using S = ConfirmState;
    const DeletedReports store(session.dataDbPath);
    struct Case {
        const char *name;
        std::function<void(const ReportKey &)> change;
        std::array<int, 3> marks;  // of the day afterwards: reports, confirmed, changed
        S listed;                  // the report's state read with many (marker)
        S own;                     // the report's own view (fingerprint)
    };
    const auto sql = [this](const QString &statement, const ReportKey &k) {
        outside(statement + QStringLiteral(" WHERE 日付 = '%1' AND 顧客名 = '%2'").arg(k.day.toString(Qt::ISODate), k.customer));
    };
    const auto moved = [](const ReportKey &k) { return ReportKey{k.day.addMonths(1), k.customer, k.staff}; };
    const QList<Case> cases{
        {"title edited", [&](const ReportKey &k) { write(k, QStringLiteral("題2")); }, {2, 0, 1}, S::ChangedSince, S::ChangedSince},
        {"memo edited", [&](const ReportKey &k) { write(k, QStringLiteral("題"), QStringLiteral("メモ2")); }, {2, 0, 1},
         S::ChangedSince, S::ChangedSince},
        {"edited back to the confirmed text",
         [&](const ReportKey &k) {
             write(k, QStringLiteral("題2"));
             write(k, QStringLiteral("題"));
         },
         {2, 0, 1}, S::ChangedSince, S::Confirmed},
        {"title edited by an outside writer", [&](const ReportKey &k) { sql(QStringLiteral("UPDATE 営業日報 SET タイトル = '外'"), k); },
         {2, 0, 1}, S::ChangedSince, S::ChangedSince},
        {"memo emptied by an outside writer", [&](const ReportKey &k) { sql(QStringLiteral("UPDATE 営業日報 SET メモ = NULL"), k); },
         {2, 0, 1}, S::ChangedSince, S::ChangedSince},
        {"untouched by an outside writer's update", [&](const ReportKey &k) { sql(QStringLiteral("UPDATE 営業日報 SET ふりがな = 'かな'"), k); },
         {2, 1, 0}, S::Confirmed, S::Confirmed},
        {"moved to another day by an outside writer",
         [&](const ReportKey &k) {
             sql(QStringLiteral("UPDATE 営業日報 SET 日付 = '%1'").arg(moved(k).day.toString(Qt::ISODate)), k);
         },
         {1, 0, 0}, S::Unconfirmed, S::Unconfirmed},
        {"moved away and back",
         [&](const ReportKey &k) {
             sql(QStringLiteral("UPDATE 営業日報 SET 日付 = '%1'").arg(moved(k).day.toString(Qt::ISODate)), k);
             sql(QStringLiteral("UPDATE 営業日報 SET 日付 = '%1'").arg(k.day.toString(Qt::ISODate)), moved(k));
         },
         {2, 0, 1}, S::ChangedSince, S::Confirmed},
        {"deleted by an outside writer", [&](const ReportKey &k) { sql(QStringLiteral("DELETE FROM 営業日報"), k); }, {1, 0, 0},
         S::Unconfirmed, S::Unconfirmed},
        {"deleted outside, then written anew",
         [&](const ReportKey &k) {
             sql(QStringLiteral("DELETE FROM 営業日報"), k);
             write(k, QStringLiteral("題"));
         },
         {2, 0, 1}, S::ChangedSince, S::Confirmed},
        {"deleted and put back",
         [&](const ReportKey &k) {
             ASSERT_TRUE(store.remove({k}, QStringLiteral("一件")).ok());
             DeletedReports::Restored r;
             ASSERT_TRUE(store.restore(store.last()->id, DeletedReports::Conflicts::Ask, &r).ok());
         },
         {2, 1, 0}, S::Confirmed, S::Confirmed},
        {"edited, deleted and put back",
         [&](const ReportKey &k) {
             write(k, QStringLiteral("題2"));
             ASSERT_TRUE(store.remove({k}, QStringLiteral("一件")).ok());
             DeletedReports::Restored r;
             ASSERT_TRUE(store.restore(store.last()->id, DeletedReports::Conflicts::Ask, &r).ok());
         },
         {2, 0, 1}, S::ChangedSince, S::ChangedSince},
        {"deleted, written anew and put back in its place",
         [&](const ReportKey &k) {
             ASSERT_TRUE(store.remove({k}, QStringLiteral("一件")).ok());
             write(k, QStringLiteral("新しい題"));
             DeletedReports::Restored r;
             ASSERT_TRUE(store.restore(store.last()->id, DeletedReports::Conflicts::Replace, &r).ok());
         },
         {2, 1, 0}, S::Confirmed, S::Confirmed},
        {"edited and confirmed again",
         [&](const ReportKey &k) {
             write(k, QStringLiteral("題2"));
             ASSERT_TRUE(Confirmations::confirm(session, k, kBoss, QString()).ok());
         },
         {2, 1, 0}, S::Confirmed, S::Confirmed},
    };
    for (int i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.name);
        const ReportKey k{QDate(2024, 6, 1).addDays(i), QStringLiteral("客%1").arg(i), QStringLiteral("山田")};
        write(k, QStringLiteral("題"));
        write({k.day, QStringLiteral("他社"), QStringLiteral("佐藤")}, QStringLiteral("未確認のまま"));
        ASSERT_TRUE(Confirmations::confirm(session, k, kBoss, QString()).ok());
        ASSERT_EQ(marks(session.dataDbPath, k.day), (std::array<int, 3>{2, 1, 0}));
        c.change(k);
        EXPECT_EQ(marks(session.dataDbPath, k.day), c.marks);
        EXPECT_EQ(listed(k), c.listed);
        EXPECT_EQ(state(k), c.own);
        // The marker never reads confirmed what the fingerprint reads changed.
        if (c.own != S::Confirmed) EXPECT_NE(c.listed, S::Confirmed);
    }
}

// A data database whose 日報確認 is from before the marker (no column, no
// triggers) reads the same marks before its fill, at every step of it, and
// after; writes made before the table gets its triggers and between two
// slices of the fill, on days filled already and days still to fill, all
// show. The fill runs here a day at a time, so each step is seen.
TEST_P(ConfirmationsTest, AnOlderTableReadsRightBeforeDuringAndAfterItsFill) {
    const QDate d1(2024, 5, 1), d2 = d1.addDays(1), d3 = d1.addDays(2), d4 = d1.addDays(3);
    const ReportKey cKey{d2, QStringLiteral("丙"), QStringLiteral("山田")}, d{d3, QStringLiteral("丁"), QStringLiteral("山田")},
        e{d3, QStringLiteral("戊"), QStringLiteral("佐藤")}, f{d4, QStringLiteral("己"), QStringLiteral("山田")},
        g{d4, QStringLiteral("庚"), QStringLiteral("佐藤")};
    for (const ReportKey &k : {a, b, cKey, d, e, f, g}) write(k, QStringLiteral("題"));
    olderTable();
    olderRow(1, a, QStringLiteral("題"));
    olderRow(2, b, QStringLiteral("前の題"));                                               // changed since
    olderRow(3, {d1, QStringLiteral("消えた客"), QStringLiteral("山田")}, QStringLiteral("題"));  // its report is gone
    olderRow(4, cKey, QStringLiteral("前の題"));                                            // confirmed again since
    olderRow(5, cKey, QStringLiteral("題"));
    olderRow(6, d, QStringLiteral("題"));
    olderRow(7, d, QStringLiteral("前の題"), 9);  // of a deletion: not read
    olderRow(8, f, QStringLiteral("題"));
    olderRow(9, g, QStringLiteral("題"));
    std::map<QDate, std::array<int, 3>> expected{
        {d1, {2, 1, 1}}, {d2, {1, 1, 0}}, {d3, {2, 1, 0}}, {d4, {2, 2, 0}}};
    int step = 0;
    Confirmations::MarkerFill how;
    how.sliceDays = 1;
    how.pauseMs = 0;
    how.beforeEachStep = [&] {
        SCOPED_TRACE(step);
        // Steps: 0 before the table gets its marker, 1 to 4 before the slice
        // of each day, 5 before the last step.
        if (step == 0) {
            write(cKey, QStringLiteral("直した"));  // no trigger yet
            expected[d2] = {1, 0, 1};
        } else if (step == 3) {
            write(a, QStringLiteral("直した"));  // a day filled
            write(f, QStringLiteral("直した"));  // a day to fill
            outside(QStringLiteral("DELETE FROM 営業日報 WHERE 顧客名 = '庚'"));
            ASSERT_TRUE(Confirmations::confirm(session, e, kBoss, QString()).ok());
            expected[d1] = {2, 0, 2};
            expected[d3] = {2, 2, 0};
            expected[d4] = {1, 0, 1};
        }
        ++step;
        // A day whose confirmations are not all known yet claims no more
        // than it knows; the other reads tell them by the fingerprints.
        for (const auto &[day, m] : expected) {
            SCOPED_TRACE(day.toString().toStdString());
            const DayConfirmation got = Confirmations::month(session.dataDbPath, day, day).value(day);
            if (got.unknown == 0) {
                EXPECT_EQ((std::array<int, 3>{got.reports, got.confirmed, got.changed}), m);
            } else {
                EXPECT_EQ(got.reports, m[0]);
                EXPECT_LE(got.confirmed, m[1]);
                EXPECT_LE(got.changed, m[2]);
            }
        }
        for (const ReportKey &k : {a, b, cKey, d, e, f, g}) EXPECT_EQ(listed(k), state(k)) << k.customer.toStdString();
    };
    const Error filled = Confirmations::fillMarkers(session.dataDbPath, how);
    ASSERT_TRUE(filled.ok()) << filled.message().toStdString() << " " << filled.detail().toStdString();
    EXPECT_EQ(step, 6);
    EXPECT_EQ(rows(QStringLiteral(" where 削除番号 is null and 変更 is null")), 0);
    for (const auto &[day, m] : expected) EXPECT_EQ(marks(session.dataDbPath, day), m) << day.toString().toStdString();
    for (const ReportKey &k : {a, b, cKey, d, e, f, g}) EXPECT_EQ(listed(k), state(k)) << k.customer.toStdString();
    // The triggers keep the marker from now on.
    outside(QStringLiteral("UPDATE 営業日報 SET メモ = '外' WHERE 顧客名 = '丁'"));
    EXPECT_EQ(marks(session.dataDbPath, d3), (std::array<int, 3>{2, 1, 1}));
}

// The first read of an older table starts the fill behind the screen and
// counts them as not known meanwhile; the fill ends with every marker
// known and the triggers in place. A confirmation made on the older table
// before that is written as an older program would write it.
TEST_P(ConfirmationsTest, AReadOfAnOlderTableStartsTheFillBehindTheScreen) {
    write(a, QStringLiteral("題"));
    write(b, QStringLiteral("今の題"));
    write(c, QStringLiteral("題"));
    olderTable();
    olderRow(1, a, QStringLiteral("題"));
    olderRow(2, b, QStringLiteral("前の題"));
    ASSERT_TRUE(Confirmations::confirm(session, c, kBoss, QString()).ok());
    // Not known yet: the month's marks claim none of them; a list tells
    // them by their fingerprints.
    const DayConfirmation first = Confirmations::month(session.dataDbPath, a.day, a.day).value(a.day);
    EXPECT_EQ(first.reports, 2);
    EXPECT_EQ(first.confirmed, 0);
    EXPECT_GT(first.unknown, 0);
    EXPECT_EQ(listed(a), ConfirmState::Confirmed);
    EXPECT_EQ(listed(b), ConfirmState::ChangedSince);
    const Error filled = Confirmations::waitForMarkers(session.dataDbPath);
    ASSERT_TRUE(filled.ok()) << filled.message().toStdString() << " " << filled.detail().toStdString();
    EXPECT_FALSE(Confirmations::fillingMarkers(session.dataDbPath));
    EXPECT_EQ(rows(QStringLiteral(" where 変更 = 0")), 2);
    EXPECT_EQ(rows(QStringLiteral(" where 変更 is null")), 0);
    EXPECT_EQ(marks(session.dataDbPath, a.day), (std::array<int, 3>{2, 1, 1}));
    outside(QStringLiteral("UPDATE 営業日報 SET メモ = '外' WHERE 顧客名 = '甲''商店'"));
    EXPECT_EQ(marks(session.dataDbPath, a.day), (std::array<int, 3>{2, 0, 2}));
    ASSERT_TRUE(Confirmations::confirmMany(session, {a, b}, kBoss, QString()).ok());
    EXPECT_EQ(marks(session.dataDbPath, a.day), (std::array<int, 3>{2, 2, 0}));
}

// Edits, deletions and confirmations made by this thread while the fill
// runs on another, a day at a time: none is refused or lost, and afterwards
// every report reads by its marker as it does by its fingerprints.
TEST_P(ConfirmationsTest, WritesDuringTheFillAreNeitherLostNorMisMarked) {
    const QDate first(2024, 7, 1);
    constexpr int kDays = 30, kPerDay = 4;
    QList<ReportKey> keys;
    for (int day = 0; day < kDays; ++day)
        for (int i = 0; i < kPerDay; ++i) keys.append({first.addDays(day), QStringLiteral("客%1").arg(i), QStringLiteral("山田")});
    for (const ReportKey &k : std::as_const(keys)) write(k, QStringLiteral("題"));
    olderTable();
    QStringList values;
    for (int n = 0; n < keys.size(); ++n)
        values << olderValues(n + 1, keys[n], n % 3 ? QStringLiteral("題") : QStringLiteral("前の題"));
    outside(QStringLiteral("INSERT INTO 日報確認 VALUES ") + values.join(u','));
    Confirmations::MarkerFill how;
    how.sliceDays = 1;
    how.pauseMs = 0;
    Error filled;
    std::thread fill([&] { filled = Confirmations::fillMarkers(session.dataDbPath, how); });
    QHash<ReportKey, QString> titles;
    QSet<ReportKey> deleted;
    for (int i = 0; i < 60; ++i) {
        const ReportKey &k = keys[(i * 7) % keys.size()];
        if (deleted.contains(k)) continue;
        if (i % 5 == 4) {
            const DeletedReports store(session.dataDbPath);
            const Error e = store.remove({k}, QStringLiteral("一件"));
            EXPECT_TRUE(e.ok()) << i << " " << e.message().toStdString();
            deleted.insert(k);
        } else if (i % 4 == 3) {
            const Error e = Confirmations::confirm(session, k, kBoss, QString());
            EXPECT_TRUE(e.ok()) << i << " " << e.message().toStdString();
        } else {
            titles[k] = QStringLiteral("直した%1").arg(i);
            write(k, titles[k]);
        }
    }
    fill.join();
    ASSERT_TRUE(filled.ok()) << filled.message().toStdString() << " " << filled.detail().toStdString();
    EXPECT_EQ(rows(QStringLiteral(" where 削除番号 is null and 変更 is null")), 0);
    const auto states = Confirmations::statesBetween(session.dataDbPath, first, first.addDays(kDays));
    for (const ReportKey &k : std::as_const(keys)) {
        const ReportConfirmation own = Confirmations::stateOf(session.dataDbPath, k);
        EXPECT_EQ(states.value(k).state, own.state) << k.day.toString().toStdString() << " " << k.customer.toStdString();
        if (deleted.contains(k)) EXPECT_EQ(own.state, ConfirmState::Unconfirmed);
    }
    // Every edit stands.
    auto db = dao::Database::open(session.dataDbPath);
    for (auto it = titles.cbegin(); it != titles.cend(); ++it) {
        if (deleted.contains(it.key())) continue;
        auto rs = db.openRecordset(QStringLiteral("select タイトル from 営業日報 where 日付 = ? and 顧客名 = ?"),
                                   {it.key().day, it.key().customer});
        EXPECT_EQ(rs.field(QStringLiteral("タイトル")).toString(), it.value());
    }
}

// A data database on a file or on the test server, with SQL sent straight
// to its engine.
struct Place {
    explicit Place(Engine engine) {
        if (engine == Engine::Server) {
            server = std::make_unique<testing::ServerDb>();
            session.dataDbPath = server->uri;
        } else {
            session.dataDbPath = testing::copyDeliveredFile(dir, QStringLiteral("TqenData.mdb"));
        }
        session.workDbPath = testing::copyDeliveredFile(dir, QStringLiteral("TqenWork.mdb"));
    }
    void exec(const QString &sql) {
        if (server) {
            ASSERT_TRUE(server->exec(sql)) << sql.toStdString();
            return;
        }
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(session.dataDbPath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_busy_timeout(db, 5000);
        char *message = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message), SQLITE_OK)
            << (message ? message : "") << " in " << sql.toStdString();
        sqlite3_free(message);
        sqlite3_close(db);
    }
    qlonglong unknownMarkers() {
        auto db = dao::Database::open(session.dataDbPath);
        auto rs = db.openRecordset(QStringLiteral("select count(*) as n from 日報確認 where 削除番号 is null and 変更 is null"));
        return rs.isOpen() ? rs.field(QStringLiteral("n")).toLongLong() : -1;
    }
    bool keepsMarker() {
        auto db = dao::Database::open(session.dataDbPath);
        QString why;
        return Confirmations::keepsMarker(db, &why).value_or(false);
    }
    std::array<int, 3> marks(const QDate &day) {
        Error e;
        const DayConfirmation d = Confirmations::month(session.dataDbPath, day, day, {}, {}, &e).value(day);
        EXPECT_TRUE(e.ok()) << e.message().toStdString() << " " << e.detail().toStdString();
        return {d.reports, d.confirmed, d.changed};
    }

    QTemporaryDir dir;
    std::unique_ptr<testing::ServerDb> server;
    Session session;
};

// A copy of the data in each direction carries the confirmations with their
// marker (of deleted reports too), and the copy's own triggers keep it: no
// fill is needed and an edit on the copy shows at once. Copied onto the
// same place again, the copy is the source's again. The confirmations of a
// source from before the marker arrive with it unknown and are filled.
TEST(ConfirmationCopies, EachDirectionCarriesTheMarkerAndItsTriggers) {
    struct Case {
        const char *name;
        Engine from, to;
        bool olderSource;
    };
    const Case cases[] = {{"file to file", Engine::File, Engine::File, false},
                          {"file to the server", Engine::File, Engine::Server, false},
                          {"server to file", Engine::Server, Engine::File, false},
                          {"server to server", Engine::Server, Engine::Server, false},
                          {"older file to the server", Engine::File, Engine::Server, true},
                          {"older server to file", Engine::Server, Engine::File, true}};
    const ReportKey a{QDate(2024, 5, 1), QStringLiteral("甲'商店"), QStringLiteral("山田")};
    const ReportKey b{QDate(2024, 5, 1), QStringLiteral("乙"), QStringLiteral("佐藤")};
    const ReportKey c{QDate(2024, 5, 2), QStringLiteral("丙"), QStringLiteral("山田")};
    CopyOptions options;
    options.addedTables = {DeletedReports::definition(), Confirmations::definition()};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        if ((k.from == Engine::Server || k.to == Engine::Server) && testing::serverBaseUri().isEmpty()) {
            std::printf("server absent: \"%s\" skipped\n", k.name);
            continue;
        }
        Place from(k.from), to(k.to);
        ASSERT_TRUE(CodeTable::addName(from.session.dataDbPath, QStringLiteral("担当"), kBoss).ok());
        for (const ReportKey &r : {a, b, c})
            ASSERT_TRUE(Reports::enter(from.session, Report{r.day, r.customer, QStringLiteral("よみ"), QStringLiteral("題"), r.staff,
                                                            QStringLiteral("メモ")})
                            .ok());
        if (k.olderSource) {
            const bool onServer = k.from == Engine::Server;
            const QString text = onServer ? QStringLiteral("text COLLATE \"C\"") : QStringLiteral("TEXT");
            from.exec(QStringLiteral("CREATE TABLE 日報確認 (確認番号 %1, 日付 %2, 顧客名 %3, 担当 %3, 確認者 %3, 確認日時 %3, "
                                     "コメント %3, 指紋 %3, 削除番号 %1)")
                          .arg(onServer ? QStringLiteral("bigint") : QStringLiteral("INTEGER"),
                               onServer ? QStringLiteral("date") : QStringLiteral("DATE"), text));
            for (const ReportKey &r : {a, b, c})
                from.exec(QStringLiteral("INSERT INTO 日報確認 VALUES (%1, '%2', '%3', '%4', '部長', '2024/05/02 09:00:00', NULL, "
                                         "'%5', NULL)")
                              .arg(r.customer.size())
                              .arg(r.day.toString(Qt::ISODate), QString(r.customer).replace(u'\'', QStringLiteral("''")), r.staff,
                                   QString::fromLatin1(Confirmations::fingerprint(QStringLiteral("題"), QStringLiteral("メモ")))));
        } else {
            ASSERT_TRUE(Confirmations::confirmMany(from.session, {a, b, c}, kBoss, QString()).ok());
        }
        ASSERT_TRUE(Reports::enter(from.session, Report{b.day, b.customer, QStringLiteral("よみ"), QStringLiteral("直した"), b.staff,
                                                        QStringLiteral("メモ")})
                        .ok());
        ASSERT_TRUE(DeletedReports(from.session.dataDbPath).remove({c}, QStringLiteral("一件")).ok());
        if (!k.olderSource) ASSERT_EQ(from.marks(a.day), (std::array<int, 3>{2, 1, 1}));
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            CopyOutcome outcome;
            const Error e = copyData(from.session.dataDbPath, to.session.dataDbPath, options, &outcome);
            ASSERT_TRUE(e.ok()) << e.message().toStdString() << " " << e.detail().toStdString();
            EXPECT_TRUE(to.keepsMarker());
            EXPECT_EQ(to.unknownMarkers(), k.olderSource ? 2 : 0);
            if (k.olderSource) ASSERT_TRUE(Confirmations::fillMarkers(to.session.dataDbPath).ok());
            EXPECT_EQ(to.marks(a.day), (std::array<int, 3>{2, 1, 1}));
            // The deleted report put back comes with its confirmation (one
            // copied from an older table unknown, and filled).
            const DeletedReports store(to.session.dataDbPath);
            ASSERT_TRUE(store.last().has_value());
            DeletedReports::Restored r;
            ASSERT_TRUE(store.restore(store.last()->id, DeletedReports::Conflicts::Ask, &r).ok());
            EXPECT_EQ(to.unknownMarkers(), k.olderSource ? 1 : 0);
            if (k.olderSource) ASSERT_TRUE(Confirmations::fillMarkers(to.session.dataDbPath).ok());
            EXPECT_EQ(to.marks(c.day), (std::array<int, 3>{1, 1, 0}));
            to.exec(QStringLiteral("UPDATE 営業日報 SET メモ = '外' WHERE 顧客名 = '甲''商店'"));
            EXPECT_EQ(to.marks(a.day), (std::array<int, 3>{2, 0, 2}));
            ASSERT_TRUE(Confirmations::waitForMarkers(to.session.dataDbPath).ok());
            EXPECT_EQ(to.unknownMarkers(), 0);
        }
        Confirmations::stopFillingMarkers();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ConfirmationsTest, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto &info) { return info.param == Engine::File ? "File" : "Server"; });

}  // namespace
}  // namespace tqen::model::test
