// A customer's history and the figures of a period, reached from the main
// screen the way a user does, with their exports and hand-overs.
#include "figures/FrmSyukei.h"
#include "history/FrmKarte.h"
#include "list/FrmNippoList.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"

#include <QChartView>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTreeWidget>

namespace tqen::testing {
namespace {

class OverviewTest : public MainScreenFixture {
protected:
    void TearDown() override {
        for (forms::Form *f : forms::openForms())
            if (f != main.get()) f->unload();
        forms::DoEvents();
        MainScreenFixture::TearDown();
    }
    void seed() {
        addCustomer(QStringLiteral("甲商店"), QStringLiteral("こうしょうてん"), QStringLiteral("山田"));
        addCustomer(QStringLiteral("乙商事"), QStringLiteral("おつしょうじ"), QStringLiteral("佐藤"));
        addReport({2024, 5, 1}, QStringLiteral("甲商店"), QStringLiteral("山田"), QStringLiteral("初回"), QStringLiteral("一"));
        addReport({2024, 6, 3}, QStringLiteral("甲商店"), QStringLiteral("佐藤"), QStringLiteral("引継ぎ"), QStringLiteral("二"));
        addReport({2024, 6, 3}, QStringLiteral("乙商事"), QStringLiteral("佐藤"), QStringLiteral("見積"), QStringLiteral("三"));
        addReport({2024, 6, 20}, QStringLiteral("甲商店"), QStringLiteral("山田"), QStringLiteral("受注"), QStringLiteral("四"));
    }
    static QString readAll(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(OverviewTest, TheHistoryFromTheCustomerIndexOpensAReportOnTheMainScreen) {
    seed();
    load();
    // "こ" in the index, the customer chosen, then "カルテ".
    QTest::mouseClick(child<QPushButton>(main.get(), QStringLiteral("cmd50_9")), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(main.get(), QStringLiteral("cmdカルテ")), Qt::LeftButton);
    auto *karte = qobject_cast<FrmKarte *>(forms::findForm(QStringLiteral("FrmKarte")));
    ASSERT_NE(karte, nullptr);
    auto *lines = child<QTreeWidget>(karte, QStringLiteral("lstカルテ"));
    ASSERT_EQ(lines->topLevelItemCount(), 3);
    QStringList seen;
    for (int i = 0; i < 3; ++i)
        seen << lines->topLevelItem(i)->text(FrmKarte::ColStaff) + u' ' + lines->topLevelItem(i)->text(FrmKarte::ColTitle);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("山田 受注"), QStringLiteral("佐藤 引継ぎ"), QStringLiteral("山田 初回")}));
    EXPECT_TRUE(karte->note().isEmpty());

    // The CSV file and the PDF of the whole history.
    const QString csv = tmp.filePath(QStringLiteral("karte.csv"));
    script.choose(csv, 1);
    script.answer(forms::ScriptedInteraction::Enter);
    QTest::mouseClick(child<QPushButton>(karte, QStringLiteral("cmdCSV出力")), Qt::LeftButton);
    const QStringList csvLines = readAll(csv).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(csvLines.size(), 4);
    // The reading is the report's own (none here); the confirmation last.
    EXPECT_EQ(csvLines[1], QStringLiteral("2024/06/20,甲商店,,山田,受注,四,未確認"));
    const QString pdf = tmp.filePath(QStringLiteral("karte.pdf"));
    ASSERT_TRUE(karte->ExportPdf(pdf).ok());
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        p.waitForFinished(30000);
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const char *t : {"顧客カルテ", "甲商店", "受注", "引継ぎ", "初回", "四"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t;
    }

    // The second line opens on the main screen: day, customer and staff.
    lines->setCurrentItem(lines->topLevelItem(1));
    QTest::mouseClick(child<QPushButton>(karte, QStringLiteral("cmd日報")), Qt::LeftButton);
    main->Form_Activate();
    EXPECT_EQ(child<forms::DateBox>(main.get(), QStringLiteral("txt日付"))->date(), QDate(2024, 6, 3));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), QStringLiteral("cmb顧客名"))->Text(), QStringLiteral("甲商店"));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), QStringLiteral("cmb担当"))->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), QStringLiteral("txtタイトル"))->Text(), QStringLiteral("引継ぎ"));
}

TEST_F(OverviewTest, AHistoryUnderANameNoLongerInTheCustomerListSaysSo) {
    seed();
    onData(QStringLiteral("update 顧客マスタ set 名称 = '甲商店本社' where 名称 = '甲商店'"));
    load();
    const struct { const char *name; int lines; const char *note; } cases[] = {
        {"甲商店", 3, "顧客マスタにない名前です"},
        {"甲商店本社", 0, "日報はまだありません"},
        {"丙", 0, "「丙」の日報はありません。"},
    };
    for (const auto &c : cases) {
        FrmKarte *karte = FrmKarte::Open(main->session(), QString::fromUtf8(c.name));
        EXPECT_EQ(karte->history().rows.size(), c.lines) << c.name;
        EXPECT_TRUE(karte->note().contains(QString::fromUtf8(c.note))) << karte->note().toStdString();
        EXPECT_EQ(child<QPushButton>(karte, QStringLiteral("cmdPDF"))->isEnabled(), c.lines > 0) << c.name;
    }
}

TEST_F(OverviewTest, TheFiguresRefuseACenturyAndOpenTheListOfAStaffMembersMonth) {
    seed();
    load();
    QTest::mouseClick(child<QPushButton>(main.get(), QStringLiteral("cmd集計")), Qt::LeftButton);
    auto *figures = qobject_cast<FrmSyukei *>(forms::findForm(QStringLiteral("FrmSyukei")));
    ASSERT_NE(figures, nullptr);
    figures->setPeriod({2024, 5, 1}, {2024, 6, 30});
    figures->setDormantDays(30);
    ASSERT_TRUE(figures->Count().ok());
    QTableWidget *staff = figures->table(FrmSyukei::StaffPage);
    ASSERT_EQ(staff->rowCount(), 2);
    ASSERT_EQ(staff->columnCount(), 4);   // 担当, 2024/05, 2024/06, 合計
    EXPECT_EQ(staff->item(0, 0)->text(), QStringLiteral("佐藤"));
    EXPECT_EQ(staff->item(0, 2)->text(), QStringLiteral("2"));
    EXPECT_EQ(staff->item(1, 3)->text(), QStringLiteral("2"));
    EXPECT_EQ(figures->visits().size(), 2);
    // 乙商事 last seen 27 days before the period's end; 甲商店 10.
    EXPECT_TRUE(figures->dormant().isEmpty());

    // A hundred years: refused with a message, the tables kept.
    figures->setPeriod({1925, 1, 1}, {2024, 12, 31});
    script.answer(forms::ScriptedInteraction::Enter);
    EXPECT_FALSE(figures->Count().ok());
    ASSERT_FALSE(script.shown.isEmpty());
    EXPECT_EQ(script.shown.last().prompt, QStringLiteral("集計する期間は 10 年以内にしてください。"));
    EXPECT_EQ(staff->rowCount(), 2);

    // 佐藤 in June: the report list of that month and staff member.
    emit staff->cellActivated(0, 2);
    auto *list = qobject_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList")));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(child<forms::DateBox>(list, QStringLiteral("txt開始"))->date(), QDate(2024, 6, 1));
    EXPECT_EQ(child<forms::DateBox>(list, QStringLiteral("txt終了"))->date(), QDate(2024, 6, 30));
    EXPECT_EQ(child<forms::DataGrid>(list, QStringLiteral("Grid日報一覧"))->model()->rowCount(), 2);

    // The page as CSV, PDF and PNG.
    figures->showPage(FrmSyukei::VisitsPage);
    const QString csv = tmp.filePath(QStringLiteral("visits.csv")), pdf = tmp.filePath(QStringLiteral("visits.pdf")),
                  png = tmp.filePath(QStringLiteral("visits.png"));
    ASSERT_TRUE(figures->ExportCsv(csv, text::Encoding::Utf8Bom).ok());
    EXPECT_TRUE(readAll(csv).contains(QStringLiteral("甲商店,3,3,あり")));
    ASSERT_TRUE(figures->ExportPdf(pdf).ok());
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    ASSERT_TRUE(figures->ExportPng(png).ok());
    EXPECT_EQ(QImage(png).size(), QSize(1600, 900));
}

}  // namespace
}  // namespace tqen::testing
