// The report component on a real work database: bound fields and format
// events, growing texts, page breaks, page numbers, what is drawn, PDF files
// and the preview's "PDFに保存".
#include "platform/dao/Dao.h"
#include "platform/forms/Fonts.h"
#include "platform/forms/ScriptedInteraction.h"
#include "platform/reporting/Output.h"
#include "tests/support/Recording.h"
#include "platform/reporting/Report.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ReportChecks.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>

using namespace tqen;
using namespace tqen::reporting;

namespace {

// A small card report over w日報印刷 with an A5 page, so pages fill quickly.
class CardReport : public Report {
public:
    explicit CardReport(const QString &work) : Report(QStringLiteral("rptTest")), work_(work) {
        Control title{QStringLiteral("Title"), ControlKind::Label, 0, 0, 3000, 300, QStringLiteral("カード")};
        Control page{QStringLiteral("Page"), ControlKind::Field, 5000, 0, 600, 300};
        page.summary = Summary::PageNumber;
        page.alignment = Qt::AlignRight;
        Control pages{QStringLiteral("Pages"), ControlKind::Field, 5600, 0, 600, 300};
        pages.summary = Summary::PageCount;
        pages.summaryFormat = QStringLiteral("/%1");
        add(PageHeader, {title, page, pages});
        Control name{QStringLiteral("txt顧客名"), ControlKind::Field, 0, 0, 3000, 285};
        name.dataField = QStringLiteral("顧客名");
        Control memo{QStringLiteral("txtメモ"), ControlKind::Field, 0, 300, 6000, 285};
        memo.dataField = QStringLiteral("メモ");
        memo.canGrow = true;
        Control below{QStringLiteral("txt担当"), ControlKind::Field, 0, 600, 3000, 285};
        below.dataField = QStringLiteral("担当");
        Control rule{QStringLiteral("Line1"), ControlKind::Line, 0, 900, 6000, 0};
        add(Detail, {name, memo, below, rule});
        add(PageFooter, {{QStringLiteral("Foot"), ControlKind::Label, 0, 0, 3000, 285, QStringLiteral("フッター")}});
    }
    int headers = 0;
    int details = 0;
    QStringList seen;

protected:
    void ActiveReport_ReportStart() override {
        Printer.PaperSize = QPageSize::A5;
        PageSettings = {720, 720, 720, 720};
        DAODataControl1.DatabaseName = work_;
        DAODataControl1.RecordSource = QStringLiteral("w日報印刷");
        PageHeader.height = 400;
        Detail.height = 960;
        PageFooter.height = 300;
    }
    void PageHeader_Format() override { ++headers; }
    void Detail_Format() override {
        ++details;
        seen << Fields(QStringLiteral("顧客名")).toString();
        if (Fields(QStringLiteral("担当")).toString() == QStringLiteral("隠す")) control(QStringLiteral("txt担当")).text = QStringLiteral("***");
    }

private:
    QString work_;
};

class Reporting : public ::testing::Test {
protected:
    void SetUp() override {
        forms::InstallFontSubstitutions();
        ASSERT_TRUE(tmp.isValid());
        work = tmp.filePath(QStringLiteral("TqenWork.mdb"));
        ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenWork.mdb"), work));
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
    }
    void addCard(const QString &customer, const QString &memo, const QString &staff = QStringLiteral("佐藤")) {
        auto db = dao::Database::open(work);
        auto rs = db.openRecordset(QStringLiteral("select * from w日報印刷"));
        rs.addNew();
        rs.setField(QStringLiteral("日付"), QDate(2002, 2, 14));
        rs.setField(QStringLiteral("顧客名"), customer);
        rs.setField(QStringLiteral("担当"), staff);
        rs.setField(QStringLiteral("メモ"), memo);
        ASSERT_TRUE(rs.update()) << rs.error().toStdString();
    }
    // The footer's top on an A5 page with the test report's margins.
    qreal footerTop(const Document &doc) const { return doc.paper.height() - 720 - 300; }
    static QStringList textsOf(const Document &doc, const QString &control, int page = -1) {
        QStringList out;
        for (int p = 0; p < doc.pageCount(); ++p)
            if (page < 0 || p == page)
                for (const PageItem &i : doc.pages[p].items)
                    if (i.control == control) out << i.text;
        return out;
    }

    QTemporaryDir tmp;
    QString work;
};

TEST_F(Reporting, BoundFieldsAndFormatEventsFillEachCard) {
    addCard(QStringLiteral("山田商店"), QStringLiteral("見積り"));
    addCard(QStringLiteral("青木工業"), QStringLiteral("納品"), QStringLiteral("隠す"));
    CardReport r(work);
    const Document &doc = r.Run();
    ASSERT_TRUE(r.error().ok()) << r.error().message().toStdString();
    EXPECT_EQ(r.details, 2);
    EXPECT_EQ(r.seen, QStringList({QStringLiteral("山田商店"), QStringLiteral("青木工業")}));
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(textsOf(doc, QStringLiteral("txt顧客名")), QStringList({QStringLiteral("山田商店"), QStringLiteral("青木工業")}));
    // The event's text wins over the bound value, for its own row only.
    EXPECT_EQ(textsOf(doc, QStringLiteral("txt担当")), QStringList({QStringLiteral("佐藤"), QStringLiteral("***")}));
    EXPECT_EQ(textsOf(doc, QStringLiteral("Foot")), QStringList{QStringLiteral("フッター")});
    // The second card starts where the first ends.
    QList<qreal> tops;
    for (const PageItem &i : doc.pages[0].items)
        if (i.control == QStringLiteral("txt顧客名")) tops << i.box.top();
    EXPECT_EQ(tops, QList<qreal>({720 + 400, 720 + 400 + 960}));
}

TEST_F(Reporting, AReportWithoutRowsIsOnePageWithItsHeader) {
    CardReport r(work);
    const Document &doc = r.Run();
    EXPECT_TRUE(r.error().ok());
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(textsOf(doc, QStringLiteral("Title")), QStringList{QStringLiteral("カード")});
    EXPECT_EQ(textsOf(doc, QStringLiteral("Page")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(textsOf(doc, QStringLiteral("Pages")), QStringList{QStringLiteral("/1")});
}

TEST_F(Reporting, AnUnreadableSourceGivesAnErrorAndAnEmptyReport) {
    CardReport r(tmp.filePath(QStringLiteral("missing.mdb")));
    const Document &doc = r.Run();
    EXPECT_EQ(r.error().code(), Error::Code::DatabaseFailed);
    EXPECT_FALSE(r.error().text().isEmpty());
    EXPECT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(r.details, 0);
}

// Long memos grow their card and push what stands below them down; cards
// move to the next page whole, and the page numbers count the pages.
TEST_F(Reporting, LongMemosGrowTheirCardsAndNeverOverprint) {
    QString memo;
    for (int i = 0; i < 30; ++i) memo += QStringLiteral("来月の見積りについて打ち合わせた。");
    for (int i = 0; i < 12; ++i) addCard(QStringLiteral("顧客%1").arg(i), i % 3 ? QStringLiteral("短い") : memo);
    CardReport r(work);
    const Document &doc = r.Run();
    ASSERT_GT(doc.pageCount(), 2);
    RecordingDevice device(doc.paper);
    record(doc, device);
    EXPECT_EQ(device.pages, doc.pageCount());
    tqen::testing::expectNoOverlap(device, footerTop(doc));
    // Every card is printed once, whole, on one page.
    EXPECT_EQ(textsOf(doc, QStringLiteral("txt顧客名")).size(), 12);
    for (int p = 0; p < doc.pageCount(); ++p) {
        EXPECT_EQ(textsOf(doc, QStringLiteral("Page"), p), QStringList{QString::number(p + 1)});
        EXPECT_EQ(textsOf(doc, QStringLiteral("Pages"), p), QStringList{QStringLiteral("/%1").arg(doc.pageCount())});
    }
    // Each card's memo stands whole on the page of its customer name.
    int cards = 0;
    for (const Page &page : doc.pages) {
        QString card;
        auto check = [&] {
            if (card.isNull()) return;
            const int index = card.section(QLatin1Char('|'), 0, 0).mid(2).toInt();
            EXPECT_EQ(card.section(QLatin1Char('|'), 1), index % 3 ? QStringLiteral("短い") : memo) << index;
            ++cards;
        };
        for (const PageItem &i : page.items) {
            if (i.control == QStringLiteral("txt顧客名")) {
                check();
                card = i.text + QLatin1Char('|');
            } else if (i.control == QStringLiteral("txtメモ")) {
                card += i.text;
            }
        }
        check();
    }
    EXPECT_EQ(cards, 12);
    // The rule under a long memo sits below its last line.
    for (const Page &page : doc.pages) {
        qreal lastMemo = 0;
        for (const PageItem &i : page.items) {
            if (i.control == QStringLiteral("txtメモ")) lastMemo = i.box.bottom();
            if (i.control == QStringLiteral("Line1")) {
                EXPECT_GE(i.rule.y1(), lastMemo);
            }
        }
    }
    // The texts drawn are the texts laid out, in the same places.
    QStringList drawn;
    for (const auto &t : device.texts) drawn << t.text;
    QStringList laidOut;
    for (const Page &page : doc.pages)
        for (const PageItem &i : page.items)
            if (!i.text.isEmpty()) laidOut << i.text;
    EXPECT_EQ(drawn.join(QString()), laidOut.join(QString()));
}

// A memo longer than a whole page breaks between lines onto the next pages;
// no line is lost or printed twice, and the text after it follows it.
TEST_F(Reporting, ACardTallerThanAPageBreaksBetweenLines) {
    QString memo;
    for (int i = 0; i < 3000; ++i) memo += QChar(u'あ' + i % 80);
    memo += QStringLiteral("\r\n改行の後\n最後の行");
    addCard(QStringLiteral("前"), QStringLiteral("短い"));
    addCard(QStringLiteral("長い"), memo);
    addCard(QStringLiteral("後"), QStringLiteral("短い"));
    CardReport r(work);
    const Document &doc = r.Run();
    ASSERT_GE(doc.pageCount(), 3);
    RecordingDevice device(doc.paper);
    record(doc, device);
    tqen::testing::expectNoOverlap(device, footerTop(doc));
    QString joined;
    QStringList lines = textsOf(doc, QStringLiteral("txtメモ"));
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("短い"));
    EXPECT_EQ(lines.last(), QStringLiteral("短い"));
    EXPECT_EQ(lines[lines.size() - 3], QStringLiteral("改行の後"));
    EXPECT_EQ(lines[lines.size() - 2], QStringLiteral("最後の行"));
    joined = lines.mid(1, lines.size() - 2).join(QString());
    EXPECT_EQ(joined, QString(memo).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')));
    // The long card starts on a fresh page, after the first card's page.
    EXPECT_EQ(textsOf(doc, QStringLiteral("txt顧客名"), 0), QStringList{QStringLiteral("前")});
    EXPECT_EQ(textsOf(doc, QStringLiteral("txt顧客名"), 1), QStringList{QStringLiteral("長い")});
}

TEST_F(Reporting, RightAlignedAndCutTexts) {
    addCard(QString(60, QChar(u'長')), QStringLiteral("x"));
    CardReport r(work);
    const Document &doc = r.Run();
    for (const PageItem &i : doc.pages[0].items) {
        if (i.control == QStringLiteral("Page")) {
            EXPECT_NEAR(i.offset + i.textWidth, 600, 0.5);   // flush right in its box
        }
        if (i.control == QStringLiteral("txt顧客名")) {
            EXPECT_LE(i.textWidth, 3000);                   // cut at the box, one line only
            EXPECT_LT(i.text.size(), 60);
        }
    }
    EXPECT_EQ(textsOf(doc, QStringLiteral("txt顧客名")).size(), 1);
}

TEST_F(Reporting, PdfFilesAndThePreviewsSaveAction) {
    addCard(QStringLiteral("山田商店"), QStringLiteral("見積り"));
    CardReport r(work);
    const QString pdf = tmp.filePath(QStringLiteral("out.pdf"));
    ASSERT_TRUE(r.ExportPdf(pdf).ok());
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
    EXPECT_EQ(r.ExportPdf(tmp.filePath(QStringLiteral("no folder/out.pdf"))).code(), Error::Code::FileFailed);

    forms::ScriptedInteraction script;
    forms::ScopedInteraction scope(&script);
    QPrinter printer;
    preparePrinter(r.document(), printer);
    std::unique_ptr<QPrintPreviewDialog> preview(createPreview(r.document(), &printer, nullptr));
    QAction *save = preview->findChild<QAction *>(QStringLiteral("actPdfに保存"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), QStringLiteral("PDFに保存"));
    const QString chosen = tmp.filePath(QStringLiteral("保存"));
    script.choose(chosen);                                           // no extension typed
    save->trigger();
    EXPECT_TRUE(QFile::exists(chosen + QStringLiteral(".pdf")));
    ASSERT_EQ(script.dialogs.size(), 1);
    EXPECT_TRUE(script.dialogs[0].save);
    script.choose(QString());                                        // cancelled: nothing written
    save->trigger();
    EXPECT_TRUE(script.shown.isEmpty());
    script.choose(tmp.filePath(QStringLiteral("no folder/x.pdf")));  // cannot be written: told
    script.answer(forms::mb::IdOK);
    save->trigger();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("PDF")));
}

}  // namespace
