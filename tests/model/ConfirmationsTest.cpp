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

#include <QTemporaryDir>

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
}

INSTANTIATE_TEST_SUITE_P(Engines, ConfirmationsTest, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto &info) { return info.param == Engine::File ? "File" : "Server"; });

}  // namespace
}  // namespace tqen::model::test
