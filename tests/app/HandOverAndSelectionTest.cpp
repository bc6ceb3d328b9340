// The main screen's hand-over to the report list, the staff and customer
// selection rules, and what the calendar shows in each date style.
#include "app/MonthCalendar.h"
#include "app/TqenMain.h"
#include "model/Session.h"
#include "core/ModTqen.h"
#include "model/Customers.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"
#include "tests/support/Child.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>

namespace {

class MainScreenRules : public tqen::testing::MainScreenFixture {
protected:
    forms::ComboBox *combo(const char *name) { return child<forms::ComboBox>(main.get(), QString::fromUtf8(name)); }
    forms::DateBox *dateBox() { return child<forms::DateBox>(main.get(), "txt日付"); }
    QStringList items(const char *name) {
        QStringList out;
        forms::ComboBox *c = combo(name);
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
        return out;
    }
};

// The customer goes along to the list only when the day's cell is navy: one
// report (navy) or three (navy again), not two (dark teal) or none.
TEST_F(MainScreenRules, ListHandOverTakesTheCustomerOnlyFromANavyDay) {
    const QDate one(2002, 2, 4), two(2002, 2, 5), three(2002, 2, 6), none(2002, 2, 7);
    addReport(one, QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    for (int i = 0; i < 2; ++i) addReport(two, QStringLiteral("山田商店"), QStringLiteral("佐藤%1").arg(i));
    for (int i = 0; i < 3; ++i) addReport(three, QStringLiteral("山田商店"), QStringLiteral("鈴木%1").arg(i));
    load();
    const struct Case {
        QDate day;
        bool customerGoes;
    } cases[] = {{one, true}, {two, false}, {three, true}, {none, false}};
    for (const Case &c : cases) {
        // Marks for every staff member and customer, then the entry's own.
        combo("cmb担当")->setText(QString());
        combo("cmb顧客名")->setText(QString());
        showMonth(c.day);
        dateBox()->setValue(c.day);
        combo("cmb担当")->setText(QStringLiteral("佐藤"));
        combo("cmb顧客名")->setText(QStringLiteral("山田商店"));
        const std::optional<model::HandOver> jump = main->SetJump();
        ASSERT_TRUE(jump.has_value());
        EXPECT_EQ(jump->day, c.day);
        EXPECT_EQ(jump->staff, QStringLiteral("佐藤"));
        EXPECT_EQ(jump->customer, c.customerGoes ? QVariant(QStringLiteral("山田商店")) : QVariant())
            << c.day.toString().toStdString();
    }
    // A navy day but no customer typed: nothing to hand over for it.
    showMonth(one);
    dateBox()->setValue(one);
    combo("cmb顧客名")->setText(QString());
    EXPECT_TRUE(main->SetJump()->customer.isNull());
    // A day of another month than the one shown never reads a cell of this one.
    showMonth(QDate(2002, 3, 1));
    dateBox()->setValue(one);
    combo("cmb顧客名")->setText(QStringLiteral("山田商店"));
    EXPECT_TRUE(main->SetJump()->customer.isNull());
    // No date: nothing is handed over.
    dateBox()->setValue(QVariant());
    EXPECT_FALSE(main->SetJump().has_value());
}

TEST_F(MainScreenRules, ADayCellStandsForItsDateByPosition) {
    load();
    showMonth(QDate(2022, 1, 10));   // January 2022 starts on a Saturday
    EXPECT_FALSE(main->calendar()->cellDate(5).isValid());
    EXPECT_EQ(main->calendar()->cellDate(6), QDate(2022, 1, 1));
    EXPECT_EQ(main->calendar()->cellDate(36), QDate(2022, 1, 31));
    main->LblCald_Click(5);   // outside the month: nothing happens
    EXPECT_EQ(dateBox()->date(), QDate(2022, 1, 1));
    main->LblCald_Click(20);
    EXPECT_EQ(dateBox()->date(), QDate(2022, 1, 15));
}

TEST_F(MainScreenRules, WeekdayHeadingsSundayRedSaturdayBlue) {
    load();
    // Red and blue in a shade that reads on the window; the others in the
    // text colour (black under the light palette).
    for (int i = 0; i < 7; ++i) {
        const QColor c = child<QLabel>(main.get(), QStringLiteral("lblWeek%1").arg(i))->palette().color(QPalette::WindowText);
        if (i == 0) EXPECT_TRUE(c.red() > 150 && c.green() == 0 && c.blue() == 0) << c.name().toStdString();
        else if (i == 6) EXPECT_TRUE(c.blue() > 150 && c.red() == 0 && c.green() == 0) << c.name().toStdString();
        else EXPECT_EQ(c, main->palette().color(QPalette::WindowText)) << i;
    }
}

TEST_F(MainScreenRules, StaffListsAloneLeaveTheCustomerListsAsTheyAre) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"));
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"), QStringLiteral("鈴木"));
    onData(QStringLiteral("update コードマスタ set sname = '佐藤' where kcode = '担当' and code = '01'"));
    load();
    const QStringList customers = items("cmb顧客名");
    ASSERT_EQ(customers, (QStringList{QStringLiteral("青木工業"), QStringLiteral("山田商店")}));
    // With a staff member typed, only "担当" is refreshed: the customer
    // lists keep every customer.
    combo("cmb担当")->setText(QStringLiteral("佐藤"));
    onData(QStringLiteral("update コードマスタ set sname = '鈴木' where kcode = '担当' and code = '02'"));
    main->SetComb(QStringLiteral("担当"));
    EXPECT_EQ(items("cmb担当"), (QStringList{QStringLiteral("佐藤"), QStringLiteral("鈴木")}));
    EXPECT_EQ(items("cmb顧客名"), customers);
    EXPECT_EQ(items("cmb印刷顧客名"), customers);
    // "顧客名" then follows the staff member.
    main->SetComb(QStringLiteral("顧客名"));
    EXPECT_EQ(items("cmb顧客名"), QStringList{QStringLiteral("山田商店")});
}

TEST_F(MainScreenRules, EntryCustomerKeepsAStoredReadingAndAlwaysWritesTheStaff) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだしょうてん"), QStringLiteral("鈴木"));
    load();
    // The customer write of a registration, as the main screen's boxes give it.
    auto enterCustomer = [this](const QString &reading, const QString &staff) {
        auto db = dao::Database::open(main->session().dataDbPath);
        ASSERT_TRUE(db.beginTrans());
        EXPECT_TRUE(model::Customers::upsertIn(db, QStringLiteral("山田商店"), reading, staff).ok());
        ASSERT_TRUE(db.commitTrans());
    };
    enterCustomer(QString(), QString());
    auto row = rows(data(), QStringLiteral("select * from 顧客マスタ where 名称 = '山田商店'"));
    ASSERT_EQ(row.size(), 1);
    EXPECT_EQ(row[0][QStringLiteral("ふりがな")], QVariant(QStringLiteral("やまだしょうてん")));
    // An empty staff box is written too: the customer no longer belongs to 鈴木.
    EXPECT_EQ(row[0][QStringLiteral("担当")].toString(), QString());
    enterCustomer(QString(), QStringLiteral("佐藤"));
    row = rows(data(), QStringLiteral("select * from 顧客マスタ where 名称 = '山田商店'"));
    EXPECT_EQ(row[0][QStringLiteral("担当")], QVariant(QStringLiteral("佐藤")));
    EXPECT_EQ(row[0][QStringLiteral("ふりがな")], QVariant(QStringLiteral("やまだしょうてん")));
}

TEST_F(MainScreenRules, ChoosingACustomerWithoutAReadingKeepsTheReadingBox) {
    addCustomer(QStringLiteral("無名商会"), QVariant());
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"));
    load();
    // A Null reading is listed by no kana: put the row into the list by hand,
    // as an older list would hold it.
    onWork(QStringLiteral("insert into w顧客参照 (名称, ふりがな) values ('無名商会', Null)"));
    child<forms::DataControl>(main.get(), "dat参照")->Refresh();
    child<forms::TextBox>(main.get(), "txtふりがな")->setText(QStringLiteral("まえのよみ"));
    child<QPushButton>(main.get(), "cmd_Enter")->click();
    EXPECT_EQ(combo("cmb顧客名")->Text(), QStringLiteral("無名商会"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtふりがな")->Text(), QStringLiteral("まえのよみ"));
}

TEST_F(MainScreenRules, ARegistrationSucceedsWhenNoStaffSlotIsFree) {
    onData(QStringLiteral("update コードマスタ set sname = 'X' & code where kcode = '担当'"));
    load();
    dateBox()->setValue(QDate(2002, 2, 14));
    combo("cmb担当")->setText(QStringLiteral("新人"));
    combo("cmb顧客名")->setText(QStringLiteral("山田商店"));
    script.answer(forms::ScriptedInteraction::Enter);
    script.answer(mb::IdOK);
    script.answer(mb::IdOK);
    child<QPushButton>(main.get(), "cmd登録")->click();
    ASSERT_EQ(script.shown.size(), 3);
    EXPECT_EQ(script.shown[1].prompt, QStringLiteral("営業日報 を登録しました。"));
    // Then the user learns why the name is not in the staff list.
    EXPECT_TRUE(script.shown[2].prompt.contains(QStringLiteral("空きがない"))) << script.shown[2].prompt.toStdString();
    EXPECT_EQ(rows(data(), QStringLiteral("select * from 営業日報")).size(), 1);
    EXPECT_TRUE(rows(data(), QStringLiteral("select * from コードマスタ where sname = '新人'")).isEmpty());
}

TEST_F(MainScreenRules, EraStyleWritesTheMonthInTheEra) {
    onWork(QStringLiteral("update 管理 set 年号 = '和暦'"));
    load();
    showMonth(QDate(2002, 2, 14));
    EXPECT_EQ(child<QLabel>(main.get(), "LblCalendarTitle")->text(), QStringLiteral("平成 14年02月"));
    forms::DateBox *box = dateBox();
    EXPECT_EQ(box->monthFormat(), QStringLiteral("ggg ee年mm月"));
    box->setValue(QDate(2019, 5, 1));
    box->showCalendar();
    EXPECT_EQ(box->calendarCaption(), QStringLiteral("令和 01年05月"));
}

}  // namespace
