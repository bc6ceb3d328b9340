// The printed daily report cards: layout, dates by the date style, many
// long cards, and the PDF file with its Japanese texts and embedded font.
#include "core/Globals.h"
#include "tests/reports/ReportFixture.h"
#include "platform/dao/Dao.h"
#include "platform/forms/Fonts.h"
#include "platform/reporting/Output.h"
#include "tests/support/Recording.h"
#include "model/NextSteps.h"
#include "reports/Rpt日報.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ReportChecks.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace tqen;
using reporting::Document;
using reporting::PageItem;

namespace {

class DailyReportCards : public tqen::testing::ReportFixture {
protected:
    void addCards(const QList<QVariantList> &cards) {
        auto db = dao::Database::open(G().WorkDbPath);
        db.beginTrans();
        auto rs = db.openRecordset(QStringLiteral("select * from w日報印刷"));
        for (const QVariantList &c : cards) {
            rs.addNew();
            rs.setField(QStringLiteral("日付"), c.value(0));
            rs.setField(QStringLiteral("顧客名"), c.value(1));
            rs.setField(QStringLiteral("担当"), c.value(2));
            rs.setField(QStringLiteral("タイトル"), c.value(3));
            rs.setField(QStringLiteral("メモ"), c.value(4));
            ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        }
        ASSERT_TRUE(db.commitTrans());
    }
};

// Where the cards stand on A4: 800 twips from the left edge, 1000 from the top,
// the header 770 high, each card 900.
TEST_F(DailyReportCards, LayoutOfHeaderAndCard) {
    addCards({{QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("新製品"), QStringLiteral("見積り")},
              {QDate(2002, 2, 15), QStringLiteral("青木工業"), QStringLiteral("鈴木"), QStringLiteral("納品"), QStringLiteral("検収")}});
    Rpt日報 r;
    const Document &doc = r.Run();
    ASSERT_TRUE(r.error().ok());
    EXPECT_EQ(doc.paper.toSize(), QSize(11906, 16838));
    ASSERT_EQ(doc.pageCount(), 1);
    struct Want { const char *control; qreal left, top; const char *text; };
    const Want wants[] = {
        {"Label1", 800 + 354, 1000 + 142, "営業日報"},
        {"Label6", 800 + 4110, 1000 + 213, "印刷日"},
        {"Label7", 800 + 8433, 1000 + 71, "Pege"},
        {"Label2", 800 + 75, 1770 + 30, "日　付"},
        {"txt顧客名", 800 + 3465, 1770 + 30, "山田商店"},
        {"txt担当", 800 + 8858, 1770 + 30, "佐藤"},
        {"Label5", 800 + 75, 1770 + 310, "タイトル"},
        {"txtタイトル", 800 + 1065, 1770 + 315, "新製品"},
        {"txtメモ", 800 + 0, 1770 + 600, "見積り"},
    };
    for (const Want &w : wants) {
        const PageItem *i = item(doc, QString::fromUtf8(w.control));
        ASSERT_NE(i, nullptr) << w.control;
        EXPECT_EQ(i->box.topLeft(), QPointF(w.left, w.top)) << w.control;
        EXPECT_EQ(i->text, QString::fromUtf8(w.text)) << w.control;
    }
    EXPECT_EQ(texts(doc, QStringLiteral("txt顧客名")), QStringList({QStringLiteral("山田商店"), QStringLiteral("青木工業")}));
    EXPECT_EQ(texts(doc, QStringLiteral("Field4")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(texts(doc, QStringLiteral("Field5")), QStringList{QStringLiteral("/1")});
    for (const auto &f : doc.fonts) EXPECT_EQ(f.family(), QStringLiteral("ＭＳ Ｐ明朝"));
}

// A report's next step closes its card's memo; a card without one, and a
// data file without next steps, print as before.
TEST_F(DailyReportCards, ACardCarriesItsNextStepUnderTheMemo) {
    addCards({{QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("新製品"), QStringLiteral("見積り")},
              {QDate(2002, 2, 15), QStringLiteral("青木工業"), QStringLiteral("鈴木"), QStringLiteral("納品"), QStringLiteral("検収")}});
    G().DataDbPath = tqen::testing::copyDeliveredFile(tmp, QStringLiteral("TqenData.mdb"));
    {
        Rpt日報 r;
        EXPECT_EQ(texts(r.Run(), QStringLiteral("txtメモ")), QStringList({QStringLiteral("見積り"), QStringLiteral("検収")}));
    }
    auto db = dao::Database::open(G().DataDbPath);
    ASSERT_TRUE(db.beginTrans());
    ASSERT_TRUE(model::NextSteps::setIn(db, {QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤")},
                                        {QDate(2002, 2, 20), QStringLiteral("再訪")})
                    .ok());
    ASSERT_TRUE(db.commitTrans());
    db.close();
    Rpt日報 r;
    EXPECT_EQ(texts(r.Run(), QStringLiteral("txtメモ")),
              QStringList({QStringLiteral("見積り"), QStringLiteral("次回予定: 2002/02/20 再訪"), QStringLiteral("検収")}));
}

// The print date and the card's date follow the date style: only "西暦"
// writes western years; every other value, the empty one too, writes eras.
TEST_F(DailyReportCards, DatesFollowTheDateStyle) {
    addCards({{QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤")},
              {QDate(2019, 5, 1), QStringLiteral("青木工業"), QStringLiteral("鈴木")}});
    struct Case { const char *style; const char *printed; const char *first; const char *second; };
    const Case cases[] = {
        {"西暦", "2002年02月14日", "2002/02/14", "2019/05/01"},
        {"和暦", "平成14年02月14日", "H14/02/14", "R01/05/01"},
        {"", "平成14年02月14日", "H14/02/14", "R01/05/01"},
    };
    for (const Case &c : cases) {
        G().Env.年号 = QString::fromUtf8(c.style);
        Rpt日報 r;
        r.setPrintDate(QDate(2002, 2, 14));
        const Document &doc = r.Run();
        EXPECT_EQ(texts(doc, QStringLiteral("txt印刷日")), QStringList{QString::fromUtf8(c.printed)}) << c.style;
        EXPECT_EQ(texts(doc, QStringLiteral("txt日付")),
                  QStringList({QString::fromUtf8(c.first), QString::fromUtf8(c.second)})) << c.style;
    }
}

// 200 cards, every fifth with a 2,000-character memo: the cards page without
// one text covering another or reaching into the page footer, every card is
// printed, and the pages are numbered.
TEST_F(DailyReportCards, TwoHundredCardsWithLongMemosPageWithoutOverlap) {
    QString memo;
    while (memo.size() < 2000) memo += QStringLiteral("本日、新製品の説明に伺い、来月の見積りを依頼された。Model-X 12台。");
    memo.truncate(2000);
    QList<QVariantList> cards;
    for (int i = 0; i < 200; ++i)
        cards << QVariantList{QDate(2002, 1, 1).addDays(i), QStringLiteral("顧客%1").arg(i, 3, 10, QChar(u'0')),
                              QStringLiteral("佐藤"), QStringLiteral("訪問 %1").arg(i),
                              i % 5 == 0 ? memo : QStringLiteral("電話で確認した。")};
    addCards(cards);
    Rpt日報 r;
    const Document &doc = r.Run();
    reporting::RecordingDevice device(doc.paper);
    reporting::record(doc, device);
    EXPECT_EQ(device.pages, doc.pageCount());
    EXPECT_GT(doc.pageCount(), 20);   // so "/2x" is wider than its 354-twip box, and still shown whole
    tqen::testing::expectNoOverlap(device, doc.paper.height() - 700 - 285);
    QStringList names = texts(doc, QStringLiteral("txt顧客名"));
    EXPECT_EQ(names.size(), 200);
    EXPECT_EQ(names.first(), QStringLiteral("顧客000"));
    EXPECT_EQ(names.last(), QStringLiteral("顧客199"));
    EXPECT_EQ(texts(doc, QStringLiteral("txtメモ")).join(QString()).size(), 40 * 2000 + 160 * 8);
    const QStringList numbers = texts(doc, QStringLiteral("Field4"));
    ASSERT_EQ(numbers.size(), doc.pageCount());
    EXPECT_EQ(numbers.last(), QString::number(doc.pageCount()));
    for (const QString &count : texts(doc, QStringLiteral("Field5"))) EXPECT_EQ(count, QStringLiteral("/%1").arg(doc.pageCount()));
    // What was drawn is in the Mincho face the report names.
    for (const auto &t : device.texts) ASSERT_EQ(t.resolvedFamily, QStringLiteral("IPAPMincho")) << t.text.toStdString();
}

QString run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(DailyReportCards, PdfHoldsTheJapaneseTextsAndEmbedsTheMinchoFont) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils is not installed (scripts/install-deps.sh)";
    G().Env.年号 = QStringLiteral("西暦");
    addCards({{QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("新製品の説明"), QStringLiteral("来月に見積りを出す。")},
              {QDate(2002, 2, 15), QStringLiteral("青木工業"), QStringLiteral("鈴木"), QStringLiteral("納品"), QStringLiteral("検収済み")},
              {QDate(2002, 2, 16), QStringLiteral("ｶﾀｶﾅ商会"), QStringLiteral("高橋"), QStringLiteral("点検"), QStringLiteral("異常なし")}});
    Rpt日報 r;
    const QString pdf = tmp.filePath(QStringLiteral("日報.pdf"));
    ASSERT_TRUE(r.ExportPdf(pdf).ok());
    // pdftotext writes the ideographic space of "日　付" as a plain one.
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")})
                             .replace(QChar(0x3000), QLatin1Char(' '));
    for (const char *want : {"営業日報", "印刷日", "Pege", "日　付", "顧客名", "山田商店", "青木工業", "ｶﾀｶﾅ商会",
                             "新製品の説明", "来月に見積りを出す。", "検収済み", "2002/02/16", "高橋"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(want).replace(QChar(0x3000), QLatin1Char(' '))))
            << want << "\n" << text.toStdString();
    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    bool mincho = false;
    for (const QString &line : fonts.split(QLatin1Char('\n'))) {
        if (!line.contains(QStringLiteral("IPAPMincho"))) continue;
        mincho = true;
        const QStringList cols = line.simplified().split(QLatin1Char(' '));
        // name type [encoding...] emb sub uni object ID: "emb" is the fifth from the end.
        ASSERT_GE(cols.size(), 6);
        EXPECT_EQ(cols[cols.size() - 5], QStringLiteral("yes")) << line.toStdString();
    }
    EXPECT_TRUE(mincho) << fonts.toStdString();
}

}  // namespace
