// The main screen read through the accessibility interface, as a screen
// reader or an automation tool reads it, and worked with the keyboard alone.
#include "hints/Hint.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <memory>

namespace {

using Accessibility = tqen::testing::MainScreenFixture;

// The focus is on a box or on the text inside it.
bool focusIsIn(QWidget *box) {
    QWidget *f = QApplication::focusWidget();
    return f && (f == box || box->isAncestorOf(f));
}

TEST_F(Accessibility, EveryFocusableControlHasANameAndButtonsSayTheirCaption) {
    load();
    // The main screen is a window (a frame to AT-SPI), named by its title.
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(main.get());
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_FALSE(window->text(QAccessible::Name).isEmpty());
    // A day cell offers its click.
    QAccessibleInterface *cell =
        QAccessible::queryAccessibleInterface(child<QWidget>(main.get(), QStringLiteral("LblCald_%1").arg(cellOf(QDate::currentDate()))));
    ASSERT_NE(cell->actionInterface(), nullptr);
    EXPECT_TRUE(cell->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    auto *tabs = child<QTabWidget>(main.get(), "SSTab1");
    for (int tab : {1, 0, 2}) {
        tabs->setCurrentIndex(tab);
        const QStringList problems = forms::accessibilityProblems(main.get());
        EXPECT_TRUE(problems.isEmpty()) << "tab " << tab << ":\n" << problems.join(u'\n').toStdString();
    }
}

// Every other screen, opened from the main screen as a person opens it, on
// each of its tabs: the print panel, the code table, the hint editor and the
// maintenance form.
TEST_F(Accessibility, EveryScreenNamesItsControls) {
    load();
    const auto check = [](QWidget *window, const QString &what) {
        const auto problems = forms::accessibilityProblems(window);
        EXPECT_TRUE(problems.isEmpty()) << what.toStdString() << ":\n" << problems.join(u'\n').toStdString();
    };
    child<QPushButton>(main.get(), "cmd印刷")->click();
    check(main.get(), QStringLiteral("print panel"));
    const struct Screen {
        const char *button;
        const char *form;
    } screens[] = {{"Command5", "FrmCodeMaster"}, {"Command11", "FrmHosyu"}};
    for (const Screen &s : screens) {
        child<QPushButton>(main.get(), QString::fromUtf8(s.button))->click();
        forms::Form *form = forms::findForm(QString::fromUtf8(s.form));
        ASSERT_NE(form, nullptr) << s.form;
        const auto tabs = form->findChildren<QTabWidget *>();
        if (tabs.isEmpty()) check(form, QString::fromUtf8(s.form));
        for (QTabWidget *t : tabs) {
            for (int i = 0; i < t->count(); ++i) {
                t->setCurrentIndex(i);
                check(form, QString::fromUtf8(s.form) + QStringLiteral(" tab ") + t->tabText(i));
            }
        }
        form->unload();
    }
    QWidget *hint = Hint::Open(session, QStringLiteral("TqenMain"), QStringLiteral("cmd登録"), QStringLiteral("営業日報"));
    ASSERT_NE(hint, nullptr);
    const std::unique_ptr<QWidget> owned(hint);  // a top-level form outlives the test otherwise
    check(hint, QStringLiteral("Hint"));
}

// The tab list says which tab is selected, follows the current one, and
// switches tabs on its press action.
TEST_F(Accessibility, TheCurrentTabIsReportedSelected) {
    load();
    auto *tabs = child<QTabWidget>(main.get(), "SSTab1");
    QAccessibleInterface *list = nullptr;
    for (QTabBar *bar : tabs->findChildren<QTabBar *>()) list = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::PageTabList);
    ASSERT_EQ(list->childCount(), tabs->count());
    const auto selected = [&] {
        QStringList out;
        for (int i = 0; i < list->childCount(); ++i)
            if (list->child(i)->state().selected) out << list->child(i)->text(QAccessible::Name);
        return out;
    };
    EXPECT_EQ(selected(), QStringList{QStringLiteral("営業日報")});
    EXPECT_EQ(list->child(0)->role(), QAccessible::PageTab);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(selected(), QStringList{QStringLiteral("顧客インデックス")});
    list->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(list->indexOfChild(list->child(1)), 1);
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
    // Names are given once an assistive tool listens, and follow the month.
    QAccessible::setActive(true);
    const auto name = [&](const QDate &d) {
        QWidget *cell = child<QWidget>(main.get(), QStringLiteral("LblCald_%1").arg(cellOf(d)));
        return QAccessible::queryAccessibleInterface(cell)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(today), today.toString(QStringLiteral("yyyy年MM月dd日")) + QStringLiteral(" 今日"));
    EXPECT_EQ(name(other), other.toString(QStringLiteral("yyyy年MM月dd日")) + QStringLiteral(" 日報2件"));
    showMonth(QDate(2002, 2, 1));
    EXPECT_EQ(name(QDate(2002, 2, 14)), QStringLiteral("2002年02月14日"));
    QAccessible::setActive(false);
}

// A report registered and the calendar stepped without a single mouse event.
TEST_F(Accessibility, KeyboardAloneRegistersAReportAndMovesTheCalendar) {
    load();
    QWidget *days = child<QWidget>(main.get(), "calendarDays");
    main->activateWindow();
    days->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(days->hasFocus());
    const QDate today = QDate::currentDate();
    EXPECT_EQ(main->calendar()->cursor(), today);
    // Home, then two steps right and one down: the 10th. Enter shows it.
    QTest::keyClick(days, Qt::Key_Home);
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Down);
    const QDate tenth(today.year(), today.month(), 10);
    EXPECT_EQ(main->calendar()->cursor(), tenth);
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
    EXPECT_EQ(main->calendar()->monthShown().month(), today.addMonths(1).month());
    QTest::keyClick(days, Qt::Key_End);
    const QDate next = today.addMonths(1);
    EXPECT_EQ(main->calendar()->cursor(), QDate(next.year(), next.month(), next.daysInMonth()));
    QTest::keyClick(days, Qt::Key_PageUp);
    EXPECT_EQ(main->calendar()->monthShown().month(), today.month());
    // The day after the last steps into the next month.
    QTest::keyClick(days, Qt::Key_End);
    QTest::keyClick(days, Qt::Key_Right);
    EXPECT_EQ(main->calendar()->monthShown().month(), next.month());
    EXPECT_EQ(main->calendar()->cursor().day(), 1);
}

}  // namespace
