// The main screen's search tab: typed as a person types, results chosen
// with the keyboard, and a data file from before the search index.
#include "model/ReportSearch.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"

#include <sqlite3.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

class SearchTab : public tqen::testing::MainScreenFixture {
protected:
    void addReports() {
        addReport(QDate(2024, 1, 10), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("見積の打合せ"),
                  QStringLiteral("ＰＣ１０台の見積を提出。ｶﾞｲﾄﾞﾗｲﾝに沿って再提出"));
        addReport(QDate(2024, 3, 1), QStringLiteral("青木工業"), QStringLiteral("鈴木"), QStringLiteral("クレーム対応"),
                  QStringLiteral("納期遅れのおわび。がいどらいんを説明した"));
        addReport(QDate(2024, 2, 5), QStringLiteral("青木工業"), QStringLiteral("佐藤"), QStringLiteral("定例訪問"),
                  QStringLiteral("年度末のあいさつ"));
    }
    QTreeWidget *results() { return child<QTreeWidget>(main.get(), "lst検索結果"); }
    void search(const QString &term) {
        child<QTabWidget>(main.get(), "SSTab1")->setCurrentIndex(2);
        auto *box = child<QLineEdit>(main.get(), "txt検索");
        box->clear();
        type(box, term);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QStringList column(int c) {
        QStringList out;
        for (int i = 0; i < results()->topLevelItemCount(); ++i) out << results()->topLevelItem(i)->text(c);
        return out;
    }
    // Drops the index, as in a file written before it existed.
    void dropIndex() {
        ASSERT_TRUE(model::dropSearchIndex(data()).ok());
        ASSERT_FALSE(model::hasSearchIndex(data()));
    }
};

TEST_F(SearchTab, ATermFindsReportsNewestFirstAndEnterOpensOne) {
    addReports();
    load();
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QString());
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QString());
    search(QStringLiteral("ｶﾞｲﾄﾞﾗｲﾝ"));
    ASSERT_EQ(results()->topLevelItemCount(), 2);
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("青木工業"), QStringLiteral("山田商店")}));
    EXPECT_EQ(column(2), (QStringList{QStringLiteral("鈴木"), QStringLiteral("佐藤")}));
    EXPECT_EQ(column(3), (QStringList{QStringLiteral("クレーム対応"), QStringLiteral("見積の打合せ")}));
    EXPECT_EQ(column(4)[0], QStringLiteral("…のおわび。【がいどらいん】を説明した"));
    EXPECT_TRUE(column(0)[0].contains(QStringLiteral("03月01日")) || column(0)[0].contains(QStringLiteral("3月1日")))
        << column(0)[0].toStdString();
    EXPECT_TRUE(child<QLabel>(main.get(), "lbl件数")->text().contains(QStringLiteral("2 件")));

    // The first row has the focus; Enter opens its report in the entry tab.
    ASSERT_EQ(QApplication::focusWidget(), results());
    QTest::keyClick(results(), Qt::Key_Down);
    QTest::keyClick(results(), Qt::Key_Return);
    EXPECT_EQ(child<QTabWidget>(main.get(), "SSTab1")->currentIndex(), 1);
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(QDate(2024, 1, 10)));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb担当")->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QStringLiteral("見積の打合せ"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(),
              QStringLiteral("ＰＣ１０台の見積を提出。ｶﾞｲﾄﾞﾗｲﾝに沿って再提出"));
    EXPECT_EQ(main->calendar()->monthShown().month(), 1);
    EXPECT_TRUE(script.shown.isEmpty());
}

TEST_F(SearchTab, TheEntrysStaffAndCustomerFilterUnlessTurnedOff) {
    addReports();
    load();
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("青木工業"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QString());
    const struct Case {
        const char *staff;
        bool filter;
        int found;
    } cases[] = {{"", true, 2}, {"佐藤", true, 1}, {"佐藤", false, 3}, {"", false, 3}};
    for (const Case &c : cases) {
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(QString::fromUtf8(c.staff));
        child<QCheckBox>(main.get(), "chk絞り込み")->setChecked(c.filter);
        search(QStringLiteral("の"));  // one character: the scan of the folded text
        EXPECT_EQ(results()->topLevelItemCount(), c.found) << c.staff << " " << c.filter;
    }
    search(QStringLiteral("見つからない語"));
    EXPECT_EQ(results()->topLevelItemCount(), 0);
    EXPECT_TRUE(child<QLabel>(main.get(), "lbl件数")->text().contains(QStringLiteral("見つかりません")));
}

TEST_F(SearchTab, AnOlderDataFileGetsItsIndexAtStartAndAfterARestore) {
    addReports();
    dropIndex();
    load();
    // Made behind the screen, once the file is known to be sound.
    EXPECT_TRUE(QTest::qWaitFor([&] { return model::hasSearchIndex(data()); }, 30000));
    EXPECT_TRUE(script.shown.isEmpty());
    // A restored older file while the program runs: the search builds it.
    dropIndex();
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QString());
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QString());
    search(QStringLiteral("見積"));
    EXPECT_EQ(column(1), QStringList{QStringLiteral("山田商店")});
    EXPECT_TRUE(model::hasSearchIndex(data()));
    // Registration on the main screen keeps it in step.
    addReport(QDate(2024, 5, 1), QStringLiteral("青木工業"), QStringLiteral("鈴木"), QStringLiteral("再見積"));
    search(QStringLiteral("見積"));
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("青木工業"), QStringLiteral("山田商店")}));
}

}  // namespace

namespace {

// Another program (here a bare SQLite connection, without any function of
// ours) writes reports while the program runs: its statements run, and the
// next search shows what it wrote.
TEST_F(SearchTab, ReportsWrittenByAnotherProgramAreFoundByTheNextSearch) {
    addReports();
    load();
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QString());
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QString());
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(data().toUtf8().constData(), &db), SQLITE_OK);
    char *err = nullptr;
    ASSERT_EQ(sqlite3_exec(db,
                           "INSERT INTO 営業日報 (日付, 顧客名, 担当, タイトル, メモ) VALUES ('2024-06-01', '外部商会', '鈴木', '打合せ', 'ｶﾞｲﾄﾞﾗｲﾝ改訂');"
                           "UPDATE 営業日報 SET メモ = '説明済み' WHERE 日付 = '2024-03-01';",
                           nullptr, nullptr, &err),
              SQLITE_OK)
        << (err ? err : "");
    sqlite3_close(db);
    search(QStringLiteral("ガイドライン"));
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("外部商会"), QStringLiteral("山田商店")}));
}

}  // namespace
