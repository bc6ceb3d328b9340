// The report list: reading, the date styles, deleting ticked lines, printing,
// the keyboard, and the hand-over to and from the main screen.
#include "app/MonthCalendar.h"
#include "app/TqenMain.h"
#include "messages/Msg.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/TextBox.h"
#include "platform/reporting/Output.h"
#include "tests/list/ListFixture.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QLineEdit>

namespace {

class ReportList : public tqen::testing::ListFixture {
protected:
    // Three days of reports of two staff members; readings put 青木 before 山田.
    void addWeek() {
        addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだしょうてん"));
        addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおきこうぎょう"));
        addCustomer(QStringLiteral("O'Brien"), QStringLiteral("おぶらいえん"));
        auto add = [this](const QDate &d, const char *customer, const char *reading, const char *staff, const char *title) {
            addRow(data(), QStringLiteral("営業日報"),
                   {{QStringLiteral("日付"), d}, {QStringLiteral("顧客名"), QString::fromUtf8(customer)},
                    {QStringLiteral("ふりがな"), QString::fromUtf8(reading)}, {QStringLiteral("担当"), QString::fromUtf8(staff)},
                    {QStringLiteral("タイトル"), QString::fromUtf8(title)}});
        };
        add(QDate(2002, 2, 13), "山田商店", "やまだしょうてん", "佐藤", "訪問");
        add(QDate(2002, 2, 14), "山田商店", "やまだしょうてん", "佐藤", "見積");
        add(QDate(2002, 2, 14), "山田商店", "やまだしょうてん", "佐藤", "再見積");
        add(QDate(2002, 2, 14), "青木工業", "あおきこうぎょう", "佐藤", "納品");
        add(QDate(2002, 2, 14), "山田商店", "やまだしょうてん", "鈴木", "同行");
        add(QDate(2002, 2, 15), "O'Brien", "おぶらいえん", "鈴木", "電話");
        add(QDate(2002, 3, 1), "青木工業", "あおきこうぎょう", "佐藤", "翌月");
    }
};

TEST_F(ReportList, OpensEmptyWithBothListsFilledAndIsUsableByKeyboardAndReader) {
    addWeek();
    onData(QStringLiteral("update コードマスタ set sname = '佐藤' where kcode = '担当' and code = '01'"));
    onData(QStringLiteral("update コードマスタ set sname = '鈴木' where kcode = '担当' and code = '02'"));
    onWork(QStringLiteral("insert into w日報一覧 (日付, 顧客名) values ('2002-02-14', 'left over')"));
    load();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("日報一覧"));
    EXPECT_TRUE(dateBox("txt開始")->Value().isNull());
    EXPECT_TRUE(dateBox("txt終了")->Value().isNull());
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_EQ(combo("cmb担当")->ListCount(), 2);
    EXPECT_EQ(combo("cmb顧客名")->List(0), QStringLiteral("青木工業"));   // by reading
    EXPECT_EQ(combo("cmb顧客名")->ListCount(), 3);

    const struct {
        const char *name, *caption, *tip;
    } buttons[] = {
        {"cmd読込", "読込", "一覧を読み込みます"}, {"cmdクリア", "クリア", "この画面を白紙にします"},
        {"cmd削除", "削除", "指定された日報を削除します"}, {"cmd印刷", "印刷", ""},
        {"cmd日報", "日報", "営業日報を開きます"}, {"cmd閉じる", "閉じる", ""},
        {"cmdHint", "ヒント", "使い方のヒント"}, {"cmdCSV出力", "CSV出力", ""},
    };
    for (const auto &b : buttons) {
        EXPECT_EQ(button(b.name)->text(), QString::fromUtf8(b.caption));
        EXPECT_TRUE(button(b.name)->isEnabled()) << b.name;
        if (*b.tip) EXPECT_EQ(button(b.name)->toolTip(), QString::fromUtf8(b.tip));
    }
    EXPECT_EQ(forms::accessibilityProblems(form), QStringList());

    // Tab walks the conditions, the buttons beside them, the grid and the
    // button bar in that order.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    dateBox("txt開始")->editor()->setFocus();
    const QStringList want = {"txt開始", "txt終了", "cmb担当", "cmb顧客名", "cmd読込", "chk未確認のみ", "cmdクリア",
                              "Grid日報一覧", "cmd削除", "cmd印刷", "cmdCSV出力", "cmd日報", "cmd一括確認", "cmdカルテ",
                              "cmd閉じる", "cmdHint", "txt開始"};
    QStringList walked;
    for (int i = 0; i < want.size(); ++i) {
        QWidget *w = QApplication::focusWidget();
        while (w && w->objectName().isEmpty()) w = w->parentWidget();
        while (w && w->parentWidget() && (w->parentWidget()->objectName() == QStringLiteral("txt開始") ||
                                          w->parentWidget()->objectName() == QStringLiteral("txt終了")))
            w = w->parentWidget();
        walked << (w ? w->objectName() : QStringLiteral("?"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked, want);
}

TEST_F(ReportList, ReadsNewestFirstThenByReadingUnderItsConditions) {
    addWeek();
    load();
    const struct {
        const char *staff, *customer;
        QStringList lines;
    } cases[] = {
        {"", "",
         {"02/02/15 O'Brien 電話 鈴木", "02/02/14 青木工業 納品 佐藤", "02/02/14 山田商店 見積 佐藤",
          "02/02/14 山田商店 再見積 佐藤", "02/02/14 山田商店 同行 鈴木", "02/02/13 山田商店 訪問 佐藤"}},
        {"佐藤", "", {"02/02/14 青木工業 納品 佐藤", "02/02/14 山田商店 見積 佐藤", "02/02/14 山田商店 再見積 佐藤", "02/02/13 山田商店 訪問 佐藤"}},
        {"佐藤", "青木工業", {"02/02/14 青木工業 納品 佐藤"}},
        // A quote in a name selects that customer and nothing else.
        {"", "O'Brien", {"02/02/15 O'Brien 電話 鈴木"}},
        {"' or ''='", "", {}},
    };
    for (const auto &c : cases) {
        read(QDate(2002, 2, 1), QDate(2002, 2, 28), QString::fromUtf8(c.staff), QString::fromUtf8(c.customer));
        // Reports of one day and one reading keep no fixed order among
        // themselves: the days and customers must follow in order, the
        // lines as a whole must match.
        const QStringList got = lines();
        auto dayAndCustomer = [](const QStringList &l) {
            QStringList out;
            for (const QString &line : l) out << line.section(u' ', 0, 1);
            return out;
        };
        EXPECT_EQ(dayAndCustomer(got), dayAndCustomer(c.lines)) << c.staff << "/" << c.customer;
        QStringList sortedGot = got, sortedWant = c.lines;
        sortedGot.sort();
        sortedWant.sort();
        EXPECT_EQ(sortedGot, sortedWant) << c.staff << "/" << c.customer;
    }
    EXPECT_TRUE(script.shown.isEmpty());
    EXPECT_FALSE(child<forms::FramedPanel>(form, "CnMsg")->isVisible());

    // クリア empties conditions and list; the customer box takes the focus.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    click("cmdクリア");
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_TRUE(dateBox("txt開始")->Value().isNull());
    EXPECT_EQ(combo("cmb顧客名")->Text(), QString());
    EXPECT_TRUE(combo("cmb顧客名")->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == combo("cmb顧客名"));
    EXPECT_EQ(rows(work(), QStringLiteral("select * from w日報一覧")).size(), 0);
}

TEST_F(ReportList, EmptyDatesBecomeTheCurrentMonthAndEnterReadsFromTheCustomerBox) {
    const QDate today = QDate::currentDate();
    addReport(today, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("今月"));
    addReport(today.addMonths(-1), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("先月"));
    load();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    combo("cmb顧客名")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dateBox("txt開始")->date(), QDate(today.year(), today.month(), 1));
    EXPECT_EQ(dateBox("txt終了")->date(), QDate(today.year(), today.month(), today.daysInMonth()));
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->model()->index(0, FrmNippoList::ColTitle).data().toString(), QStringLiteral("今月"));
}

TEST_F(ReportList, DateFormatsAndWidthsFollowTheDateStyle) {
    addReport(QDate(2019, 5, 1), QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    const struct {
        const char *style, *shown, *cell;
        int width, endLeft, frame;
    } cases[] = {
        {"西暦", "2019年05月01日", "19/05/01", 2010, 3100, 5190},
        {"和暦", "令和 01年05月01日", "R01/05/01", 2370, 3460, 5910},
    };
    for (const auto &c : cases) {
        session.env.年号 = QString::fromUtf8(c.style);
        load();
        read(QDate(2019, 5, 1), QDate(2019, 5, 1));
        EXPECT_EQ(dateBox("txt開始")->Text(), QString::fromUtf8(c.shown)) << c.style;
        EXPECT_NEAR(dateBox("txt終了")->widthTwips(), c.width, 15) << c.style;
        EXPECT_NEAR(dateBox("txt終了")->leftTwips(), c.endLeft, 15) << c.style;   // within a pixel
        EXPECT_NEAR(child<forms::FramedPanel>(form, "ImFrame3D3")->widthTwips(), c.frame, 15) << c.style;
        EXPECT_EQ(grid->model()->index(0, FrmNippoList::ColDate).data().toString(), QString::fromUtf8(c.cell)) << c.style;
        // The end date box stays inside the frame, right of the "～".
        const QRect end = dateBox("txt終了")->geometry();
        EXPECT_LE(end.right(), child<forms::FramedPanel>(form, "ImFrame3D3")->width()) << c.style;
        EXPECT_GE(end.left(), child<QLabel>(form, "lblから")->geometry().right()) << c.style;
        form->unload();
        QApplication::processEvents();
    }
}

TEST_F(ReportList, TickedLinesTakeEveryReportOfTheirDayCustomerAndStaffAndNothingElse) {
    addWeek();
    load();
    read(QDate(2002, 2, 1), QDate(2002, 2, 28));
    const QStringList before = reportKeys();
    // Tick "山田商店 見積 佐藤" (its twin 再見積 goes too) and "O'Brien".
    int yamada = -1;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        if (grid->model()->index(r, FrmNippoList::ColTitle).data().toString() == QStringLiteral("見積")) yamada = r;
    ASSERT_GE(yamada, 0);
    tick(yamada);
    tick(0);
    EXPECT_EQ(rows(work(), QStringLiteral("select * from w日報一覧 where チェック = 1")).size(), 2);
    script.answer(mb::IdYes);
    click("cmd削除");
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("指定された営業日報 を削除します。よろしいですか"));
    EXPECT_EQ(script.shown[1].prompt, QStringLiteral("指定された営業日報 を削除しました。"));
    QStringList want = before;
    for (const char *gone : {"2002-02-14 山田商店 佐藤 見積", "2002-02-14 山田商店 佐藤 再見積", "2002-02-15 O'Brien 鈴木 電話"})
        want.removeOne(QString::fromUtf8(gone));
    EXPECT_EQ(reportKeys(), want);
    // The unticked lines stay; the list is not read again.
    QStringList left = lines();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, QStringList({"02/02/13 山田商店 訪問 佐藤", "02/02/14 山田商店 再見積 佐藤", "02/02/14 山田商店 同行 鈴木",
                                 "02/02/14 青木工業 納品 佐藤"}));
}

TEST_F(ReportList, DecliningOrTickingNothingChangesNothing) {
    addWeek();
    load();
    read(QDate(2002, 2, 1), QDate(2002, 2, 28));
    const QStringList before = reportKeys(), shown = lines();

    // Declined: no progress, no completion, nothing deleted, ticks kept.
    tick(1);
    script.answer(mb::IdNo);
    click("cmd削除");
    EXPECT_EQ(script.shown.size(), 1);
    EXPECT_EQ(reportKeys(), before);
    EXPECT_EQ(lines().size(), shown.size());
    EXPECT_TRUE(lines()[1].endsWith(QStringLiteral(" x")));

    // Nothing ticked: the question, then no completion message.
    tick(1);
    script.shown.clear();
    script.answer(mb::IdYes);
    click("cmd削除");
    EXPECT_EQ(script.shown.size(), 1);
    EXPECT_EQ(reportKeys(), before);
    EXPECT_EQ(lines(), shown);
    EXPECT_FALSE(child<forms::FramedPanel>(form, "CnMsg")->isVisible());
}

TEST_F(ReportList, PrintsWhatTheListHoldsAndEscapeClosesThePanel) {
    addWeek();
    load();
    read(QDate(2002, 2, 14), QDate(2002, 2, 14), QStringLiteral("佐藤"));
    reporting::RecordingPresenter presenter;
    reporting::ScopedPresenter scoped(&presenter);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    auto *panel = child<forms::FramedPanel>(form, "Cn印刷選択");
    EXPECT_FALSE(panel->isVisible());
    const auto choices = tqen::testing::children<QPushButton>(form, QStringLiteral("cmd印刷選択_"));
    ASSERT_EQ(choices.size(), 3);
    EXPECT_EQ(choices[0]->text(), QStringLiteral("印刷開始"));
    EXPECT_EQ(choices[1]->text(), QStringLiteral("印刷プレビュー"));
    EXPECT_EQ(choices[2]->text(), QStringLiteral("キャンセル"));

    click("cmd印刷");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(forms::accessibilityProblems(form), QStringList());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(form->isVisible());

    click("cmd印刷");
    QTest::mouseClick(choices[1], Qt::LeftButton);
    ASSERT_EQ(presenter.previews.size(), 1);
    QStringList customers;
    for (const auto &page : presenter.previews[0].pages)
        for (const auto &item : page.items)
            if (item.control == QStringLiteral("txt顧客名")) customers << item.text;
    EXPECT_EQ(customers.size(), 3);
    EXPECT_EQ(customers.first(), QStringLiteral("青木工業"));

    click("cmd印刷");
    QTest::mouseClick(choices[0], Qt::LeftButton);
    ASSERT_EQ(presenter.printed.size(), 1);
    EXPECT_TRUE(presenter.printed[0].prompt);
    click("cmd印刷");
    QTest::mouseClick(choices[2], Qt::LeftButton);
    EXPECT_EQ(presenter.printed.size(), 1);
    EXPECT_EQ(presenter.previews.size(), 1);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(script.shown.isEmpty());
}

// The main screen and the list hand a report to each other.
class ListHandOver : public ReportList {
protected:
    void loadMain() {
        main = std::make_unique<TqenMain>(app);
        main->Form_Load();
        ASSERT_EQ(main->calendar()->cellError(), QString());
        main->session().env.年号 = QStringLiteral("西暦");
    }
    FrmNippoList *listForm() { return static_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList"))); }
    void TearDown() override {
        if (auto *l = listForm()) l->unload();
        QApplication::processEvents();
        main.reset();
        ReportList::TearDown();
    }
    std::unique_ptr<TqenMain> main;
};

TEST_F(ListHandOver, TheListButtonHandsTheDayOverAndTheListHandsAReportBack) {
    addWeek();
    loadMain();
    main->show();
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("青木工業"));
    main->setCalendarDate(QDate(2002, 2, 14));
    main->SetClalendar();
    main->SetMarkDate();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QDate(2002, 2, 14));
    auto *open = child<QPushButton>(main.get(), "Command3");
    ASSERT_TRUE(open->isEnabled());
    EXPECT_EQ(forms::plainCaption(open->text()), QStringLiteral("一覧"));
    QTest::mouseClick(open, Qt::LeftButton);

    form = listForm();
    ASSERT_TRUE(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    grid = child<forms::DataGrid>(form, QStringLiteral("Grid日報一覧"));
    EXPECT_FALSE(form->isModal());
    EXPECT_EQ(forms::FormStackEntries().value(0), QStringLiteral("TqenMain"));
    EXPECT_EQ(dateBox("txt開始")->date(), QDate(2002, 2, 14));
    EXPECT_EQ(dateBox("txt終了")->date(), QDate(2002, 2, 14));
    EXPECT_EQ(combo("cmb担当")->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(combo("cmb顧客名")->Text(), QStringLiteral("青木工業"));   // its day is navy
    EXPECT_EQ(lines(), QStringList{QStringLiteral("02/02/14 青木工業 納品 佐藤")});
    // Going back to the main screen leaves its day and customer alone.
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->date(), QDate(2002, 2, 14));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("青木工業"));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(lines(), QStringList{QStringLiteral("02/02/14 青木工業 納品 佐藤")});

    // The list hands the current line to the main screen.
    read(QDate(2002, 2, 1), QDate(2002, 2, 28), QStringLiteral("佐藤"));
    grid->setRow(3);   // 02/02/13 山田商店 訪問 佐藤
    QTest::mouseClick(button("cmd日報"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->date(), QDate(2002, 2, 13));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QStringLiteral("訪問"));
    EXPECT_EQ(forms::FormStackEntries().value(0), QStringLiteral("FrmNippoList"));

    // Back on the list: it reads that day again, of that staff member.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(dateBox("txt開始")->date(), QDate(2002, 2, 13));
    EXPECT_EQ(combo("cmb顧客名")->Text(), QString());
    EXPECT_EQ(lines(), QStringList{QStringLiteral("02/02/13 山田商店 訪問 佐藤")});
}

TEST_F(ListHandOver, ReportOnAnEmptyGridShowsTheMainScreenUnchanged) {
    addWeek();
    loadMain();
    main->show();
    auto *customer = child<forms::ComboBox>(main.get(), "cmb顧客名");
    customer->setText(QStringLiteral("青木工業"));
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QVariant());   // nothing to hand over
    QTest::mouseClick(child<QPushButton>(main.get(), "Command3"), Qt::LeftButton);
    form = listForm();
    ASSERT_TRUE(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    grid = child<forms::DataGrid>(form, QStringLiteral("Grid日報一覧"));
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_TRUE(dateBox("txt開始")->Value().isNull());

    QTest::mouseClick(button("cmd日報"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    EXPECT_EQ(customer->Text(), QStringLiteral("青木工業"));
    EXPECT_TRUE(child<forms::DateBox>(main.get(), "txt日付")->Value().isNull());

    // Reopening while it is loaded keeps its list; closing unloads it.
    form->activateWindow();
    read(QDate(2002, 2, 1), QDate(2002, 2, 28));
    QTest::mouseClick(child<QPushButton>(main.get(), "Command3"), Qt::LeftButton);
    EXPECT_EQ(listForm(), form.data());
    EXPECT_EQ(grid->model()->rowCount(), 6);
    QTest::mouseClick(button("cmd閉じる"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(listForm(), nullptr);
}

// A period of more lines than a screen: the grid shows the newest screen at
// once and reads the rest as it scrolls; ticking, deletion, print and CSV
// cover every line of the period, also before the older days were read.
TEST_F(ReportList, APeriodLongerThanAScreenIsTickedDeletedPrintedAndExportedWhole) {
    // Five days of 40 reports: two screens of lines.
    constexpr int days = 5, perDay = 40;
    {
        auto db = dao::Database::open(data());
        ASSERT_TRUE(db.beginTrans());
        auto rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        for (int d = 1; d <= days; ++d)
            for (int i = perDay - 1; i >= 0; --i) {
                rs.addNew();
                rs.setField(QStringLiteral("日付"), QDate(2002, 2, d));
                rs.setField(QStringLiteral("顧客名"), QStringLiteral("顧客%1").arg(i, 2, 10, QChar(u'0')));
                rs.setField(QStringLiteral("ふりがな"), QStringLiteral("こきゃく%1").arg(i, 2, 10, QChar(u'0')));
                rs.setField(QStringLiteral("担当"), QStringLiteral("佐藤"));
                rs.setField(QStringLiteral("タイトル"), QStringLiteral("件%1-%2").arg(d).arg(i));
                ASSERT_TRUE(rs.update()) << rs.error().toStdString();
            }
        ASSERT_TRUE(db.commitTrans());
    }
    // Newest day first, then by reading.
    QStringList want;
    for (int d = days; d >= 1; --d)
        for (int i = 0; i < perDay; ++i)
            want << QStringLiteral("02/02/%1 顧客%2 件%3-%4 佐藤").arg(d, 2, 10, QChar(u'0')).arg(i, 2, 10, QChar(u'0')).arg(d).arg(i);
    load();
    const auto readAgain = [this] {
        dateBox("txt開始")->setValue(QDate(2002, 2, 1));
        dateBox("txt終了")->setValue(QDate(2002, 2, 28));
        ASSERT_TRUE(form->ReadList().ok());
        ASSERT_EQ(grid->model()->rowCount(), FrmNippoList::ScreenLines);
        ASSERT_TRUE(grid->model()->canFetchMore({}));
    };

    // CSV, straight after reading: every line, in the list's order.
    readAgain();
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("list.csv"));
    ASSERT_TRUE(form->ExportCsv(path, text::Encoding::Utf8Bom).ok());
    QFile csv(path);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList csvLines = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(csvLines.size(), 1 + days * perDay);
    EXPECT_TRUE(csvLines[1].startsWith(QStringLiteral("2002/02/05,顧客00,こきゃく00,佐藤,件5-0"))) << csvLines[1].toStdString();
    EXPECT_TRUE(csvLines.last().startsWith(QStringLiteral("2002/02/01,顧客39,こきゃく39,佐藤,件1-39")))
        << csvLines.last().toStdString();

    // Print, straight after reading: a line of the report for each.
    readAgain();
    reporting::RecordingPresenter presenter;
    reporting::ScopedPresenter scoped(&presenter);
    click("cmd印刷");
    QTest::mouseClick(tqen::testing::children<QPushButton>(form, QStringLiteral("cmd印刷選択_")).value(1), Qt::LeftButton);
    ASSERT_EQ(presenter.previews.size(), 1);
    int printed = 0;
    for (const auto &page : presenter.previews[0].pages)
        for (const auto &item : page.items) printed += item.control == QStringLiteral("txt顧客名");
    EXPECT_EQ(printed, days * perDay);

    // Scrolled to the end, the grid holds the whole period in its order; the
    // first and the last line ticked and deleted take their reports only.
    readAgain();
    grid->scrollToBottom();
    while (grid->model()->canFetchMore({})) grid->model()->fetchMore({});
    EXPECT_EQ(lines(), want);
    tick(0);
    tick(grid->model()->rowCount() - 1);
    const QStringList before = reportKeys();
    script.answer(mb::IdYes);
    click("cmd削除");
    QStringList keys = before;
    keys.removeOne(QStringLiteral("2002-02-05 顧客00 佐藤 件5-0"));
    keys.removeOne(QStringLiteral("2002-02-01 顧客39 佐藤 件1-39"));
    EXPECT_EQ(keys.size(), days * perDay - 2);
    EXPECT_EQ(reportKeys(), keys);
    want.removeFirst();
    want.removeLast();
    while (grid->model()->canFetchMore({})) grid->model()->fetchMore({});
    EXPECT_EQ(lines(), want);
}

}  // namespace
