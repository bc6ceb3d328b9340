#include "tests/codemaster/CodeMasterFixture.h"
#include "platform/forms/Accessible.h"

#include "app/TqenMain.h"
#include "platform/forms/FramedPanel.h"

#include <QLabel>

namespace {

class CodeMaster : public tqen::testing::CodeMasterFixture {};

// The grid shows the class by code: names and order keys on their lines, the
// other lines blank with their codes; codes beyond "30" are not shown.
TEST_F(CodeMaster, LoadingPutsEachNameOnTheLineOfItsCode) {
    setStaff({{"01", "佐藤"}, {"02", "鈴木"}, {"03", "高橋"}, {"04", "田中"}, {"05", "伊藤"}});
    onData(QStringLiteral("update コードマスタ set cnt = 40 - cnt where kcode = '担当'"));
    onData(QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values ('担当', '31', '渡辺', 0)"));
    onData(QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values ('顧客区分', '01', '卸', 1)"));
    load();

    const auto w = workRows();
    ASSERT_EQ(w.size(), 30);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(w[i].value("code").toString(), QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(w[i].value("チェック").toBool(), false);
        if (i < 5) EXPECT_EQ(w[i].value("cnt").toInt(), 40 - (i + 1));
    }
    EXPECT_EQ(w[0].value("sname").toString(), QStringLiteral("佐藤"));
    EXPECT_EQ(w[4].value("sname").toString(), QStringLiteral("伊藤"));
    EXPECT_TRUE(w[5].value("sname").isNull());
    // The class had rows: the name column of the first line is current.
    EXPECT_EQ(grid->Row(), 0);
    EXPECT_EQ(grid->Col(), FrmCodeMaster::ColName);
    EXPECT_EQ(grid->RowCount(), 30);
    EXPECT_EQ(child<forms::ComboBox>(form, "cmb区分")->Text(), QStringLiteral("担当"));
    EXPECT_FALSE(child<forms::FramedPanel>(form, "lblMsg")->isVisible());
}

TEST_F(CodeMaster, RegisteringAGridWithoutNamesWritesAndShowsNothing) {
    setStaff({{"01", "佐藤"}});
    load();
    button("cmdクリア")->click();   // blank grid, class not loaded
    const auto before = staff();
    button("cmd登録")->click();
    EXPECT_TRUE(script.shown.isEmpty());
    EXPECT_EQ(staff(), before);
}

// A person changes a name, adds one, and registers: the class becomes the
// thirty lines of the grid, codes beyond "30" go, and the grid shows the class.
TEST_F(CodeMaster, RegisteringReplacesTheWholeClass) {
    setStaff({{"01", "佐藤"}, {"02", "鈴木"}});
    onData(QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values ('担当', '31', '渡辺', 31)"));
    onData(QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values ('顧客区分', '01', '卸', 1)"));
    load();
    typeName(1, QStringLiteral("鈴木一郎"));
    typeName(6, QStringLiteral("山本"));
    script.answer(mb::IdYes);
    button("cmd登録")->click();

    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("担当 を登録します。よろしいですか"));
    const auto s = staff();
    ASSERT_EQ(s.size(), 30);
    EXPECT_EQ(s[0], std::make_pair(QStringLiteral("01"), QStringLiteral("佐藤")));
    EXPECT_EQ(s[1], std::make_pair(QStringLiteral("02"), QStringLiteral("鈴木一郎")));
    EXPECT_EQ(s[6], std::make_pair(QStringLiteral("07"), QStringLiteral("山本")));
    EXPECT_EQ(s[29].second, QString());
    // Other classes are untouched.
    EXPECT_EQ(rows(data(), QStringLiteral("select * from コードマスタ where kcode = '顧客区分'")).size(), 1);
    // The grid shows the class as it is now stored.
    const auto shown = workRows();
    ASSERT_EQ(shown.size(), 30);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(shown[i].value("sname").toString(), s[i].second) << i;
}

TEST_F(CodeMaster, LoadingAndRegisteringUnchangedKeepsNamesAndOrderAndFillsMissingCodes) {
    onData(QStringLiteral("delete from コードマスタ where kcode = '担当' and code in ('10', '20', '30')"));
    setStaff({{"01", "佐藤"}, {"15", "鈴木"}});
    onData(QStringLiteral("update コードマスタ set cnt = 100 + cnt where kcode = '担当'"));
    load();
    script.answer(mb::IdYes);
    button("cmd登録")->click();
    const auto r = rows(data(), QStringLiteral("select * from コードマスタ where kcode = '担当' order by code"));
    ASSERT_EQ(r.size(), 30);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        const bool added = i == 9 || i == 19 || i == 29;
        if (added) EXPECT_TRUE(r[i].value("cnt").isNull());
        else EXPECT_EQ(r[i].value("cnt").toInt(), 100 + i + 1);
    }
    EXPECT_EQ(r[0].value("sname").toString(), QStringLiteral("佐藤"));
    EXPECT_EQ(r[14].value("sname").toString(), QStringLiteral("鈴木"));
    EXPECT_TRUE(r[9].value("sname").isNull());
}

TEST_F(CodeMaster, RegisteringWithoutAClassWarnsAndWritesNothing) {
    setStaff({{"01", "佐藤"}});
    load();
    child<forms::ComboBox>(form, "cmb区分")->Clear();
    const auto before = staff();
    EXPECT_TRUE(form->RegisterCodeClass(true).ok());
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("区分が指定されていません。区分を指定してください"));
    // Without the question (the deletion's own registration) it is refused too.
    EXPECT_EQ(form->RegisterCodeClass(false).code(), Error::Code::BadInput);
    EXPECT_EQ(staff(), before);
}

TEST_F(CodeMaster, AnsweringNoKeepsTheClassAndTheGrid) {
    setStaff({{"01", "佐藤"}});
    load();
    typeName(0, QStringLiteral("佐藤花子"));
    script.answer(mb::IdNo);
    button("cmd登録")->click();
    EXPECT_EQ(staff()[0].second, QStringLiteral("佐藤"));
    EXPECT_EQ(workRows()[0].value("sname").toString(), QStringLiteral("佐藤花子"));
}

// A registration that fails half-way says so and leaves the class and the
// grid as they were.
TEST_F(CodeMaster, AFailedRegistrationIsReportedAndChangesNothing) {
    setStaff({{"01", "佐藤"}, {"20", "鈴木"}});
    // A name twice in the class breaks a rule of the file half-way through.
    onData(QStringLiteral("create unique index 一つの名前 on コードマスタ (kcode, sname)"));
    load();
    typeName(0, QStringLiteral("佐藤花子"));
    typeName(14, QStringLiteral("佐藤花子"));
    script.answer(mb::IdYes);
    button("cmd登録")->click();
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("登録できませんでした"))) << script.shown[1].prompt.toStdString();
    const auto s = staff();
    ASSERT_EQ(s.size(), 30);
    EXPECT_EQ(s[0].second, QStringLiteral("佐藤"));
    EXPECT_EQ(s[19].second, QStringLiteral("鈴木"));
    EXPECT_EQ(workRows()[0].value("sname").toString(), QStringLiteral("佐藤花子"));
}

// Ticked lines lose their names, keep their codes, and the grid shows the rest.
TEST_F(CodeMaster, DeletingTickedLinesFreesTheirSlots) {
    setStaff({{"01", "佐藤"}, {"02", "鈴木"}, {"03", "高橋"}, {"04", "田中"}});
    load();
    clickCell(1, FrmCodeMaster::ColTick);
    clickCell(3, FrmCodeMaster::ColTick);
    clickCell(2, FrmCodeMaster::ColTick);
    clickCell(2, FrmCodeMaster::ColTick);   // ticked and unticked again
    script.answer(mb::IdYes);
    button("cmd削除")->click();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("指定されたデータ を削除します。よろしいですか"));
    const auto s = staff();
    ASSERT_EQ(s.size(), 30);
    EXPECT_EQ(s[0].second, QStringLiteral("佐藤"));
    EXPECT_EQ(s[1], std::make_pair(QStringLiteral("02"), QString()));
    EXPECT_EQ(s[2].second, QStringLiteral("高橋"));
    EXPECT_EQ(s[3], std::make_pair(QStringLiteral("04"), QString()));
    EXPECT_EQ(rows(data(), QStringLiteral("select * from コードマスタ where kcode = '担当' and sname is null")).size(), 28);
    const auto shown = workRows();
    ASSERT_EQ(shown.size(), 30);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(shown[i].value("sname").toString(), s[i].second) << i;
}

TEST_F(CodeMaster, DeletingWithNothingToDeleteAsksNothing) {
    setStaff({{"01", "佐藤"}});
    load();
    button("cmd削除")->click();              // nothing ticked
    button("cmdクリア")->click();            // a blank grid …
    clickCell(0, FrmCodeMaster::ColTick);    // … with a ticked line without a name
    form->setFocus();
    QTest::keyClick(form, Qt::Key_F6);
    EXPECT_TRUE(script.shown.isEmpty());
    EXPECT_EQ(staff()[0].second, QStringLiteral("佐藤"));
}

// The grid's own rules.
TEST_F(CodeMaster, TheTickColumnTogglesByClickAndBySpace) {
    load();
    clickCell(4, FrmCodeMaster::ColTick);
    EXPECT_TRUE(workRows()[4].value("チェック").toBool());
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_FALSE(workRows()[4].value("チェック").toBool());
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_TRUE(workRows()[4].value("チェック").toBool());
    // A value that is no tick is refused and the line keeps its tick.
    EXPECT_FALSE(grid->setColumnValue(FrmCodeMaster::ColTick, QStringLiteral("はい")));
    EXPECT_TRUE(workRows()[4].value("チェック").toBool());
    EXPECT_TRUE(grid->setColumnValue(FrmCodeMaster::ColTick, QStringLiteral("0")));
    EXPECT_FALSE(workRows()[4].value("チェック").toBool());
}

TEST_F(CodeMaster, EnterInTheNameColumnStoresAndMovesDown) {
    load();
    typeName(3, QStringLiteral("中村"));
    EXPECT_EQ(workRows()[3].value("sname").toString(), QStringLiteral("中村"));
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(grid->Col(), FrmCodeMaster::ColName);
    // On the last line the name is stored and the line stays current.
    typeName(29, QStringLiteral("小林"));
    EXPECT_EQ(workRows()[29].value("sname").toString(), QStringLiteral("小林"));
    EXPECT_EQ(grid->Row(), 29);
}

TEST_F(CodeMaster, AnEmptiedNameIsStoredAsNull) {
    setStaff({{"02", "鈴木"}});
    load();
    typeName(1, QString());
    const QVariant name = workRows()[1].value("sname");
    EXPECT_TRUE(name.isNull()) << name.toString().toStdString();
}

TEST_F(CodeMaster, CodesCannotBeTypedAndTheOrderKeyTakesNumbersOnly) {
    load();
    grid->setFocus();
    grid->setRow(2);
    grid->setCol(FrmCodeMaster::ColCode);
    QTest::keyClicks(grid, QStringLiteral("99"));
    EXPECT_EQ(workRows()[2].value("code").toString(), QStringLiteral("03"));
    grid->setCol(FrmCodeMaster::ColOrder);
    EXPECT_FALSE(grid->setColumnValue(FrmCodeMaster::ColOrder, QStringLiteral("先頭")));
    EXPECT_TRUE(grid->setColumnValue(FrmCodeMaster::ColOrder, QStringLiteral("7")));
    EXPECT_EQ(workRows()[2].value("cnt").toInt(), 7);
}

TEST_F(CodeMaster, TheInputMethodIsOnInTheNameColumnOnly) {
    load();
    const struct {
        int col;
        bool ime;
    } cases[] = {{FrmCodeMaster::ColName, true}, {FrmCodeMaster::ColCode, false}, {FrmCodeMaster::ColTick, false},
                 {FrmCodeMaster::ColOrder, false}, {FrmCodeMaster::ColName, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.col);
        grid->setCol(c.col);
        EXPECT_EQ(ModTqen::ImeOpen(grid), c.ime);
    }
}

TEST_F(CodeMaster, TheClassBoxTakesNoTyping) {
    load();
    auto *box = child<forms::ComboBox>(form, "cmb区分");
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("xyz"));
    QTest::keyClick(box, Qt::Key_Delete);
    EXPECT_EQ(box->Text(), QStringLiteral("担当"));
    EXPECT_EQ(box->ListCount(), 1);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

// The keys of the form, seen before its controls (the grid has the focus).
TEST_F(CodeMaster, TheFunctionKeysDoWhatTheButtonsDo) {
    setStaff({{"01", "佐藤"}});
    load();
    grid->setFocus();
    typeName(0, QStringLiteral("佐藤花子"));
    script.answer(mb::IdNo);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("担当 を登録します。よろしいですか"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);   // クリア
    EXPECT_TRUE(workRows()[0].value("sname").isNull());
    EXPECT_EQ(QApplication::focusWidget(), child<forms::ComboBox>(form, "cmb区分"));

    button("cmd読込")->click();
    EXPECT_EQ(workRows()[0].value("sname").toString(), QStringLiteral("佐藤"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(forms::findForm(QStringLiteral("FrmCodeMaster")), nullptr);
}

TEST_F(CodeMaster, BackPopsTheStackAndUnloadsOrStaysWhenTheStackIsEmpty) {
    load();
    // Empty stack: the main screen would be shown and the form stays.
    button("cmd戻る")->click();
    EXPECT_NE(forms::findForm(QStringLiteral("FrmCodeMaster")), nullptr);
    forms::FormStack(QStringLiteral("PUSH"), QStringLiteral("TqenMain"));
    QTest::keyClick(grid, Qt::Key_F1);
    EXPECT_EQ(forms::findForm(QStringLiteral("FrmCodeMaster")), nullptr);
    EXPECT_TRUE(forms::FormStackEntries().first().isEmpty());
}

TEST_F(CodeMaster, HelpOpensItsPage) {
    load();
    button("cmdHint")->click();
    EXPECT_EQ(script.opened, QStringList{session.helpFolder + QStringLiteral("VoRadu7.htm")});
}

// The main screen's "コード表" opens the form; "メイン" goes back to the main
// screen as often as wanted; "閉じる" also closes the hint editor.
TEST_F(CodeMaster, TheMainScreenOpensTheFormAndTheFormReturnsToIt) {
    setStaff({{"01", "佐藤"}});
    auto main = std::make_unique<TqenMain>(app);
    main->Form_Load();
    auto *codes = child<QPushButton>(main.get(), "Command5");
    EXPECT_TRUE(codes->isEnabled());
    EXPECT_EQ(forms::plainCaption(codes->text()), QStringLiteral("コード表"));
    codes->click();
    form = qobject_cast<FrmCodeMaster *>(forms::findForm(QStringLiteral("FrmCodeMaster")));
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("コード表"));
    EXPECT_EQ(forms::FormStackEntries().first(), QStringLiteral("TqenMain"));
    codes->click();   // a second press shows the same form
    EXPECT_EQ(forms::openForms().count(form.data()), 1);
    EXPECT_EQ(workRows()[0].value("sname").toString(), QStringLiteral("佐藤"));

    main->hide();
    QTest::keyClick(form, Qt::Key_F2);
    EXPECT_TRUE(main->isVisible());
    button("cmdメニュー")->click();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(forms::FormStackEntries().mid(0, 2),
              (QStringList{QStringLiteral("FrmCodeMaster"), QStringLiteral("FrmCodeMaster")}));

    auto *hint = new forms::Form(QStringLiteral("Hint"));
    hint->show();
    button("cmd閉じる")->click();
    QApplication::processEvents();
    EXPECT_EQ(forms::findForm(QStringLiteral("Hint")), nullptr);
    EXPECT_EQ(forms::findForm(QStringLiteral("FrmCodeMaster")), nullptr);
    EXPECT_NE(forms::findForm(QStringLiteral("TqenMain")), nullptr);
}

// What the grid shows is always what is stored: after a registration, and
// when the form closed with the window's button is opened again. A name
// typed into the grid afterwards joins the class instead of replacing it.
TEST_F(CodeMaster, TheGridShowsTheStoredClassAfterRegisteringAndReopening) {
    setStaff({{"01", "佐藤"}, {"02", "鈴木"}});
    auto main = std::make_unique<TqenMain>(app);
    main->Form_Load();
    auto *staffBox = child<forms::ComboBox>(main.get(), "cmb担当");
    auto *printStaff = child<forms::ComboBox>(main.get(), "cmb印刷担当");
    auto listed = [](forms::ComboBox *box) {
        QStringList out;
        for (int i = 0; i < box->ListCount(); ++i) out << box->List(i);
        return out;
    };
    ASSERT_EQ(listed(staffBox), (QStringList{QStringLiteral("佐藤"), QStringLiteral("鈴木")}));
    staffBox->setText(QStringLiteral("佐藤"));
    child<QPushButton>(main.get(), "Command5")->click();
    form = qobject_cast<FrmCodeMaster *>(forms::findForm(QStringLiteral("FrmCodeMaster")));
    ASSERT_NE(form, nullptr);
    grid = child<forms::DataGrid>(form, QStringLiteral("Gridコードマスタ"));

    typeName(2, QStringLiteral("高橋"));
    script.answer(mb::IdYes);
    button("cmd登録")->click();
    // The main screen offers the new name at once; what was typed stays.
    EXPECT_EQ(listed(staffBox), (QStringList{QStringLiteral("佐藤"), QStringLiteral("鈴木"), QStringLiteral("高橋")}));
    EXPECT_EQ(listed(printStaff), listed(staffBox));
    EXPECT_EQ(staffBox->Text(), QStringLiteral("佐藤"));

    // One more name typed after the registration joins the three.
    typeName(3, QStringLiteral("田中"));
    script.answer(mb::IdYes);
    button("cmd登録")->click();
    auto named = [this] {
        QStringList out;
        for (const auto &[code, name] : staff())
            if (!name.isEmpty()) out << code + u'=' + name;
        return out;
    };
    const QStringList four = {QStringLiteral("01=佐藤"), QStringLiteral("02=鈴木"), QStringLiteral("03=高橋"), QStringLiteral("04=田中")};
    EXPECT_EQ(named(), four);

    // Closed with the window's button while another program changed the
    // class, then opened again: the grid shows the class as it is now.
    form->close();
    ASSERT_FALSE(form->isVisible());
    setStaff({{"02", QVariant()}, {"05", "伊藤"}});
    child<QPushButton>(main.get(), "Command5")->click();
    ASSERT_TRUE(form->isVisible());
    const auto shown = workRows();
    ASSERT_EQ(shown.size(), 30);
    EXPECT_TRUE(shown[1].value("sname").isNull());
    EXPECT_EQ(shown[4].value("sname").toString(), QStringLiteral("伊藤"));
    typeName(5, QStringLiteral("渡辺"));
    script.answer(mb::IdYes);
    button("cmd登録")->click();
    EXPECT_EQ(named(), (QStringList{QStringLiteral("01=佐藤"), QStringLiteral("03=高橋"), QStringLiteral("04=田中"),
                                    QStringLiteral("05=伊藤"), QStringLiteral("06=渡辺")}));
}

TEST_F(CodeMaster, EveryControlCarriesANameAPersonUnderstands) {
    load();
    for (const char *name : {"cmb区分", "cmd読込", "Gridコードマスタ", "cmd戻る", "cmdメニュー", "cmd登録", "cmd削除",
                             "cmdクリア", "cmd閉じる", "cmdHint"}) {
        SCOPED_TRACE(name);
        auto *w = child<QWidget>(form, QString::fromUtf8(name));
        EXPECT_FALSE(w->accessibleName().isEmpty());
    }
    EXPECT_EQ(child<QLabel>(form, "Label37")->text(),
              QStringLiteral("                F1        F2         F5         F6         F9       ESC"));
    EXPECT_EQ(child<QLabel>(form, "Label1")->text(), QStringLiteral("読み込み中です"));
    EXPECT_EQ(grid->model()->headerData(FrmCodeMaster::ColName, Qt::Horizontal).toString(),
              QStringLiteral("名　　　　　称"));
}

}  // namespace
