// Who has reported, from the main screen: the month's grid of staff and
// working days, and a click on a cell taking its day and staff member to the
// main screen or to the report list.
#include "app/TqenMain.h"
#include "model/Session.h"
#include "list/FrmNippoList.h"
#include "model/CodeTable.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "status/FrmTeisyutu.h"
#include "tests/app/MainScreenFixture.h"
#include "tests/support/Child.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

namespace {

class StatusForm : public tqen::testing::MainScreenFixture {
protected:
    void TearDown() override {
        if (forms::Form *f = forms::findForm(QStringLiteral("FrmNippoList"))) f->unload();
        if (status) status->unload();
        forms::DoEvents();
        main.reset();
        MainScreenFixture::TearDown();
    }
    void addStaff(const QString &name) {
        ASSERT_TRUE(model::CodeTable::addName(data(), QStringLiteral("担当"), name).ok());
    }
    void open(const QDate &month) {
        showMonth(month);
        child<QPushButton>(main.get(), "cmd提出状況")->click();
        status = qobject_cast<FrmTeisyutu *>(forms::findForm(QStringLiteral("FrmTeisyutu")));
        ASSERT_TRUE(status);
        grid = child<QTableWidget>(status.data(), "grd提出状況");
    }
    int column(const QDate &day) const { return int(status->month().days.indexOf(day)); }
    int row(const QString &staff) const { return int(status->month().staff.indexOf(staff)); }
    QString message() const { return child<QLabel>(status.data(), "lblMsg")->text(); }

    QPointer<FrmTeisyutu> status;
    QTableWidget *grid = nullptr;
};

TEST_F(StatusForm, TheMonthShowsWhoReportedOnEachWorkingDayAndAClickOpensTheDay) {
    const QDate one(2019, 5, 7), two(2019, 5, 8), holiday(2019, 5, 3);
    addStaff(QStringLiteral("佐藤"));
    addStaff(QStringLiteral("鈴木"));
    addReport(one, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("訪問"), QStringLiteral("見積"));
    addReport(two, QStringLiteral("山田商店"), QStringLiteral("鈴木"), QStringLiteral("一件目"));
    addReport(two, QStringLiteral("川口工業"), QStringLiteral("鈴木"), QStringLiteral("二件目"));
    load();
    open(one);

    // 2019-05: 27 April to 6 May off, so 19 working days.
    ASSERT_EQ(grid->columnCount(), 19);
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(column(holiday), -1);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("7\n(火)"));
    const struct { const char *staff; QDate day; const char *text; } cells[] = {
        {"佐藤", one, "未確認"}, {"佐藤", two, "未提出"}, {"鈴木", one, "未提出"}, {"鈴木", two, "未確認"},
    };
    for (const auto &c : cells) {
        QTableWidgetItem *item = grid->item(row(QString::fromUtf8(c.staff)), column(c.day));
        ASSERT_TRUE(item) << c.staff;
        EXPECT_EQ(item->text(), QString::fromUtf8(c.text)) << c.staff << " " << c.day.day();
        // A screen reader hears who, which day and what, not a colour.
        EXPECT_TRUE(item->data(Qt::AccessibleTextRole).toString().startsWith(QString::fromUtf8(c.staff)));
    }
    EXPECT_EQ(grid->item(row(QStringLiteral("鈴木")), column(two))->data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("鈴木 5月8日(水): 日報 2 件、未確認 2 件"));
    EXPECT_EQ(forms::accessibilityProblems(status.data()), QStringList());
    if (!qEnvironmentVariableIsEmpty("TQEN_STATUS_SHOT")) status->grab().save(qEnvironmentVariable("TQEN_STATUS_SHOT"));
    EXPECT_TRUE(message().contains(QStringLiteral("未提出 36 件"))) << message().toStdString();

    // One report: the main screen shows it.
    status->openCell(row(QStringLiteral("佐藤")), column(one));
    forms::DoEvents();
    main->Form_Activate();
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb担当")->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->date(), one);
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QStringLiteral("見積"));

    // Two reports: the list of that day and staff member shows both.
    status->openCell(row(QStringLiteral("鈴木")), column(two));
    forms::DoEvents();
    auto *list = qobject_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList")));
    ASSERT_TRUE(list);
    list->Form_Activate();
    list->CompleteList();
    auto *listed = child<QAbstractItemView>(list, "Grid日報一覧");
    EXPECT_EQ(listed->model()->rowCount(), 2);
    EXPECT_EQ(child<forms::ComboBox>(list, "cmb担当")->Text(), QStringLiteral("鈴木"));

    // The previous month: April 2019, the week up to the 26th working.
    child<QPushButton>(status.data(), "cmd前月")->click();
    EXPECT_EQ(status->month().month, 4);
    EXPECT_EQ(grid->columnCount(), 20);
}

TEST_F(StatusForm, AMonthWithoutStaffSaysSoAndAStaffMemberRemovedSinceStaysListed) {
    load();
    open(QDate(2024, 2, 1));
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_TRUE(message().contains(QStringLiteral("コード表に担当が登録されていません"))) << message().toStdString();

    // Reports by someone no longer on the staff list are not hidden.
    addReport(QDate(2024, 2, 5), QStringLiteral("山田商店"), QStringLiteral("退職者"));
    child<QPushButton>(status.data(), "cmd読込")->click();
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->verticalHeaderItem(0)->text(), QStringLiteral("退職者 *"));
    EXPECT_EQ(grid->item(0, column(QDate(2024, 2, 5)))->text(), QStringLiteral("未確認"));
    EXPECT_TRUE(message().contains(QStringLiteral("コード表にない担当"))) << message().toStdString();
}

}  // namespace
