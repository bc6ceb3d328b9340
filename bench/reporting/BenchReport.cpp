// Prints 1,000 daily report cards to a PDF file with the report component
// (read w日報印刷, lay out, draw, write) and, as the reference, draws the same
// texts at the same places with a bare QPainter onto a QPdfWriter set up the
// same way (word-wrapped memos measured while drawing, the same page breaks
// by height). Best of three runs each; prints both times and the ratio.
#include "model/Session.h"
#include "platform/dao/Dao.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Fonts.h"
#include "platform/reporting/Output.h"
#include "reports/Rpt日報.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace tqen;

namespace {

struct Card {
    QDate day;
    QString customer, staff, title, memo;
};

QList<Card> makeCards(int n) {
    QList<Card> cards;
    const QString sentence = QStringLiteral("本日、新製品の説明に伺い、来月の見積りを依頼された。");
    for (int i = 0; i < n; ++i) {
        QString memo;
        const int sentences = i % 10 == 0 ? 80 : 1 + i % 6;   // every tenth about 2,000 characters
        for (int s = 0; s < sentences; ++s) memo += sentence;
        cards << Card{QDate(2002, 1, 1).addDays(i % 365), QStringLiteral("顧客%1").arg(i % 97),
                      QStringLiteral("担当%1").arg(i % 7), QStringLiteral("訪問報告 %1").arg(i), memo};
    }
    return cards;
}

double bestOf(int runs, const std::function<void()> &work) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return best;
}

void setUpWriter(QPdfWriter &w) {
    w.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    w.setCreator(QStringLiteral("PrjTqen"));
}

// The reference: the same texts at the same places, drawn directly.
int bare(const QList<Card> &cards, const QString &path) {
    QPdfWriter writer(path);
    setUpWriter(writer);
    QPainter p(&writer);
    const qreal s = writer.logicalDpiX() / 1440.0;
    p.scale(s, s);
    QFont font(QStringLiteral("ＭＳ Ｐ明朝"));
    font.setPixelSize(200);
    QFont title = font;
    title.setPixelSize(240);
    title.setBold(true);
    const qreal left = 800, top = 1000, bottom = 16838 - 700 - 285;
    int pages = 1;
    qreal y = 0;
    auto header = [&] {
        p.setFont(title);
        p.drawText(QRectF(left + 354, top + 142, 1347, 285), Qt::AlignLeft, QStringLiteral("営業日報"));
        p.setFont(font);
        p.drawText(QRectF(left + 4110, top + 213, 780, 285), Qt::AlignLeft, QStringLiteral("印刷日"));
        p.drawText(QRectF(left + 4890, top + 213, 2551, 285), Qt::AlignLeft, QStringLiteral("2002年02月14日"));
        p.drawText(QRectF(left + 8433, top + 71, 496, 285), Qt::AlignLeft, QStringLiteral("Pege"));
        p.drawText(QRectF(left + 9000, top + 71, 354, 285), Qt::AlignRight, QString::number(pages));
        p.drawLine(QLineF(left, top + 720, left + 9945, top + 720));
        y = top + 770;
    };
    header();
    for (const Card &c : cards) {
        const QRectF memoBox = p.boundingRect(QRectF(0, 0, 9945, 1e6), Qt::TextWordWrap, c.memo);
        const qreal height = 600 + std::max<qreal>(285, memoBox.height()) + 15;
        if (y + height > bottom) {
            writer.newPage();
            ++pages;
            header();
        }
        p.drawText(QRectF(left + 75, y + 30, 885, 285), Qt::AlignLeft, QStringLiteral("日　付"));
        p.drawText(QRectF(left + 1063, y + 30, 1488, 285), Qt::AlignLeft, FormatDate(c.day, QStringLiteral("yyyy/mm/dd")));
        p.drawText(QRectF(left + 2551, y + 30, 851, 285), Qt::AlignLeft, QStringLiteral("顧客名"));
        p.drawText(QRectF(left + 3465, y + 30, 4725, 285), Qt::AlignLeft, c.customer);
        p.drawText(QRectF(left + 8291, y + 30, 638, 285), Qt::AlignLeft, QStringLiteral("担当"));
        p.drawText(QRectF(left + 8858, y + 30, 1063, 285), Qt::AlignLeft, c.staff);
        p.drawText(QRectF(left + 75, y + 310, 885, 285), Qt::AlignLeft, QStringLiteral("タイトル"));
        p.drawText(QRectF(left + 1065, y + 315, 8700, 285), Qt::TextWordWrap, c.title);
        p.drawText(QRectF(left, y + 600, 9945, memoBox.height()), Qt::TextWordWrap, c.memo);
        p.drawLine(QLineF(left, y + height - 10, left + 9945, y + height - 10));
        y += height;
    }
    p.end();
    return pages;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    forms::InstallFontSubstitutions();
    QTemporaryDir tmp;
    tqen::model::Session session;
    session.workDbPath = tmp.filePath(QStringLiteral("TqenWork.mdb"));
    if (!QFile::copy(QStringLiteral(TQEN_BUILT_DATA_DIR "/TqenWork.mdb"), session.workDbPath)) {
        std::fprintf(stderr, "no built work database in %s\n", TQEN_BUILT_DATA_DIR);
        return 1;
    }
    QFile::setPermissions(session.workDbPath, QFile::ReadOwner | QFile::WriteOwner);
    session.env.年号 = QStringLiteral("西暦");
    const QList<Card> cards = makeCards(1000);
    {
        auto db = dao::Database::open(session.workDbPath);
        db.beginTrans();
        auto rs = db.openRecordset(QStringLiteral("select * from w日報印刷"));
        for (const Card &c : cards) {
            rs.addNew();
            rs.setField(QStringLiteral("日付"), c.day);
            rs.setField(QStringLiteral("顧客名"), c.customer);
            rs.setField(QStringLiteral("担当"), c.staff);
            rs.setField(QStringLiteral("タイトル"), c.title);
            rs.setField(QStringLiteral("メモ"), c.memo);
            rs.update();
        }
        db.commitTrans();
    }
    const QString ours = tmp.filePath(QStringLiteral("report.pdf"));
    const QString reference = tmp.filePath(QStringLiteral("bare.pdf"));
    int ourPages = 0, barePages = 0;
    bool ok = true;
    const double tReport = bestOf(3, [&] {
        Rpt日報 r(session);
        r.setPrintDate(QDate(2002, 2, 14));
        ok = r.ExportPdf(ours).ok() && ok;
        ourPages = r.document().pageCount();
    });
    const double tBare = bestOf(3, [&] { barePages = bare(cards, reference); });
    std::printf("1000 cards to PDF: report component %.3f s (%d pages, %lld bytes)%s\n", tReport, ourPages,
                QFileInfo(ours).size(), ok ? "" : " FAILED");
    std::printf("bare QPainter, same texts, same writer set-up: %.3f s (%d pages, %lld bytes)\n", tBare, barePages,
                QFileInfo(reference).size());
    std::printf("ratio report/bare: %.2f (target <= 1.5); report time target < 2 s: %s\n", tReport / tBare,
                tReport < 2.0 ? "met" : "missed");
    if (argc > 1) QFile::copy(ours, QString::fromLocal8Bit(argv[1]));
    return ok ? 0 : 1;
}
