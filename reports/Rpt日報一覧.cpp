#include "reports/Rpt日報一覧.h"

#include "platform/dates/DateFormat.h"

namespace tqen {

using reporting::Control;
using reporting::ControlKind;
using reporting::Summary;

namespace {

constexpr int TextHeight = 270;
// A4 leaves 11,106 twips between the margins; the rules span the columns.
constexpr int RuleWidth = 10900;

Control text(ControlKind kind, const QString &name, const QString &caption, const QString &dataField, int left,
             int top, int width) {
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

Control label(const QString &name, const QString &caption, int left, int top, int width) {
    return text(ControlKind::Label, name, caption, QString(), left, top, width);
}

Control field(const QString &name, const QString &dataField, int left, int width) {
    return text(ControlKind::Field, name, QString(), dataField, left, 20, width);
}

Control summary(const QString &name, Summary what, const QString &format, int left, Qt::Alignment alignment) {
    Control c = text(ControlKind::Field, name, QString(), QString(), left, 71, 354);
    c.summary = what;
    c.summaryFormat = format;
    c.alignment = alignment;
    return c;
}

Control rule(const QString &name, int top) {
    Control c;
    c.name = name;
    c.kind = ControlKind::Line;
    c.top = top;
    c.width = RuleWidth;
    return c;
}

}  // namespace

Rpt日報一覧::Rpt日報一覧(const model::Session &session)
    : Report(QStringLiteral("rpt日報一覧")), workDbPath_(session.workDbPath), western_(session.env.年号 == QStringLiteral("西暦")) {
    Caption = QStringLiteral("日報一覧");
    Control title = label(QStringLiteral("Label1"), QStringLiteral("日報一覧"), 71, 50, 1417);
    title.height = 354;
    title.fontSize = 14;
    title.bold = true;
    add(PageHeader, {
        title,
        label(QStringLiteral("Label6"), QStringLiteral("印刷日"), 5173, 180, 780),
        text(ControlKind::Field, QStringLiteral("txt印刷日"), QString(), QString(), 5953, 180, 2551),
        label(QStringLiteral("Label7"), QStringLiteral("Pege"), 9071, 71, 496),
        // The page number, then the number of pages.
        summary(QStringLiteral("Field4"), Summary::PageNumber, QStringLiteral("%1"), 9638, Qt::AlignRight),
        summary(QStringLiteral("Field5"), Summary::PageCount, QStringLiteral("/%1"), 10276, Qt::AlignLeft),
        label(QStringLiteral("Label2"), QStringLiteral("日　付"), 142, 540, 1000),
        label(QStringLiteral("Label3"), QStringLiteral("顧　客　名"), 1913, 540, 1500),
        label(QStringLiteral("Label4"), QStringLiteral("タイトル"), 5031, 540, 1500),
        label(QStringLiteral("Label5"), QStringLiteral("担　当"), 9638, 540, 1000),
        label(QStringLiteral("Label8"), QStringLiteral("確　認"), 6900, 540, 1200),
        label(QStringLiteral("Label9"), QStringLiteral("確認者・コメント"), 8100, 540, 1450),
        rule(QStringLiteral("Line2"), 480),
        rule(QStringLiteral("Line3"), 860),
    });
    add(Detail, {
        field(QStringLiteral("txt日付"), QStringLiteral("日付"), 0, 1276),
        field(QStringLiteral("txt顧客名"), QStringLiteral("顧客名"), 1275, 2685),
        field(QStringLiteral("txtタイトル"), QStringLiteral("タイトル"), 4110, 2740),
        field(QStringLiteral("txt確認"), QString(), 6870, 1200),
        field(QStringLiteral("txt確認者"), QString(), 8090, 1450),
        field(QStringLiteral("txt担当"), QStringLiteral("担当"), 9567, 1276),
        rule(QStringLiteral("Line1"), 295),
    });
    // The rule under each line is a light one.
    control(QStringLiteral("Line1")).lineWeight = 5;
    PageFooter.height = TextHeight;   // empty
}

void Rpt日報一覧::ActiveReport_ReportStart() {
    Printer.Orientation = reporting::PrinterSettings::Portrait;   // 1
    PageSettings.RightMargin = 100;
    PageSettings.LeftMargin = 700;
    PageSettings.TopMargin = 1000;
    PageSettings.BottomMargin = 700;
    DAODataControl1.DatabaseName = workDbPath_;
    DAODataControl1.RecordSource = QStringLiteral("w日報一覧");
    PageHeader.height = 1000;
    Detail.height = 300;
}

void Rpt日報一覧::PageHeader_Format() {
    control(QStringLiteral("txt印刷日")).text =
        FormatDate(printDate(), western_ ? QStringLiteral("yyyy年mm月dd日") : QStringLiteral("gggee年mm月dd日"));
}

void Rpt日報一覧::Detail_Format() {
    const QDate day = ToDate(Fields(QStringLiteral("日付")));
    control(QStringLiteral("txt日付")).text =
        FormatDate(day, western_ ? QStringLiteral("yyyy/mm/dd") : QStringLiteral("gee/mm/dd"));
    const auto text = [this](const char *field) {
        const QVariant v = Fields(QString::fromUtf8(field));
        return v.isNull() ? QString() : v.toString();
    };
    const model::ReportList::LineConfirmation c = confirmations_.value({day, text("顧客名"), text("担当")});
    control(QStringLiteral("txt確認")).text = model::Confirmations::stateText(c.state);
    // The confirmer, then the newest comment on the line that is left.
    QString who = c.confirmer;
    const QString newest = c.comments.section(u'\n', -1);
    if (!newest.isEmpty()) who += (who.isEmpty() ? QString() : QStringLiteral("：")) + newest;
    control(QStringLiteral("txt確認者")).text = who;
}

}  // namespace tqen
