#include "reports/Rpt日報一覧.h"

#include "platform/dates/DateFormat.h"
#include "reports/RptParts.h"

namespace tqen {

using reporting::Control;
using reporting::Summary;

namespace {

constexpr int TextHeight = 270;
const rpt::Parts parts{TextHeight};
// A4 leaves 11,106 twips between the margins; the rules span the columns.
constexpr int RuleWidth = 10900;
// A line, and the rule under it. A report with a next step has it on a
// second line below, under the customer's name and the title; the rule
// moves down under it.
constexpr int LineHeight = 300, RuleTop = 295, StepTop = 290, StepHeight = 270;

Control field(const QString &name, const QString &dataField, int left, int width) {
    return parts.field(name, dataField, left, 20, width);
}

Control heading(const QString &name, const QString &caption, int left, int width) {
    return parts.label(name, caption, left, 540, width);
}

}  // namespace

Rpt日報一覧::Rpt日報一覧(const model::Session &session)
    : Report(QStringLiteral("rpt日報一覧")), workDbPath_(session.workDbPath), western_(session.env.年号 == QStringLiteral("西暦")) {
    Caption = QStringLiteral("日報一覧");
    Control title = parts.label(QStringLiteral("Label1"), QStringLiteral("日報一覧"), 71, 50, 1417);
    title.height = 354;
    title.fontSize = 14;
    title.bold = true;
    add(PageHeader, {
        title,
        parts.label(QStringLiteral("Label6"), QStringLiteral("印刷日"), 5173, 180, 780),
        parts.field(QStringLiteral("txt印刷日"), QString(), 5953, 180, 2551),
        parts.label(QStringLiteral("Label7"), QStringLiteral("Pege"), 9071, 71, 496),
        // The page number, then the number of pages.
        parts.summary(QStringLiteral("Field4"), Summary::PageNumber, QStringLiteral("%1"), 9638, 71, 354, Qt::AlignRight),
        parts.summary(QStringLiteral("Field5"), Summary::PageCount, QStringLiteral("/%1"), 10276, 71, 354, Qt::AlignLeft),
        heading(QStringLiteral("Label2"), QStringLiteral("日　付"), 142, 1000),
        heading(QStringLiteral("Label3"), QStringLiteral("顧　客　名"), 1913, 1500),
        heading(QStringLiteral("Label4"), QStringLiteral("タイトル"), 5031, 1500),
        heading(QStringLiteral("Label5"), QStringLiteral("担　当"), 9638, 1000),
        heading(QStringLiteral("Label8"), QStringLiteral("確　認"), 6900, 1200),
        heading(QStringLiteral("Label9"), QStringLiteral("確認者・コメント"), 8100, 1450),
        rpt::rule(QStringLiteral("Line2"), 0, 480, RuleWidth),
        rpt::rule(QStringLiteral("Line3"), 0, 860, RuleWidth),
    });
    // A long step wraps onto more lines rather than lose its end.
    Control step = parts.field(QStringLiteral("txt次回"), QString(), 1275, StepTop, RuleWidth - 1275, true);
    step.visible = false;
    add(Detail, {
        field(QStringLiteral("txt日付"), QStringLiteral("日付"), 0, 1276),
        field(QStringLiteral("txt顧客名"), QStringLiteral("顧客名"), 1275, 2685),
        field(QStringLiteral("txtタイトル"), QStringLiteral("タイトル"), 4110, 2740),
        field(QStringLiteral("txt確認"), QString(), 6870, 1200),
        field(QStringLiteral("txt確認者"), QString(), 8090, 1450),
        field(QStringLiteral("txt担当"), QStringLiteral("担当"), 9567, 1276),
        step,
        rpt::rule(QStringLiteral("Line1"), 0, RuleTop, RuleWidth),
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
    Detail.height = LineHeight;
}

void Rpt日報一覧::PageHeader_Format() {
    control(QStringLiteral("txt印刷日")).text = rpt::printedOn(printDate(), western_);
}

void Rpt日報一覧::Detail_Format() {
    const QDate day = ToDate(Fields(QStringLiteral("日付")));
    control(QStringLiteral("txt日付")).text = rpt::dayText(day, western_);
    const auto text = [this](const char *field) {
        const QVariant v = Fields(QString::fromUtf8(field));
        return v.isNull() ? QString() : v.toString();
    };
    const model::ReportKey key{day, text("顧客名"), text("担当")};
    const model::ReportList::LineConfirmation c = confirmations_.value(key);
    control(QStringLiteral("txt確認")).text = model::Confirmations::stateText(c.state);
    // The confirmer, then the newest comment on the line that is left.
    QString who = c.confirmer;
    const QString newest = c.comments.section(u'\n', -1);
    if (!newest.isEmpty()) who += (who.isEmpty() ? QString() : QStringLiteral("：")) + newest;
    control(QStringLiteral("txt確認者")).text = who;

    // The next step on a second line; a line without one keeps its height.
    const auto step = steps_.constFind(key);
    const bool stepped = step != steps_.cend();
    Control &line = control(QStringLiteral("txt次回"));
    line.visible = stepped;
    line.text = stepped ? stepText(*step) : QString();
    Detail.height = stepped ? LineHeight + StepHeight : LineHeight;
    control(QStringLiteral("Line1")).top = stepped ? RuleTop + StepHeight : RuleTop;
}

void Rpt日報一覧::setNextSteps(const QList<model::NextStep> &steps) {
    steps_.clear();
    for (const model::NextStep &s : steps) steps_.insert(s.report, s);
}

QString Rpt日報一覧::stepText(const model::NextStep &step) const {
    // Month and day when the step falls in the report's year, else the
    // whole day in the report's style.
    const auto when = [this, &step](const QDate &d) {
        return d.year() == step.report.day.year() ? FormatDate(d, QStringLiteral("mm/dd")) : rpt::dayText(d, western_);
    };
    QString text = QStringLiteral("次回 ") + when(step.planned);
    if (!step.text.isEmpty()) text += u' ' + step.text;
    if (!step.isOpen()) text += QStringLiteral("（完了 %1）").arg(when(step.closed));
    return text;
}

}  // namespace tqen
