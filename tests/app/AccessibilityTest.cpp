// The main screen read through the accessibility interface, as a screen
// reader or an automation tool reads it, and worked with the keyboard alone.
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace tqen;
using tqen::testing::child;
namespace mb = tqen::forms::mb;

namespace {

using Accessibility = tqen::testing::MainScreenFixture;

// The focus is on a box or on the text inside it.
bool focusIsIn(QWidget *box) {
    QWidget *f = QApplication::focusWidget();
    return f && (f == box || box->isAncestorOf(f));
}

TEST_F(Accessibility, EveryFocusableControlHasANameAndButtonsSayTheirCaption) {
    load();
    auto *tabs = child<QTabWidget>(main.get(), "SSTab1");
    for (int tab : {1, 0, 2}) {
        tabs->setCurrentIndex(tab);
        const QStringList problems = forms::accessibilityProblems(main.get());
        EXPECT_TRUE(problems.isEmpty()) << "tab " << tab << ":\n" << problems.join(u'\n').toStdString();
    }
}

// The text that takes the focus inside each entry box carries its label.
TEST_F(Accessibility, TheTextInsideEachEntryBoxIsNamedByItsLabel) {
    load();
    const struct Case {
        QWidget *focused;
        const char *name;
    } cases[] = {
        {child<forms::DateBox>(main.get(), "txt日付")->editor(), "日付"},
        {child<forms::ComboBox>(main.get(), "cmb担当")->lineEdit(), "担当"},
        {child<forms::ComboBox>(main.get(), "cmb顧客名")->lineEdit(), "顧客名"},
        {child<forms::TextBox>(main.get(), "txtふりがな")->editor(), "ふりがな"},
        {child<forms::TextBox>(main.get(), "txtタイトル")->editor(), "タイトル"},
        {child<forms::TextBox>(main.get(), "txtメモ")->editor(), "メモ"},
    };
    for (const Case &c : cases) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(c.focused);
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(c.name));
    }
}

// A cell says its date and what the eye sees: today, and how many reports.
TEST_F(Accessibility, DayCellsSayTheirDateAndState) {
    const QDate today = QDate::currentDate();
    const QDate other = today.day() == 1 ? today.addDays(1) : today.addDays(-1);
    addReport(other, QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    addReport(other, QStringLiteral("青木工業"), QStringLiteral("佐藤"));
    load();
    const auto name = [&](const QDate &d) {
        QWidget *cell = child<QWidget>(main.get(), QStringLiteral("LblCald_%1").arg(cellOf(d)));
        return QAccessible::queryAccessibleInterface(cell)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(today), today.toString(QStringLiteral("yyyy年MM月dd日")) + QStringLiteral(" 今日"));
    EXPECT_EQ(name(other), other.toString(QStringLiteral("yyyy年MM月dd日")) + QStringLiteral(" 日報2件"));
}

// A report registered and the calendar stepped without a single mouse event.
TEST_F(Accessibility, KeyboardAloneRegistersAReportAndMovesTheCalendar) {
    load();
    QWidget *days = child<QWidget>(main.get(), "calendarDays");
    main->activateWindow();
    days->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(days->hasFocus());
    const QDate today = QDate::currentDate();
    EXPECT_EQ(main->calendarCursor(), today);
    // Home, then two steps right and one down: the 10th. Enter shows it.
    QTest::keyClick(days, Qt::Key_Home);
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Down);
    const QDate tenth(today.year(), today.month(), 10);
    EXPECT_EQ(main->calendarCursor(), tenth);
    EXPECT_TRUE(days->accessibleName().contains(tenth.toString(QStringLiteral("yyyy年MM月dd日"))));
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->date(), tenth);

    // Staff, customer, title: typed into the focused boxes, Tab between them.
    QLineEdit *staff = child<forms::ComboBox>(main.get(), "cmb担当")->lineEdit();
    staff->setFocus(Qt::TabFocusReason);
    type(staff, QStringLiteral("佐藤"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(focusIsIn(child<forms::ComboBox>(main.get(), "cmb顧客名")));
    type(QApplication::focusWidget(), QStringLiteral("山田商店"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(focusIsIn(child<forms::TextBox>(main.get(), "txtタイトル")));
    type(QApplication::focusWidget(), QStringLiteral("訪問"));
    // "登録" by its button from the keyboard: focus it and press Space.
    script.answer(forms::ScriptedInteraction::Enter);
    script.answer(mb::IdOK);
    auto *registerButton = child<QPushButton>(main.get(), "cmd登録");
    registerButton->setFocus(Qt::TabFocusReason);
    QTest::keyClick(registerButton, Qt::Key_Space);
    ASSERT_EQ(script.shown.size(), 2);
    const auto saved = reports();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0][QStringLiteral("日付")], QVariant(tenth));
    EXPECT_EQ(saved[0][QStringLiteral("タイトル")], QVariant(QStringLiteral("訪問")));

    // PageDown and PageUp step the month; End goes to the last day.
    days->setFocus(Qt::TabFocusReason);
    QTest::keyClick(days, Qt::Key_PageDown);
    EXPECT_EQ(main->monthShown().month(), today.addMonths(1).month());
    QTest::keyClick(days, Qt::Key_End);
    const QDate next = today.addMonths(1);
    EXPECT_EQ(main->calendarCursor(), QDate(next.year(), next.month(), next.daysInMonth()));
    QTest::keyClick(days, Qt::Key_PageUp);
    EXPECT_EQ(main->monthShown().month(), today.month());
    // The day after the last steps into the next month.
    QTest::keyClick(days, Qt::Key_End);
    QTest::keyClick(days, Qt::Key_Right);
    EXPECT_EQ(main->monthShown().month(), next.month());
    EXPECT_EQ(main->calendarCursor().day(), 1);
}

}  // namespace
