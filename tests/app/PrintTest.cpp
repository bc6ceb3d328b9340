// The print conditions on the main screen: opening, clearing and closing the
// panel, the statement that fills w日報印刷, and the report it previews or
// prints.
#include "app/TqenMain.h"
#include "model/Reports.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Fonts.h"
#include "platform/reporting/Output.h"
#include "tests/support/AppFixture.h"
#include "tests/support/Child.h"

#include <QPushButton>
#include <QTest>

namespace {

TEST(PrintTableStatement, EachCombinationOfConditions) {
    const QDate from(2002, 2, 1), to(2002, 2, 28);
    const QString c = QStringLiteral("山田商店"), s = QStringLiteral("佐藤");
    const QString head = QStringLiteral("insert into w日報印刷 select * from 営業日報 in '/d/TqenData.mdb'");
    const QString order = QStringLiteral(" order by 日付,顧客名,担当;");
    struct Case { QDate start, end; QString customer, staff, where; };
    const Case cases[] = {
        {{}, {}, {}, {}, QString()},
        {from, {}, {}, {}, QStringLiteral(" where 日付 >= #2002/02/01#")},
        {{}, to, {}, {}, QStringLiteral(" where  日付 <= #2002/02/28#")},
        {{}, {}, c, {}, QStringLiteral(" where  顧客名 = '山田商店'")},
        {{}, {}, {}, s, QStringLiteral(" where  担当= '佐藤'")},
        {from, {}, c, {}, QStringLiteral(" where 日付 >= #2002/02/01# and  顧客名 = '山田商店'")},
        {from, to, c, s, QStringLiteral(" where 日付 >= #2002/02/01# and  日付 <= #2002/02/28# and  顧客名 = '山田商店' and  担当= '佐藤'")},
        {{}, {}, QStringLiteral("O'Brien"), {}, QStringLiteral(" where  顧客名 = 'O''Brien'")},
    };
    for (const Case &k : cases)
        EXPECT_EQ(model::Reports::printTableStatement({k.start, k.end, k.customer, k.staff}, QStringLiteral("/d/TqenData.mdb")),
                  head + k.where + order);
}

class PrintPanel : public tqen::testing::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        forms::InstallFontSubstitutions();
    }
    void load() {
        main = std::make_unique<TqenMain>(app);
        main->Form_Load();
    }
    template <class T>
    T *get(const char *name) { return child<T>(main.get(), QString::fromUtf8(name)); }
    QPushButton *button(const char *name) { return get<QPushButton>(name); }
    forms::ComboBox *combo(const char *name) { return get<forms::ComboBox>(name); }
    forms::DateBox *dateBox(const char *name) { return get<forms::DateBox>(name); }
    forms::FramedPanel *panel() { return get<forms::FramedPanel>("Cn印刷条件"); }
    QStringList printed(const QString &field) {
        QStringList out;
        for (const auto &row : rows(work(), QStringLiteral("select * from w日報印刷"))) {
            const QVariant v = row.value(field);
            out << (v.typeId() == QMetaType::QDate ? v.toDate().toString(QStringLiteral("MMdd")) : v.toString());
        }
        return out;
    }
    static QStringList cardTexts(const reporting::Document &doc, const QString &control) {
        QStringList out;
        for (const auto &page : doc.pages)
            for (const auto &item : page.items)
                if (item.control == control) out << item.text;
        return out;
    }

    std::unique_ptr<TqenMain> main;
    reporting::RecordingPresenter presenter;
    reporting::ScopedPresenter presenterScope{&presenter};
};

TEST_F(PrintPanel, OpeningTakesTheEntryAndClosingKeepsTheConditions) {
    load();
    QPushButton *print = button("cmd印刷");
    EXPECT_TRUE(print->isEnabled());
    EXPECT_FALSE(panel()->isVisible());
    // An empty entry panel leaves the conditions as they are.
    combo("cmb担当")->setText(QString());
    combo("cmb顧客名")->setText(QString());
    dateBox("txt日付")->setValue(QVariant());
    combo("cmb印刷顧客名")->setText(QStringLiteral("前の顧客"));
    dateBox("txt開始")->setValue(QDate(2001, 4, 1));
    print->click();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(combo("cmb印刷顧客名")->Text(), QStringLiteral("前の顧客"));
    EXPECT_EQ(dateBox("txt開始")->Value(), QVariant(QDate(2001, 4, 1)));
    EXPECT_TRUE(dateBox("txt終了")->Value().isNull());
    EXPECT_TRUE(combo("cmb印刷顧客名")->hasFocus());
    button("cmd印刷条件閉じる")->click();
    EXPECT_FALSE(panel()->isVisible());

    // With an entry, its customer, staff and date become the conditions.
    combo("cmb担当")->setText(QStringLiteral("佐藤"));
    combo("cmb顧客名")->setText(QStringLiteral("山田商店"));
    dateBox("txt日付")->setValue(QDate(2002, 2, 14));
    print->click();
    EXPECT_EQ(combo("cmb印刷顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(combo("cmb印刷担当")->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(dateBox("txt開始")->Value(), QVariant(QDate(2002, 2, 14)));
    EXPECT_EQ(dateBox("txt終了")->Value(), QVariant(QDate(2002, 2, 14)));

    // クリア empties the four conditions and leaves the panel open; Escape
    // closes it.
    button("cmd印刷条件クリア")->click();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(combo("cmb印刷顧客名")->Text(), QString());
    EXPECT_EQ(combo("cmb印刷担当")->Text(), QString());
    EXPECT_TRUE(dateBox("txt開始")->Value().isNull());
    EXPECT_TRUE(dateBox("txt終了")->Value().isNull());
    QTest::keyClick(combo("cmb印刷担当"), Qt::Key_Escape);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_TRUE(presenter.previews.isEmpty());
    EXPECT_TRUE(presenter.printed.isEmpty());
}

TEST_F(PrintPanel, PreviewCopiesTheMatchingReportsInOrder) {
    const QDate d1(2002, 2, 14), d2(2002, 2, 15), d3(2002, 3, 1);
    addReport(d2, QStringLiteral("山田商店"), QStringLiteral("鈴木"), QStringLiteral("b"), QStringLiteral("memo"));
    addReport(d2, QStringLiteral("青木工業"), QStringLiteral("佐藤"), QStringLiteral("c"));
    addReport(d1, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("a"));
    addReport(d2, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("d"));
    addReport(d3, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("e"));
    addReport(QDate(2002, 1, 31), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("f"));
    load();
    dateBox("txt日付")->setValue(QVariant());
    button("cmd印刷")->click();
    button("cmd印刷条件クリア")->click();
    dateBox("txt開始")->setValue(QDate(2002, 2, 1));
    dateBox("txt終了")->setValue(QDate(2002, 2, 28));
    button("cmd印刷プレビュー")->click();
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(printed(QStringLiteral("日付")), QStringList({"0214", "0215", "0215", "0215"}));
    // Within a day by customer name, then staff (as the engine orders text).
    EXPECT_EQ(printed(QStringLiteral("タイトル")), QStringList({"a", "d", "b", "c"}));
    EXPECT_EQ(printed(QStringLiteral("メモ")), QStringList({"", "", "memo", ""}));
    ASSERT_EQ(presenter.previews.size(), 1);
    EXPECT_EQ(cardTexts(presenter.previews[0], QStringLiteral("txtタイトル")), QStringList({"a", "d", "b", "c"}));

    // Customer and staff narrow it; a second preview starts from an empty table.
    button("cmd印刷")->click();
    combo("cmb印刷顧客名")->setText(QStringLiteral("山田商店"));
    combo("cmb印刷担当")->setText(QStringLiteral("佐藤"));
    dateBox("txt終了")->setValue(QVariant());
    button("cmd印刷プレビュー")->click();
    EXPECT_EQ(printed(QStringLiteral("タイトル")), QStringList({"a", "d", "e"}));
    EXPECT_TRUE(script.shown.isEmpty());
}

TEST_F(PrintPanel, PrintAsksForThePrinterAndNothingMatchingIsOneEmptyPage) {
    addReport(QDate(2002, 2, 14), QStringLiteral("O'Brien"), QStringLiteral("佐藤"), QStringLiteral("quote"));
    addReport(QDate(2002, 2, 14), QStringLiteral("O"), QStringLiteral("佐藤"), QStringLiteral("other"));
    load();
    button("cmd印刷")->click();
    button("cmd印刷条件クリア")->click();
    combo("cmb印刷顧客名")->setText(QStringLiteral("O'Brien"));
    button("cmd印刷実行")->click();
    ASSERT_EQ(presenter.printed.size(), 1);
    EXPECT_TRUE(presenter.printed[0].prompt);
    EXPECT_EQ(cardTexts(presenter.printed[0].doc, QStringLiteral("txtタイトル")), QStringList{"quote"});

    button("cmd印刷")->click();
    combo("cmb印刷顧客名")->setText(QStringLiteral("どこにもない"));
    button("cmd印刷プレビュー")->click();
    ASSERT_EQ(presenter.previews.size(), 1);
    EXPECT_EQ(presenter.previews[0].pageCount(), 1);
    EXPECT_EQ(cardTexts(presenter.previews[0], QStringLiteral("Label1")), QStringList{"営業日報"});
    EXPECT_TRUE(cardTexts(presenter.previews[0], QStringLiteral("txt顧客名")).isEmpty());
    EXPECT_TRUE(script.shown.isEmpty());

    // A printer that fails is reported; a cancelled print dialog is not.
    presenter.printResult = Error(Error::Code::PrintFailed, QStringLiteral("使えるプリンタがありません。"));
    script.answer(mb::IdOK);
    button("cmd印刷")->click();
    button("cmd印刷実行")->click();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("使えるプリンタがありません。"));
    presenter.printResult = Error(Error::Code::Cancelled, QStringLiteral("取り消し"));
    button("cmd印刷")->click();
    button("cmd印刷実行")->click();
    EXPECT_EQ(script.shown.size(), 1);
}

// A work database that cannot be written gives a message, not an empty or
// stale report.
TEST_F(PrintPanel, AnUnwritableWorkDatabaseIsToldInsteadOfAnEmptyReport) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("a"));
    load();
    onWork(QStringLiteral("drop table w日報印刷"));
    script.answer(mb::IdOK);
    button("cmd印刷")->click();
    button("cmd印刷プレビュー")->click();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.startsWith(QStringLiteral("印刷の準備ができません。"))) << script.shown[0].prompt.toStdString();
    EXPECT_TRUE(presenter.previews.isEmpty());
}

TEST_F(PrintPanel, AMissingDataFileIsToldInsteadOfAnEmptyReport) {
    load();
    main->session().dataDbPath = app + QStringLiteral("/data/gone.mdb");
    script.answer(mb::IdOK);
    button("cmd印刷")->click();
    button("cmd印刷実行")->click();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.startsWith(QStringLiteral("印刷する日報をデータファイルから写せません。")));
    EXPECT_TRUE(presenter.printed.isEmpty());
}

TEST_F(PrintPanel, Screenshot) {
    load();
    button("cmd印刷")->click();
    const QString out = qEnvironmentVariable("TQEN_SCREENSHOT_DIR");
    if (!out.isEmpty()) main->grab().save(out + QStringLiteral("/print-panel.png"));
    for (const char *name : {"cmd印刷プレビュー", "cmd印刷実行", "cmd印刷条件クリア", "cmd印刷条件閉じる"}) {
        QPushButton *b = button(name);
        EXPECT_TRUE(panel()->rect().contains(b->geometry())) << name;
        EXPECT_FALSE(b->accessibleName().isEmpty());
    }
    EXPECT_EQ(button("cmd印刷プレビュー")->text(), QStringLiteral("プレピュー"));
}

}  // namespace
