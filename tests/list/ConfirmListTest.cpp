// The list's side of confirmations: the 確認 column, the filter 未確認のみ,
// ticked lines confirmed together after one question, all or none, and the
// CSV file carrying state, confirmer and comments.
#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "model/NextSteps.h"
#include "model/Reports.h"
#include "model/ReportList.h"
#include "tests/list/ListFixture.h"

#include <QCheckBox>

namespace {

class ConfirmList : public tqen::testing::ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        for (const char *name : {"佐藤", "鈴木", "課長"})
            ASSERT_TRUE(model::CodeTable::addName(data(), QStringLiteral("担当"), QString::fromUtf8(name)).ok());
        // Newest first: 2/15 鈴木, 2/14 佐藤 ×2, 2/13 佐藤.
        addReport(QDate(2002, 2, 13), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("訪問"), QStringLiteral("一"));
        addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("見積"), QStringLiteral("二"));
        addReport(QDate(2002, 2, 14), QStringLiteral("青木工業"), QStringLiteral("佐藤"), QStringLiteral("納品"), QStringLiteral("三"));
        addReport(QDate(2002, 2, 15), QStringLiteral("川口工業"), QStringLiteral("鈴木"), QStringLiteral("電話"), QStringLiteral("四"));
    }
    model::Session session() const {
        model::Session s;
        s.dataDbPath = data();
        s.workDbPath = work();
        return s;
    }
    model::ReportKey key(int row) {
        const QAbstractItemModel *m = grid->model();
        return {QDate::fromString(m->index(row, FrmNippoList::ColDate).data().toString(), QStringLiteral("yyyy/MM/dd")),
                m->index(row, FrmNippoList::ColCustomer).data().toString(), m->index(row, FrmNippoList::ColStaff).data().toString()};
    }
    int confirmationRows() { return int(rows(data(), QStringLiteral("select * from 日報確認")).size()); }
    void load() {
        ListFixture::load();
        grid->setNumberFormat(FrmNippoList::ColDate, QStringLiteral("yyyy/mm/dd"));
    }
    void read() { ListFixture::read(QDate(2002, 2, 1), QDate(2002, 2, 28)); }
};

TEST_F(ConfirmList, TickedLinesAreConfirmedTogetherAfterOneQuestionAndTheColumnAndFilterFollow) {
    load();
    read();
    ASSERT_EQ(lines().size(), 4);
    EXPECT_EQ(confirmations(), QStringList(4, QStringLiteral("未確認")));

    // No confirmer chosen on this PC yet: said so, nothing written.
    tick(1);
    tick(2);
    click("cmd一括確認");
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown.last().prompt.contains(QStringLiteral("確認者が選ばれていません")));

    // Declined: nothing written either.
    ASSERT_TRUE(model::Confirmations::setConfirmer(QStringLiteral("課長")).ok());
    script.answer(mb::IdNo);
    click("cmd一括確認");
    EXPECT_TRUE(script.shown.last().prompt.contains(QStringLiteral("チェックした 2 行")));
    EXPECT_EQ(confirmationRows(), 0);

    script.answer(mb::IdYes);
    script.answer(mb::IdOK);
    click("cmd一括確認");
    EXPECT_EQ(confirmationRows(), 2);
    EXPECT_EQ(confirmations(), (QStringList{"未確認", "確認済 課長", "確認済 課長", "未確認"}));
    if (!qEnvironmentVariableIsEmpty("TQEN_LIST_SHOT")) form->grab().save(qEnvironmentVariable("TQEN_LIST_SHOT"));

    // A report edited after its confirmation reads so, never as confirmed.
    const model::ReportKey edited = key(1);
    run(data(), QStringLiteral("update 営業日報 set メモ = 'changed' where 日付 = #%1# and 顧客名 = '%2'")
                    .arg(edited.day.toString(QStringLiteral("yyyy/MM/dd")), edited.customer));
    read();
    EXPECT_EQ(confirmations()[1], QStringLiteral("確認後に変更 課長"));

    // 未確認のみ leaves out the one confirmed as it is, keeps the changed one.
    child<QCheckBox>(form, "chk未確認のみ")->setChecked(true);
    EXPECT_EQ(lines().size(), 3);
    EXPECT_FALSE(confirmations().contains(QStringLiteral("確認済 課長")));
    EXPECT_TRUE(confirmations().contains(QStringLiteral("確認後に変更 課長")));
}

// Lines fetched as the grid scrolls past the first screen get their 確認
// column too, once the form is idle: none stays blank, and a report
// confirmed on an older day shows its confirmer.
TEST_F(ConfirmList, LinesFetchedAsTheGridScrollsShowTheirConfirmations) {
    {
        auto db = dao::Database::open(data());
        ASSERT_TRUE(db.beginTrans());
        auto rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        for (int i = 0; i < FrmNippoList::ScreenLines + 20; ++i) {
            rs.addNew();
            rs.setField(QStringLiteral("日付"), QDate(2002, 2, 1 + i % 12));
            rs.setField(QStringLiteral("顧客名"), QStringLiteral("顧客%1").arg(i, 3, 10, QChar(u'0')));
            rs.setField(QStringLiteral("担当"), QStringLiteral("佐藤"));
            rs.setField(QStringLiteral("タイトル"), QStringLiteral("件%1").arg(i));
            ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        }
        ASSERT_TRUE(db.commitTrans());
    }
    // The first screen reaches back to 2/3: the lines of 2/2 and 2/1 come
    // with the scroll.
    const model::ReportKey oldest{QDate(2002, 2, 1), QStringLiteral("顧客108"), QStringLiteral("佐藤")};
    ASSERT_TRUE(model::Confirmations::confirm(session(), oldest, QStringLiteral("課長"), QString()).ok());
    load();
    read();
    // The first screen's column is read first, then the grid scrolls on.
    ASSERT_EQ(confirmations(), QStringList(FrmNippoList::ScreenLines, QStringLiteral("未確認")));
    grid->scrollToBottom();
    while (grid->model()->canFetchMore({})) grid->model()->fetchMore({});
    const QStringList column = confirmations();
    ASSERT_EQ(column.size(), 4 + FrmNippoList::ScreenLines + 20);
    for (int row = 0; row < column.size(); ++row) {
        const QString want = key(row) == oldest ? QStringLiteral("確認済 課長") : QStringLiteral("未確認");
        EXPECT_EQ(column[row], want) << row;
    }
}

// The one question takes an optional comment, stored on every report it
// confirms; an overlong one is refused with the single confirmation's
// message and asked again as typed, having written nothing.
TEST_F(ConfirmList, TheBulkConfirmationsCommentGoesOnEveryReportItConfirms) {
    load();
    read();
    ASSERT_TRUE(model::Confirmations::setConfirmer(QStringLiteral("課長")).ok());
    tick(1);
    tick(2);
    const QString tooLong(model::Confirmations::MaxComment + 1, u'あ');
    script.typeText(tooLong);
    script.answer(mb::IdYes);  // the question
    script.answer(mb::IdOK);   // the refusal
    script.answer(mb::IdNo);   // asked again, declined
    click("cmd一括確認");
    ASSERT_EQ(script.shown.size(), 3);
    EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("1000 文字まで"))) << script.shown[1].prompt.toStdString();
    EXPECT_TRUE(script.shown[2].prompt.contains(QStringLiteral("チェックした 2 行")));
    EXPECT_EQ(script.offeredTexts, (QStringList{QString(), tooLong}));
    EXPECT_EQ(confirmationRows(), 0);

    script.typeText(QStringLiteral("見積の件、了解"));
    script.answer(mb::IdYes);
    script.answer(mb::IdOK);
    click("cmd一括確認");
    const model::ReportList::Period month{QDate(2002, 2, 1), QDate(2002, 2, 28), {}, {}};
    const auto states = model::ReportList::confirmations(data(), month, true);
    for (const int row : {1, 2}) {
        ASSERT_TRUE(states.contains(key(row))) << row;
        EXPECT_EQ(states[key(row)].comments, QStringLiteral("見積の件、了解")) << row;
    }
    EXPECT_EQ(confirmationRows(), 2);
}

TEST_F(ConfirmList, AConfirmerRemovedOrAReportDeletedMeanwhileConfirmsNothing) {
    load();
    read();
    ASSERT_TRUE(model::Confirmations::setConfirmer(QStringLiteral("課長")).ok());
    tick(0);
    tick(3);

    // The confirmer left the code table since it was chosen.
    run(data(), QStringLiteral("update コードマスタ set sname = Null where kcode = '担当' and sname = '課長'"));
    script.answer(mb::IdYes);
    click("cmd一括確認");
    EXPECT_TRUE(script.shown.last().prompt.contains(QStringLiteral("コード表の担当にありません"))) << script.shown.last().prompt.toStdString();
    EXPECT_EQ(confirmationRows(), 0);

    // Another PC deleted one of the ticked reports: none is confirmed, the
    // other stays as it was, the ticks stay.
    ASSERT_TRUE(model::CodeTable::addName(data(), QStringLiteral("担当"), QStringLiteral("課長")).ok());
    const model::ReportKey gone = key(3);
    run(data(), QStringLiteral("delete * from 営業日報 where 日付 = #%1# and 顧客名 = '%2'")
                    .arg(gone.day.toString(QStringLiteral("yyyy/MM/dd")), gone.customer));
    script.answer(mb::IdYes);
    click("cmd一括確認");
    EXPECT_TRUE(script.shown.last().prompt.contains(QStringLiteral("別の端末で削除された"))) << script.shown.last().prompt.toStdString();
    EXPECT_EQ(confirmationRows(), 0);
    EXPECT_TRUE(lines()[0].endsWith(QStringLiteral(" x")));
}

// A ticked line deleted takes its report's confirmation into the deletion;
// putting the deletion back brings the report back confirmed.
TEST_F(ConfirmList, DeletingTickedLinesCarriesTheirConfirmationsAndUndoBringsThemBack) {
    const model::ReportKey k{QDate(2002, 2, 15), QStringLiteral("川口工業"), QStringLiteral("鈴木")};
    ASSERT_TRUE(model::Confirmations::confirm(session(), k, QStringLiteral("課長"), QStringLiteral("了解")).ok());
    load();
    read();
    ASSERT_EQ(confirmations()[0], QStringLiteral("確認済 課長"));
    tick(0);
    qsizetype lines = 0;
    ASSERT_TRUE(model::ReportList::deleteTicked(work(), data(), &lines).ok());
    EXPECT_EQ(lines, 1);
    const model::ReportList::Period month{QDate(2002, 2, 1), QDate(2002, 2, 28), {}, {}};
    EXPECT_TRUE(model::ReportList::confirmations(data(), month, true).isEmpty());

    const model::DeletedReports store(data());
    const auto last = store.last();
    ASSERT_TRUE(last.has_value());
    model::DeletedReports::Restored back;
    ASSERT_TRUE(store.restore(last->id, model::DeletedReports::Conflicts::Ask, &back).ok());
    const auto states = model::ReportList::confirmations(data(), month, true);
    ASSERT_TRUE(states.contains(k));
    EXPECT_EQ(states[k].text(), QStringLiteral("確認済 課長"));
    EXPECT_EQ(states[k].comments, QStringLiteral("了解"));
}

TEST_F(ConfirmList, TheCsvCarriesStateConfirmerAndEveryComment) {
    const model::ReportKey k{QDate(2002, 2, 14), QStringLiteral("青木工業"), QStringLiteral("佐藤")};
    const QDateTime at(QDate(2002, 2, 15), QTime(9, 30));
    ASSERT_TRUE(model::Confirmations::confirm(session(), k, QStringLiteral("課長"), QStringLiteral("=見積の件, 了解"), {}, at).ok());
    ASSERT_TRUE(model::Confirmations::confirm(session(), k, QStringLiteral("鈴木"), QStringLiteral("\"次回\"も同行"), {}, at.addSecs(60)).ok());
    load();
    read();
    Error error;
    const QList<QStringList> records = model::ReportList::csvRecords(work(), data(), &error);
    ASSERT_TRUE(error.ok()) << error.message().toStdString();
    ASSERT_EQ(records.size(), 5);
    EXPECT_EQ(records[0].mid(6, 4), (QStringList{"確認", "確認者", "確認日時", "コメント"}));
    QStringList confirmed;
    for (const QStringList &r : records)
        if (r[1] == QStringLiteral("青木工業")) confirmed = r.mid(6, 4);
    EXPECT_EQ(confirmed, (QStringList{"確認済", "鈴木", "2002/02/15 09:31", "=見積の件, 了解\n\"次回\"も同行"}));
    EXPECT_EQ(records[1].mid(6, 4), (QStringList{"未確認", "", "", ""}));
}

}  // namespace

namespace {

// The 次回予定 column: each line shows its report's next step as the CSV and
// the cards carry it, a closed one with the day it was closed; a line
// without a step shows nothing.
TEST_F(ConfirmList, TheNextStepColumnShowsEachLinesStep) {
    model::Session s = session();
    auto enter = [&s](const QDate &day, const QString &customer, const QString &title, const model::PlannedStep &next) {
        ASSERT_TRUE(model::Reports::enter(s, model::Report{day, customer, QStringLiteral("よみ"), title, QStringLiteral("佐藤"), QString()},
                                          nullptr, next)
                        .ok());
    };
    enter(QDate(2002, 2, 16), QStringLiteral("丸山商会"), QStringLiteral("初訪問"), {QDate(2002, 2, 20), QStringLiteral("見積を持参")});
    enter(QDate(2002, 2, 17), QStringLiteral("森田工業"), QStringLiteral("相談"), {QDate(2002, 2, 18), QStringLiteral("図面")});
    // A visit on the planned day closes the step of 2/17.
    enter(QDate(2002, 2, 18), QStringLiteral("森田工業"), QStringLiteral("図面を届けた"), {});
    load();
    read();
    QApplication::processEvents();   // the column fills in after the first screen
    const QAbstractItemModel *m = grid->model();
    QMap<QString, QString> shown;
    for (int r = 0; r < m->rowCount(); ++r)
        shown.insert(m->index(r, FrmNippoList::ColTitle).data().toString(), m->index(r, FrmNippoList::ColNextStep).data().toString());
    EXPECT_EQ(shown.value(QStringLiteral("初訪問")), QStringLiteral("2002/02/20 見積を持参"));
    EXPECT_EQ(shown.value(QStringLiteral("相談")), QStringLiteral("2002/02/18 図面（完了 2002/02/18）"));
    EXPECT_EQ(shown.value(QStringLiteral("図面を届けた")), QString());
    EXPECT_EQ(shown.value(QStringLiteral("訪問")), QString());
    EXPECT_EQ(m->headerData(FrmNippoList::ColNextStep, Qt::Horizontal).toString(), QStringLiteral("次回予定"));
}

}  // namespace
