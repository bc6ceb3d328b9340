#include "history/RptKarte.h"

#include "platform/dates/DateFormat.h"
#include "reports/RptParts.h"

namespace tqen {

using reporting::Control;
using reporting::Summary;

namespace {

const rpt::Parts parts{270};
constexpr int RuleWidth = 10900;   // A4 between the margins

}  // namespace

RptKarte::RptKarte(const model::Session &session, const QString &customer)
    : Report(QStringLiteral("rptKarte")), customer_(customer), workDbPath_(session.workDbPath),
      western_(session.env.年号 == QStringLiteral("西暦")) {
    Caption = QStringLiteral("顧客カルテ %1").arg(customer);
    Control title = parts.label(QStringLiteral("lblTitle"), QStringLiteral("顧客カルテ"), 71, 50, 1700);
    title.height = 354;
    title.fontSize = 14;
    title.bold = true;
    Control name = parts.field(QStringLiteral("txt顧客名"), {}, 1900, 50, 4200);
    name.height = 354;
    name.fontSize = 14;
    add(PageHeader, {
        title, name,
        parts.label(QStringLiteral("lbl印刷日"), QStringLiteral("印刷日"), 6200, 180, 780),
        parts.field(QStringLiteral("txt印刷日"), {}, 6980, 180, 2551),
        parts.summary(QStringLiteral("txtPage"), Summary::PageNumber, QStringLiteral("%1 頁"), 9638, 71, 1200, Qt::AlignRight),
        parts.label(QStringLiteral("lbl日付"), QStringLiteral("日　付"), 142, 540, 1000),
        parts.label(QStringLiteral("lbl担当"), QStringLiteral("担　当"), 1500, 540, 1000),
        parts.label(QStringLiteral("lblタイトル"), QStringLiteral("タイトル・メモ"), 3000, 540, 3000),
        rpt::rule(QStringLiteral("Line1"), 0, 480, RuleWidth),
        rpt::rule(QStringLiteral("Line2"), 0, 860, RuleWidth),
    });
    add(Detail, {
        parts.field(QStringLiteral("txt日付"), {}, 0, 20, 1400),
        parts.field(QStringLiteral("txt担当"), QStringLiteral("担当"), 1500, 20, 1400),
        parts.field(QStringLiteral("txtタイトル"), QStringLiteral("タイトル"), 3000, 20, 7900),
        parts.field(QStringLiteral("txtメモ"), QStringLiteral("メモ"), 3000, 320, 7900, true),
        rpt::rule(QStringLiteral("Line3"), 0, 640, RuleWidth, 5),
    });
    PageFooter.height = parts.textHeight;
}

void RptKarte::ActiveReport_ReportStart() {
    Printer.Orientation = reporting::PrinterSettings::Portrait;
    PageSettings.RightMargin = 100;
    PageSettings.LeftMargin = 700;
    PageSettings.TopMargin = 1000;
    PageSettings.BottomMargin = 700;
    DAODataControl1.DatabaseName = workDbPath_;
    DAODataControl1.RecordSource = QStringLiteral("select * from w日報印刷 order by 日付 DESC, 担当, タイトル");
    PageHeader.height = 1000;
    Detail.height = 680;
}

void RptKarte::PageHeader_Format() {
    control(QStringLiteral("txt顧客名")).text = customer_;
    control(QStringLiteral("txt印刷日")).text = rpt::printedOn(printDate(), western_);
}

void RptKarte::Detail_Format() {
    control(QStringLiteral("txt日付")).text = rpt::dayText(ToDate(Fields(QStringLiteral("日付"))), western_);
}

}  // namespace tqen
