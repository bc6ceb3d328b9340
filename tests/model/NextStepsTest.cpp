// Next steps of reports and the office's memo templates, on a data file and
// on the test server.
#include "model/DataCopy.h"
#include "model/DataDeletion.h"
#include "model/DeletedReports.h"
#include "model/MemoTemplates.h"
#include "model/NextSteps.h"
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

class NextStepsTest : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!ready()) return;
    }
    Error enter(const QDate &day, const QString &customer, const QString &staff,
                const std::optional<PlannedStep> &next = std::nullopt) {
        return Reports::enter(session, Report{day, customer, QStringLiteral("よみ"), QStringLiteral("題"), staff, QString()},
                              nullptr, next);
    }
    bool hasTable(const QString &table) {
        auto db = dao::Database::open(session.dataDbPath);
        QString why;
        return dao::hasTable(db, table, &why).value_or(false);
    }
    const QString &path() const { return session.dataDbPath; }

    const QString 甲 = QStringLiteral("甲'商店"), 乙 = QStringLiteral("乙"), 山田 = QStringLiteral("山田"),
                  佐藤 = QStringLiteral("佐藤");
    const QDate may1{2024, 5, 1}, may10{2024, 5, 10}, may20{2024, 5, 20};
};

TEST_P(NextStepsTest, ABookFromBeforeTheTablesHasNothingPlannedAndTheDefaultTemplates) {
    ASSERT_TRUE(enter(may1, 甲, 山田).ok());
    EXPECT_FALSE(hasTable(NextSteps::Table)) << "a report without a step makes no table";
    Error e;
    EXPECT_FALSE(NextSteps::of(path(), {may1, 甲, 山田}, &e).has_value());
    EXPECT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_TRUE(NextSteps::open(path(), QString(), &e).isEmpty());
    EXPECT_TRUE(e.ok());
    EXPECT_TRUE(NextSteps::plannedDays(path(), may1, may20, QString(), QString(), &e).isEmpty());
    EXPECT_TRUE(e.ok());
    bool saved = true;
    EXPECT_EQ(MemoTemplates::list(path(), &saved, &e), MemoTemplates::defaults());
    EXPECT_FALSE(saved);
    EXPECT_TRUE(e.ok());
}

TEST_P(NextStepsTest, AStepIsWrittenChangedAndClearedWithItsReport) {
    ASSERT_TRUE(enter(may1, 甲, 山田, PlannedStep{may10, QStringLiteral("見積を持参")}).ok());
    auto step = NextSteps::of(path(), {may1, 甲, 山田});
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->planned, may10);
    EXPECT_EQ(step->text, QStringLiteral("見積を持参"));
    EXPECT_TRUE(step->isOpen());
    // Registering again without a step given leaves it; an empty one clears it.
    ASSERT_TRUE(enter(may1, 甲, 山田).ok());
    EXPECT_TRUE(NextSteps::of(path(), {may1, 甲, 山田}).has_value());
    ASSERT_TRUE(enter(may1, 甲, 山田, PlannedStep{may20, QStringLiteral("再訪")}).ok());
    EXPECT_EQ(NextSteps::of(path(), {may1, 甲, 山田})->planned, may20);
    ASSERT_TRUE(enter(may1, 甲, 山田, PlannedStep{}).ok());
    EXPECT_FALSE(NextSteps::of(path(), {may1, 甲, 山田}).has_value());
}

TEST_P(NextStepsTest, AStepWithAProblemRefusesTheRegistrationAndWritesNothing) {
    const struct {
        const char *what;
        PlannedStep step;
        const char *said;
    } cases[] = {
        {"a day before the report's own", {QDate(2024, 4, 30), QStringLiteral("x")}, "より前です"},
        {"a text without a day", {QDate(), QStringLiteral("電話する")}, "日付を入れてください"},
        {"a text too long", {may10, QString(NextSteps::MaxText + 1, u'あ')}, "文字までです"},
    };
    for (const auto &c : cases) {
        const Error e = enter(may1, 甲, 山田, c.step);
        EXPECT_EQ(e.code(), Error::Code::BadInput) << c.what;
        EXPECT_TRUE(e.detail().contains(QString::fromUtf8(c.said))) << c.what << ": " << e.message().toStdString();
        EXPECT_FALSE(Reports::read(path(), may1, 甲, 山田).has_value()) << c.what;
    }
    // The report's own day is allowed.
    EXPECT_TRUE(enter(may1, 甲, 山田, PlannedStep{may1, QString()}).ok());
}

TEST_P(NextStepsTest, AReportOnOrAfterThePlannedDayClosesTheStep) {
    const struct {
        const char *what;
        QDate day;
        const char *customer, *staff;
        bool closes;
    } cases[] = {
        {"before the planned day", QDate(2024, 5, 9), "甲'商店", "山田", false},
        {"another staff member on the day", may10, "甲'商店", "佐藤", false},
        {"another customer on the day", may10, "乙", "山田", false},
        {"on the planned day", may10, "甲'商店", "山田", true},
        {"after the planned day", may20, "甲'商店", "山田", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(enter(may1, 甲, 山田, PlannedStep{may10, QStringLiteral("訪問")}).ok());
        // The step's own report registered again never closes it.
        ASSERT_TRUE(enter(may1, 甲, 山田).ok());
        ASSERT_TRUE(NextSteps::of(path(), {may1, 甲, 山田})->isOpen());
        ASSERT_TRUE(enter(c.day, QString::fromUtf8(c.customer), QString::fromUtf8(c.staff)).ok());
        const auto step = NextSteps::of(path(), {may1, 甲, 山田});
        ASSERT_TRUE(step.has_value());
        EXPECT_EQ(!step->isOpen(), c.closes);
        if (c.closes) EXPECT_EQ(step->closed, c.day);
        // Writing the step anew (another text) opens it again for the next case.
        ASSERT_TRUE(enter(may1, 甲, 山田, PlannedStep{}).ok());
    }
}

TEST_P(NextStepsTest, OpenStepsComeEarliestFirstAndCloseByHand) {
    ASSERT_TRUE(enter(may1, 甲, 山田, PlannedStep{may20, QStringLiteral("後")}).ok());
    ASSERT_TRUE(enter(may1, 乙, 山田, PlannedStep{may10, QStringLiteral("先")}).ok());
    ASSERT_TRUE(enter(may1, 乙, 佐藤, PlannedStep{may10, QStringLiteral("他人")}).ok());
    const QList<NextStep> mine = NextSteps::open(path(), 山田);
    ASSERT_EQ(mine.size(), 2);
    EXPECT_EQ(mine[0].text, QStringLiteral("先"));
    EXPECT_EQ(mine[1].text, QStringLiteral("後"));
    EXPECT_EQ(NextSteps::open(path(), QString()).size(), 3);
    EXPECT_EQ(NextSteps::plannedDays(path(), may1, QDate(2024, 5, 31), 山田, QString()), (QSet<QDate>{may10, may20}));
    EXPECT_EQ(NextSteps::plannedDays(path(), may1, QDate(2024, 5, 31), 山田, 甲), (QSet<QDate>{may20}));
    EXPECT_TRUE(NextSteps::plannedDays(path(), QDate(2024, 6, 1), QDate(2024, 6, 30), 山田, QString()).isEmpty());

    ASSERT_TRUE(NextSteps::close(path(), {may1, 乙, 山田}, may1).ok());
    EXPECT_EQ(NextSteps::close(path(), {may1, 乙, 山田}, may1).code(), Error::Code::NotFound) << "closed already";
    EXPECT_EQ(NextSteps::open(path(), 山田).size(), 1);
    EXPECT_EQ(NextSteps::plannedDays(path(), may1, QDate(2024, 5, 31), 山田, QString()), (QSet<QDate>{may20}))
        << "a closed step is no longer marked";
}

// A deleted report's step goes with it and comes back when the deletion is
// put back; a report registered again meanwhile keeps its own step unless
// the deleted one replaces it.
TEST_P(NextStepsTest, DeletingReportsTakesTheirStepsAlongAndUndoBringsThemBack) {
    ASSERT_TRUE(enter(may1, 甲, 山田, PlannedStep{may10, QStringLiteral("a")}).ok());
    ASSERT_TRUE(enter(may1, 乙, 山田, PlannedStep{may10, QStringLiteral("b")}).ok());
    const DeletedReports store(path());
    ASSERT_TRUE(store.remove({{may1, 甲, 山田}}, QStringLiteral("一件")).ok());
    EXPECT_FALSE(NextSteps::of(path(), {may1, 甲, 山田}).has_value());
    EXPECT_TRUE(NextSteps::of(path(), {may1, 乙, 山田}).has_value());
    DeletedReports::Restored restored;
    ASSERT_TRUE(store.restore(store.last()->id, DeletedReports::Conflicts::Ask, &restored).ok());
    ASSERT_EQ(restored.restored, 1);
    ASSERT_TRUE(NextSteps::of(path(), {may1, 甲, 山田}).has_value());
    EXPECT_EQ(NextSteps::of(path(), {may1, 甲, 山田})->text, QStringLiteral("a"));

    ASSERT_TRUE(DataDeletion::deleteAll(path(), DataDeletion::Part::Reports, QStringLiteral("全部")).ok());
    EXPECT_TRUE(NextSteps::open(path(), QString()).isEmpty());
    // 乙 is written again with a step of its own while the deletion is kept.
    ASSERT_TRUE(enter(may1, 乙, 山田, PlannedStep{may20, QStringLiteral("新")}).ok());
    ASSERT_EQ(store.list().size(), 1);
    const qlonglong all = store.list().first().id;
    ASSERT_TRUE(store.restore(all, DeletedReports::Conflicts::KeepCurrent, &restored).ok());
    EXPECT_EQ(NextSteps::of(path(), {may1, 甲, 山田})->text, QStringLiteral("a"));
    EXPECT_EQ(NextSteps::of(path(), {may1, 乙, 山田})->text, QStringLiteral("新"));
    ASSERT_TRUE(store.restore(all, DeletedReports::Conflicts::Replace, &restored).ok());
    EXPECT_EQ(NextSteps::of(path(), {may1, 乙, 山田})->text, QStringLiteral("b"));
    // The replaced report's step is kept with it in turn.
    qlonglong replaced = 0;
    for (const DeletedReports::Deletion &d : store.list())
        if (d.id != all) replaced = d.id;
    ASSERT_NE(replaced, 0);
    ASSERT_TRUE(store.restore(replaced, DeletedReports::Conflicts::Replace, &restored).ok());
    EXPECT_EQ(NextSteps::of(path(), {may1, 乙, 山田})->text, QStringLiteral("新"));
}

TEST_P(NextStepsTest, TemplatesAreSavedInOrderAndABadSetChangesNothing) {
    const QList<MemoTemplate> set{{QStringLiteral("電話"), QStringLiteral("【要件】\n")},
                                  {QStringLiteral("商談"), QStringLiteral("【商談内容】\n【見積】\n")}};
    ASSERT_TRUE(MemoTemplates::save(path(), set).ok());
    bool saved = false;
    EXPECT_EQ(MemoTemplates::list(path(), &saved), set);
    EXPECT_TRUE(saved);

    const struct {
        const char *what;
        QList<MemoTemplate> set;
        int at;
    } bad[] = {
        {"no name", {{QStringLiteral(" "), QStringLiteral("x")}}, 0},
        {"a name twice", {{QStringLiteral("a"), QStringLiteral("x")}, {QStringLiteral("a "), QStringLiteral("y")}}, 1},
        {"no text", {{QStringLiteral("a"), QString()}}, 0},
        {"100,000 characters", {{QStringLiteral("a"), QStringLiteral("x")}, {QStringLiteral("長い"), QString(100000, u'あ')}}, 1},
    };
    for (const auto &b : bad) {
        int at = -2;
        EXPECT_FALSE(MemoTemplates::problem(b.set, &at).isEmpty()) << b.what;
        EXPECT_EQ(at, b.at) << b.what;
        EXPECT_EQ(MemoTemplates::save(path(), b.set).code(), Error::Code::BadInput) << b.what;
        EXPECT_EQ(MemoTemplates::list(path()), set) << b.what;
    }
    // The office may keep none: that stays none, not the defaults.
    ASSERT_TRUE(MemoTemplates::save(path(), {}).ok());
    EXPECT_TRUE(MemoTemplates::list(path(), &saved).isEmpty());
    EXPECT_TRUE(saved);
}

// Copying the data to a server (--copy-data) carries the steps and the
// templates; a server without their tables gets them made.
TEST(NextStepsCopy, CopyingTheDataCarriesStepsAndTemplates) {
    TQEN_SKIP_WITHOUT_SERVER();
    QTemporaryDir dir;
    testing::ServerDb server;
    ASSERT_TRUE(server.ok);
    Session session;
    session.dataDbPath = testing::copyDeliveredFile(dir, QStringLiteral("TqenData.mdb"));
    session.workDbPath = testing::copyDeliveredFile(dir, QStringLiteral("TqenWork.mdb"));
    const ReportKey key{QDate(2024, 5, 1), QStringLiteral("甲"), QStringLiteral("山田")};
    ASSERT_TRUE(Reports::enter(session, Report{key.day, key.customer, QString(), QString(), key.staff, QString()}, nullptr,
                               PlannedStep{QDate(2024, 5, 9), QStringLiteral("再訪")})
                    .ok());
    const QList<MemoTemplate> set{{QStringLiteral("電話"), QStringLiteral("【要件】")}};
    ASSERT_TRUE(MemoTemplates::save(session.dataDbPath, set).ok());
    CopyOptions options;
    options.addedTables = {NextSteps::definition(), MemoTemplates::definition()};
    CopyOutcome outcome;
    const Error e = copyData(session.dataDbPath, server.uri, options, &outcome);
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    const auto step = NextSteps::of(server.uri, key);
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->text, QStringLiteral("再訪"));
    EXPECT_EQ(MemoTemplates::list(server.uri), set);
}

INSTANTIATE_TEST_SUITE_P(Engines, NextStepsTest, ::testing::Values(Engine::File, Engine::Server),
                         testing::engineName);

}  // namespace
}  // namespace tqen::model::test
