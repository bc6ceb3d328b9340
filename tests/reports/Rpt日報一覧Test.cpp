// The printed report list: where its texts stand, dates by the date style,
// the page numbers of a long list, and its PDF file.
#include "model/Session.h"
#include "tests/reports/ReportFixture.h"
#include "platform/dao/Dao.h"
#include "platform/forms/Fonts.h"
#include "platform/reporting/Output.h"
#include "reports/Rpt日報一覧.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace tqen;
using reporting::Document;
using reporting::PageItem;

namespace {

class ReportListPrint : public tqen::testing::ReportFixture {
protected:
    void addLines(int count, const QDate &from) {
        auto db = dao::Database::open(session.workDbPath);
        db.beginTrans();
        auto rs = db.openRecordset(QStringLiteral("select * from w日報一覧"));
        for (int i = 0; i < count; ++i) {
            rs.addNew();
            rs.setField(QStringLiteral("日付"), from.addDays(-i));
            rs.setField(QStringLiteral("顧客名"), QStringLiteral("顧客%1").arg(i));
            rs.setField(QStringLiteral("タイトル"), QStringLiteral("件名%1").arg(i));
            rs.setField(QStringLiteral("担当"), QStringLiteral("佐藤"));
            rs.setField(QStringLiteral("チェック"), i % 2 == 0);
            ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        }
        ASSERT_TRUE(db.commitTrans());
    }
};

// Left margin 700, top margin 1000, header 1000 high, lines 300 apart.
TEST_F(ReportListPrint, HeaderAndLinesStandWhereTheLayoutPutsThem) {
    addLines(2, QDate(2002, 2, 15));
    session.env.年号 = QStringLiteral("西暦");
    Rpt日報一覧 r(session);
    r.setPrintDate(QDate(2002, 2, 14));
    const Document &doc = r.Run();
    ASSERT_TRUE(r.error().ok());
    ASSERT_EQ(doc.pageCount(), 1);
    const struct {
        const char *control;
        qreal left, top;
        const char *text;
    } wants[] = {
        {"Label1", 700 + 71, 1000 + 50, "日報一覧"},
        {"Label6", 700 + 5173, 1000 + 180, "印刷日"},
        {"txt印刷日", 700 + 5953, 1000 + 180, "2002年02月14日"},
        {"Label7", 700 + 9071, 1000 + 71, "Pege"},
        {"Label2", 700 + 142, 1000 + 540, "日　付"},
        {"Label3", 700 + 1913, 1000 + 540, "顧　客　名"},
        {"Label4", 700 + 5031, 1000 + 540, "タイトル"},
        {"Label5", 700 + 9638, 1000 + 540, "担　当"},
        {"txt日付", 700 + 0, 2000 + 20, "2002/02/15"},
        {"txt顧客名", 700 + 1275, 2000 + 20, "顧客0"},
        {"txtタイトル", 700 + 4110, 2000 + 20, "件名0"},
        {"txt担当", 700 + 9567, 2000 + 20, "佐藤"},
    };
    for (const auto &w : wants) {
        const PageItem *i = item(doc, QString::fromUtf8(w.control));
        ASSERT_NE(i, nullptr) << w.control;
        EXPECT_EQ(i->box.topLeft(), QPointF(w.left, w.top)) << w.control;
        EXPECT_EQ(i->text, QString::fromUtf8(w.text)) << w.control;
    }
    // The second line stands 300 below the first; no tick is printed.
    EXPECT_EQ(texts(doc, QStringLiteral("txt日付")), QStringList({QStringLiteral("2002/02/15"), QStringLiteral("2002/02/14")}));
    for (const auto &page : doc.pages)
        for (const PageItem &i : page.items)
            if (i.control == QStringLiteral("txt顧客名") && i.text == QStringLiteral("顧客1"))
                EXPECT_EQ(i.box.top(), 2000 + 300 + 20);
    for (const auto &f : doc.fonts) EXPECT_EQ(f.family(), QStringLiteral("ＭＳ Ｐ明朝"));
}

TEST_F(ReportListPrint, DatesFollowTheDateStyle) {
    addLines(1, QDate(2019, 5, 1));
    const struct {
        const char *style, *printed, *day;
    } cases[] = {
        {"西暦", "2002年02月14日", "2019/05/01"},
        {"和暦", "平成14年02月14日", "R01/05/01"},
        {"", "平成14年02月14日", "R01/05/01"},
    };
    for (const auto &c : cases) {
        session.env.年号 = QString::fromUtf8(c.style);
        Rpt日報一覧 r(session);
        r.setPrintDate(QDate(2002, 2, 14));
        const Document &doc = r.Run();
        EXPECT_EQ(texts(doc, QStringLiteral("txt印刷日")), QStringList{QString::fromUtf8(c.printed)}) << c.style;
        EXPECT_EQ(texts(doc, QStringLiteral("txt日付")), QStringList{QString::fromUtf8(c.day)}) << c.style;
    }
}

// Each line prints its confirmation: the state, then the confirmer and the
// newest comment; a line without one prints 未確認.
TEST_F(ReportListPrint, EachLinePrintsItsConfirmation) {
    addLines(3, QDate(2002, 2, 15));
    using model::ConfirmState;
    Rpt日報一覧 r(session);
    r.setConfirmations({
        {{QDate(2002, 2, 15), QStringLiteral("顧客0"), QStringLiteral("佐藤")},
         {ConfirmState::Confirmed, QStringLiteral("課長"), {}, QStringLiteral("前の件\n了解です")}},
        {{QDate(2002, 2, 14), QStringLiteral("顧客1"), QStringLiteral("佐藤")},
         {ConfirmState::ChangedSince, QStringLiteral("部長"), {}, {}}},
    });
    const Document &doc = r.Run();
    ASSERT_TRUE(r.error().ok());
    EXPECT_EQ(texts(doc, QStringLiteral("txt確認")),
              (QStringList{QStringLiteral("確認済"), QStringLiteral("確認後に変更"), QStringLiteral("未確認")}));
    EXPECT_EQ(texts(doc, QStringLiteral("txt確認者")),
              (QStringList{QStringLiteral("課長：了解です"), QStringLiteral("部長"), QString()}));
    // The columns stand between the title and the staff member.
    const PageItem *state = item(doc, QStringLiteral("txt確認"));
    ASSERT_NE(state, nullptr);
    EXPECT_GT(state->box.left(), item(doc, QStringLiteral("txtタイトル"))->box.right());
    EXPECT_LT(item(doc, QStringLiteral("txt確認者"))->box.right(), item(doc, QStringLiteral("txt担当"))->box.left());
}

// A report with a next step has it on a second line under its own (month
// and day in the report's year, else the whole day; closed ones say so; a
// long text wraps); the rule and the next line move down by that much, and
// a line without a step keeps its height.
TEST_F(ReportListPrint, ANextStepTakesASecondLineUnderItsReport) {
    addLines(4, QDate(2002, 12, 31));
    session.env.年号 = QStringLiteral("西暦");
    const QString longText = QStringLiteral("見積書の改訂版を持参し、仕様の差分と納期の見直しについて先方の技術担当と詰める").repeated(3);
    Rpt日報一覧 r(session);
    r.setNextSteps({
        {{QDate(2002, 12, 30), QStringLiteral("顧客1"), QStringLiteral("佐藤")}, QDate(2002, 12, 31), QStringLiteral("見積提出"), {}},
        {{QDate(2002, 12, 29), QStringLiteral("顧客2"), QStringLiteral("佐藤")}, QDate(2003, 1, 10), QStringLiteral("年始挨拶"),
         QDate(2003, 1, 12)},
        {{QDate(2002, 12, 28), QStringLiteral("顧客3"), QStringLiteral("佐藤")}, QDate(2003, 1, 6), longText, {}},
        // Of no listed report (another staff member): not printed.
        {{QDate(2002, 12, 31), QStringLiteral("顧客0"), QStringLiteral("鈴木")}, QDate(2003, 1, 6), QStringLiteral("他人の"), {}},
    });
    const Document &doc = r.Run();
    ASSERT_TRUE(r.error().ok());
    ASSERT_EQ(doc.pageCount(), 1);
    const QStringList steps = texts(doc, QStringLiteral("txt次回"));
    ASSERT_GE(steps.size(), 4);
    EXPECT_EQ(steps.mid(0, 2), (QStringList{QStringLiteral("次回 12/31 見積提出"),
                                            QStringLiteral("次回 2003/01/10 年始挨拶（完了 2003/01/12）")}));
    EXPECT_EQ(steps.mid(2).join(QString()), QStringLiteral("次回 2003/01/06 ") + longText);
    // The long text's lines, less the one line a step has room for.
    const qreal wrapped = (steps.size() - 2) * item(doc, QStringLiteral("txt次回"))->box.height() - 270;

    QList<qreal> lineTops, ruleTops, stepTops;
    for (const PageItem &i : doc.pages.first().items) {
        if (i.control == QStringLiteral("txt日付")) lineTops << i.box.top();
        if (i.control == QStringLiteral("Line1")) ruleTops << i.box.top();
        if (i.control == QStringLiteral("txt次回")) stepTops << i.box.top();
    }
    // Lines start at 2000: 300 without a step, 570 with a one-line one.
    EXPECT_EQ(lineTops, (QList<qreal>{2020, 2320, 2890, 3460 + 0}));
    EXPECT_EQ(ruleTops, (QList<qreal>{2295, 2865, 3435, 4005 + wrapped}));
    EXPECT_EQ(stepTops.mid(0, 3), (QList<qreal>{2590, 3160, 3730}));
    EXPECT_GT(wrapped, 0);
}

// Every other line of a long list with a step: the pages hold fewer lines,
// no line is parted from its step, and the PDF carries the steps.
TEST_F(ReportListPrint, StepsKeepToTheirLinesAcrossPagesAndReachThePdf) {
    addLines(90, QDate(2002, 12, 31));
    session.env.年号 = QStringLiteral("西暦");
    QList<model::NextStep> steps;
    for (int i = 0; i < 90; i += 2)
        steps.append({{QDate(2002, 12, 31).addDays(-i), QStringLiteral("顧客%1").arg(i), QStringLiteral("佐藤")},
                      QDate(2003, 1, 15), QStringLiteral("訪問%1").arg(i), {}});
    Rpt日報一覧 r(session);
    r.setNextSteps(steps);
    const Document &doc = r.Run();
    // A4: 16838 - 1000 - 1000 - 700 - 270 = 13868 for lines of 570 (with a
    // step) and 300; a line that does not fit starts the next page.
    int pages = 1;
    for (int i = 0, used = 0; i < 90; ++i) {
        const int height = i % 2 == 0 ? 570 : 300;
        if (used + height > 13868) {
            ++pages;
            used = 0;
        }
        used += height;
    }
    ASSERT_EQ(doc.pageCount(), pages);
    int lines = 0;
    for (int p = 0; p < pages; ++p) {
        const QStringList customers = texts(doc, QStringLiteral("txt顧客名"), p);
        const QStringList onPage = texts(doc, QStringLiteral("txt次回"), p);
        QStringList want;
        for (const QString &c : customers)
            if (const int n = c.mid(2).toInt(); n % 2 == 0) want << QStringLiteral("次回 2003/01/15 訪問%1").arg(n);
        EXPECT_EQ(onPage, want) << p;
        EXPECT_EQ(texts(doc, QStringLiteral("Field5"), p), QStringList{QStringLiteral("/%1").arg(pages)});
        lines += int(customers.size());
    }
    EXPECT_EQ(lines, 90);

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils is not installed (scripts/install-deps.sh)";
    const QString pdf = tmp.filePath(QStringLiteral("steps.pdf"));
    ASSERT_TRUE(r.ExportPdf(pdf).ok());
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
                                          QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QStringList text = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
    // Each step stands on the line right under its report's.
    for (const int n : {0, 2, 88}) {
        const qsizetype at = text.indexOf(QRegularExpression(QStringLiteral(".*顧客%1\\s.*").arg(n)));
        ASSERT_GE(at, 0) << n;
        EXPECT_TRUE(text.value(at + 1).contains(QStringLiteral("次回 2003/01/15 訪問%1").arg(n))) << text.value(at + 1).toStdString();
    }
    EXPECT_FALSE(text.value(text.indexOf(QRegularExpression(QStringLiteral(".*顧客1\\s.*"))) + 1).contains(QStringLiteral("次回")));
}

// A year of lines runs over many pages, each with its header and numbers,
// and the PDF file holds them.
TEST_F(ReportListPrint, ALongListPagesWithHeadersAndWritesAPdf) {
    addLines(120, QDate(2002, 12, 31));
    Rpt日報一覧 r(session);
    const Document &doc = r.Run();
    // A4 is 16838 high: 1000 + 1000 of header, 700 + 270 below: 46 lines a page.
    const int perPage = (16838 - 1000 - 700 - 270 - 1000) / 300;
    const int pages = (120 + perPage - 1) / perPage;
    ASSERT_EQ(doc.pageCount(), pages);
    int lines = 0;
    for (int p = 0; p < pages; ++p) {
        EXPECT_EQ(texts(doc, QStringLiteral("Label1"), p), QStringList{QStringLiteral("日報一覧")});
        EXPECT_EQ(texts(doc, QStringLiteral("Field4"), p), QStringList{QString::number(p + 1)});
        EXPECT_EQ(texts(doc, QStringLiteral("Field5"), p), QStringList{QStringLiteral("/%1").arg(pages)});
        lines += int(texts(doc, QStringLiteral("txt顧客名"), p).size());
    }
    EXPECT_EQ(lines, 120);
    const QString pdf = tmp.filePath(QStringLiteral("list.pdf"));
    ASSERT_TRUE(r.ExportPdf(pdf).ok());
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), pages);
}

}  // namespace
