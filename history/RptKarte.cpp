#include "history/RptKarte.h"

#include "platform/dates/DateFormat.h"

namespace tqen {

using reporting::Control;
using reporting::ControlKind;
using reporting::Summary;

namespace {

constexpr int TextHeight = 270;
constexpr int RuleWidth = 10900;   // A4 between the margins

Control text(ControlKind kind, const QString &name, const QString &caption, const QString &dataField, int left, int top,
             int width) {
    Control c;
    c.name = name;
    c.kind = kind;
    c.text = caption;
    c.dataField = dataField;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = TextHeight;
    return c;
}

Control rule(const QString &name, int top, int weight) {
    Control c;
    c.name = name;
    c.kind = ControlKind::Line;
    c.top = top;
    c.width = RuleWidth;
    c.lineWeight = weight;
    return c;
}

}  // namespace

RptKarte::RptKarte(const model::Session &session, const QString &customer)
    : Report(QStringLiteral("rptKarte")), customer_(customer), workDbPath_(session.workDbPath),
      western_(session.env.年号 == QStringLiteral("西暦")) {
    Caption = QStringLiteral("顧客カルテ %1").arg(customer);
    Control title = text(ControlKind::Label, QStringLiteral("lblTitle"), QStringLiteral("顧客カルテ"), {}, 71, 50, 1700);
    title.height = 354;
    title.fontSize = 14;
    title.bold = true;
    Control name = text(ControlKind::Field, QStringLiteral("txt顧客名"), {}, {}, 1900, 50, 4200);
    name.height = 354;
    name.fontSize = 14;
    Control pages = text(ControlKind::Field, QStringLiteral("txtPage"), {}, {}, 9638, 71, 1200);
    pages.summary = Summary::PageNumber;
    pages.summaryFormat = QStringLiteral("%1 頁");
    pages.alignment = Qt::AlignRight;
    add(PageHeader, {
        title, name,
        text(ControlKind::Label, QStringLiteral("lbl印刷日"), QStringLiteral("印刷日"), {}, 6200, 180, 780),
        text(ControlKind::Field, QStringLiteral("txt印刷日"), {}, {}, 6980, 180, 2551),
        pages,
        text(ControlKind::Label, QStringLiteral("lbl日付"), QStringLiteral("日　付"), {}, 142, 540, 1000),
        text(ControlKind::Label, QStringLiteral("lbl担当"), QStringLiteral("担　当"), {}, 1500, 540, 1000),
        text(ControlKind::Label, QStringLiteral("lblタイトル"), QStringLiteral("タイトル・メモ"), {}, 3000, 540, 3000),
        rule(QStringLiteral("Line1"), 480, 15),
        rule(QStringLiteral("Line2"), 860, 15),
    });
    Control memo = text(ControlKind::Field, QStringLiteral("txtメモ"), {}, QStringLiteral("メモ"), 3000, 320, 7900);
    memo.canGrow = true;
    add(Detail, {
        text(ControlKind::Field, QStringLiteral("txt日付"), {}, {}, 0, 20, 1400),
        text(ControlKind::Field, QStringLiteral("txt担当"), {}, QStringLiteral("担当"), 1500, 20, 1400),
        text(ControlKind::Field, QStringLiteral("txtタイトル"), {}, QStringLiteral("タイトル"), 3000, 20, 7900),
        memo,
        rule(QStringLiteral("Line3"), 640, 5),
    });
    PageFooter.height = TextHeight;
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
    control(QStringLiteral("txt印刷日")).text =
        FormatDate(printDate(), western_ ? QStringLiteral("yyyy年mm月dd日") : QStringLiteral("gggee年mm月dd日"));
}

void RptKarte::Detail_Format() {
    control(QStringLiteral("txt日付")).text = FormatDate(ToDate(Fields(QStringLiteral("日付"))),
                                                        western_ ? QStringLiteral("yyyy/mm/dd") : QStringLiteral("gee/mm/dd"));
}

}  // namespace tqen
