#include "reports/Rpt日報.h"

#include "core/Globals.h"
#include "model/NextSteps.h"
#include "platform/dates/DateFormat.h"

namespace tqen {

using reporting::Control;
using reporting::ControlKind;
using reporting::Summary;

namespace {

constexpr int TextHeight = 285;

Control label(const QString &name, const QString &caption, int left, int top, int width) {
    Control c;
    c.name = name;
    c.kind = ControlKind::Label;
    c.text = caption;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = TextHeight;
    return c;
}

Control field(const QString &name, const QString &dataField, int left, int top, int width, bool grows = false) {
    Control c = label(name, QString(), left, top, width);
    c.kind = ControlKind::Field;
    c.dataField = dataField;
    c.canGrow = grows;
    return c;
}

Control summary(const QString &name, Summary what, const QString &format, int left, int top, int width,
                Qt::Alignment alignment) {
    Control c = label(name, QString(), left, top, width);
    c.kind = ControlKind::Field;
    c.summary = what;
    c.summaryFormat = format;
    c.alignment = alignment;
    return c;
}

Control rule(const QString &name, int left, int top, int width) {
    Control c;
    c.name = name;
    c.kind = ControlKind::Line;
    c.left = left;
    c.top = top;
    c.width = width;
    return c;
}

bool western() { return G().Env.年号 == QStringLiteral("西暦"); }

}  // namespace

Rpt日報::Rpt日報() : Report(QStringLiteral("rpt日報")) {
    Caption = QStringLiteral("営業日報");
    Control title = label(QStringLiteral("Label1"), QStringLiteral("営業日報"), 354, 142, 1347);
    title.fontSize = 12;
    title.bold = true;
    add(PageHeader, {
        title,
        rule(QStringLiteral("Line2"), 354, 440, 1347),
        label(QStringLiteral("Label6"), QStringLiteral("印刷日"), 4110, 213, 780),
        field(QStringLiteral("txt印刷日"), QString(), 4890, 213, 2551),
        label(QStringLiteral("Label7"), QStringLiteral("Pege"), 8433, 71, 496),
        // The page number, then the number of pages.
        summary(QStringLiteral("Field4"), Summary::PageNumber, QStringLiteral("%1"), 9000, 71, 354, Qt::AlignRight),
        summary(QStringLiteral("Field5"), Summary::PageCount, QStringLiteral("/%1"), 9638, 71, 354, Qt::AlignLeft),
        rule(QStringLiteral("Line3"), 0, 720, 9945),
    });
    add(Detail, {
        label(QStringLiteral("Label2"), QStringLiteral("日　付"), 75, 30, 885),
        field(QStringLiteral("txt日付"), QStringLiteral("日付"), 1063, 30, 1488),
        label(QStringLiteral("Label3"), QStringLiteral("顧客名"), 2551, 30, 851),
        field(QStringLiteral("txt顧客名"), QStringLiteral("顧客名"), 3465, 30, 4725),
        label(QStringLiteral("Label4"), QStringLiteral("担当"), 8291, 30, 638),
        field(QStringLiteral("txt担当"), QStringLiteral("担当"), 8858, 30, 1063),
        label(QStringLiteral("Label5"), QStringLiteral("タイトル"), 75, 310, 885),
        field(QStringLiteral("txtタイトル"), QStringLiteral("タイトル"), 1065, 315, 8700, true),
        field(QStringLiteral("txtメモ"), QStringLiteral("メモ"), 0, 600, 9945, true),
        // Under the card; it moves down with a long title or memo.
        rule(QStringLiteral("Line1"), 0, 890, 9945),
    });
    PageFooter.height = TextHeight;   // empty
}

void Rpt日報::ActiveReport_ReportStart() {
    Printer.Orientation = reporting::PrinterSettings::Portrait;   // 1
    // Nothing stands in the narrow right margin; the cards start 800 twips
    // from the paper's left edge, well inside what printers can reach.
    PageSettings.RightMargin = 100;
    PageSettings.LeftMargin = 800;
    PageSettings.TopMargin = 1000;
    PageSettings.BottomMargin = 700;
    DAODataControl1.DatabaseName = G().WorkDbPath;
    DAODataControl1.RecordSource = QStringLiteral("w日報印刷");
    PageHeader.height = 770;
    Detail.height = 900;
    steps_.clear();
    stepsRead_ = false;
}

void Rpt日報::PageHeader_Format() {
    control(QStringLiteral("txt印刷日")).text =
        FormatDate(printDate(), western() ? QStringLiteral("yyyy年mm月dd日") : QStringLiteral("gggee年mm月dd日"));
}

void Rpt日報::Detail_Format() {
    control(QStringLiteral("txt日付")).text = FormatDate(ToDate(Fields(QStringLiteral("日付"))),
                                                        western() ? QStringLiteral("yyyy/mm/dd") : QStringLiteral("gee/mm/dd"));
    if (!stepsRead_) {
        // A data file without next steps prints the cards as they were.
        for (const model::NextStep &s : model::NextSteps::ofReports(G().DataDbPath, QDate(), QDate()))
            steps_.insert(model::NextSteps::keyText(s.report), model::NextSteps::describe(s));
        stepsRead_ = true;
    }
    const QString step = steps_.value(model::NextSteps::keyText(
        {ToDate(Fields(QStringLiteral("日付"))), Fields(QStringLiteral("顧客名")).toString(),
         Fields(QStringLiteral("担当")).toString()}));
    if (!step.isEmpty()) {
        QString &memo = control(QStringLiteral("txtメモ")).text;
        memo += (memo.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("次回予定: ") + step;
    }
}

}  // namespace tqen
