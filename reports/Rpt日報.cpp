#include "reports/Rpt日報.h"

#include "model/Confirmations.h"
#include "model/Reports.h"
#include "model/NextSteps.h"
#include "platform/dates/DateFormat.h"
#include "reports/RptParts.h"

namespace tqen {

using reporting::Control;
using reporting::ControlKind;
using reporting::Summary;
using rpt::rule;
using rpt::vrule;

namespace {

constexpr int TextHeight = 285;
const rpt::Parts parts{TextHeight};

// The two stamp boxes at the card's right, under the first line: 担当 and
// 確認, a heading row over the room for a seal. Everything of them lies
// above the memo's lowest edge, so a long memo leaves them whole.
constexpr int StampLeft = 8145, StampWidth = 900, StampTop = 310, StampHead = 240, StampBottom = 1110;
// The card: the stamp boxes and the rule under it.
constexpr int CardHeight = 1170;
const QColor Vermilion(0xD0, 0x21, 0x1B);

Control centred(Control c, double size, const QColor &color = Qt::black) {
    c.alignment = Qt::AlignHCenter;
    c.fontSize = size;
    c.color = color;
    return c;
}

Control memo() {
    // As high as the stamp boxes reach: only a memo longer than that pushes
    // the rule under the card down.
    Control c = parts.field(QStringLiteral("txtメモ"), QStringLiteral("メモ"), 0, 600, StampLeft - 100, true);
    c.height = StampBottom - 600 + 10;
    return c;
}

QList<Control> stampBoxes() {
    const int mid = StampLeft + StampWidth, right = StampLeft + 2 * StampWidth, seal = 460;
    const int sealLeft = mid + (StampWidth - seal) / 2, sealTop = StampTop + StampHead + (StampBottom - StampTop - StampHead - seal) / 2;
    Control circle;
    circle.name = QStringLiteral("shp確認印");
    circle.kind = ControlKind::Circle;
    circle.left = sealLeft;
    circle.top = sealTop;
    circle.width = seal;
    circle.height = seal;
    circle.color = Vermilion;
    circle.lineWeight = 25;
    return {
        rule(QStringLiteral("Line印上"), StampLeft, StampTop, 2 * StampWidth),
        rule(QStringLiteral("Line印見出し"), StampLeft, StampTop + StampHead, 2 * StampWidth),
        rule(QStringLiteral("Line印下"), StampLeft, StampBottom, 2 * StampWidth),
        vrule(QStringLiteral("Line印左"), StampLeft, StampTop, StampBottom - StampTop),
        vrule(QStringLiteral("Line印中"), mid, StampTop, StampBottom - StampTop),
        vrule(QStringLiteral("Line印右"), right, StampTop, StampBottom - StampTop),
        centred(parts.label(QStringLiteral("Label担当印"), QStringLiteral("担当"), StampLeft, StampTop + 15, StampWidth), 8),
        centred(parts.label(QStringLiteral("Label確認印"), QStringLiteral("確認"), mid, StampTop + 15, StampWidth), 8),
        centred(parts.field(QStringLiteral("txt担当印"), QString(), StampLeft, sealTop + 150, StampWidth), 8),
        circle,
        centred(parts.field(QStringLiteral("txt確認者印"), QString(), sealLeft, sealTop + 80, seal), 7, Vermilion),
        centred(parts.field(QStringLiteral("txt確認日印"), QString(), mid, sealTop + 250, StampWidth), 5.5, Vermilion),
        centred(parts.field(QStringLiteral("txt確認後に変更"), QString(), mid, sealTop + 170, StampWidth), 6.5),
    };
}

}  // namespace

Rpt日報::Rpt日報(const model::Session &session)
    : Report(QStringLiteral("rpt日報")), workDbPath_(session.workDbPath), dataDbPath_(session.dataDbPath), western_(session.env.年号 == QStringLiteral("西暦")) {
    Caption = QStringLiteral("営業日報");
    Control title = parts.label(QStringLiteral("Label1"), QStringLiteral("営業日報"), 354, 142, 1347);
    title.fontSize = 12;
    title.bold = true;
    add(PageHeader, {
        title,
        rule(QStringLiteral("Line2"), 354, 440, 1347),
        parts.label(QStringLiteral("Label6"), QStringLiteral("印刷日"), 4110, 213, 780),
        parts.field(QStringLiteral("txt印刷日"), QString(), 4890, 213, 2551),
        parts.label(QStringLiteral("Label7"), QStringLiteral("Pege"), 8433, 71, 496),
        // The page number, then the number of pages.
        parts.summary(QStringLiteral("Field4"), Summary::PageNumber, QStringLiteral("%1"), 9000, 71, 354, Qt::AlignRight),
        parts.summary(QStringLiteral("Field5"), Summary::PageCount, QStringLiteral("/%1"), 9638, 71, 354, Qt::AlignLeft),
        rule(QStringLiteral("Line3"), 0, 720, 9945),
    });
    add(Detail, {
        parts.label(QStringLiteral("Label2"), QStringLiteral("日　付"), 75, 30, 885),
        parts.field(QStringLiteral("txt日付"), QStringLiteral("日付"), 1063, 30, 1488),
        parts.label(QStringLiteral("Label3"), QStringLiteral("顧客名"), 2551, 30, 851),
        parts.field(QStringLiteral("txt顧客名"), QStringLiteral("顧客名"), 3465, 30, 4725),
        parts.label(QStringLiteral("Label4"), QStringLiteral("担当"), 8291, 30, 638),
        parts.field(QStringLiteral("txt担当"), QStringLiteral("担当"), 8858, 30, 1063),
        parts.label(QStringLiteral("Label5"), QStringLiteral("タイトル"), 75, 310, 885),
        // Title and memo leave the right for the stamp boxes.
        parts.field(QStringLiteral("txtタイトル"), QStringLiteral("タイトル"), 1065, 315, StampLeft - 100 - 1065, true),
        memo(),
        // Under the card; it moves down with a long title or memo.
        rule(QStringLiteral("Line1"), 0, CardHeight - 20, 9945),
    });
    add(Detail, stampBoxes());
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
    DAODataControl1.DatabaseName = workDbPath_;
    DAODataControl1.RecordSource = QStringLiteral("w日報印刷");
    PageHeader.height = 770;
    Detail.height = CardHeight;
    // The confirmations of the days printed, read once.
    confirmations_.clear();
    const auto [first, last] = model::Reports::printedDays(workDbPath_);
    if (first.isValid() && last.isValid())
        confirmations_ = model::Confirmations::statesBetween(dataDbPath_, first, last);
    steps_.clear();
    stepsRead_ = false;
}

void Rpt日報::PageHeader_Format() {
    control(QStringLiteral("txt印刷日")).text = rpt::printedOn(printDate(), western_);
}

void Rpt日報::Detail_Format() {
    const QDate day = ToDate(Fields(QStringLiteral("日付")));
    const QString staff = Fields(QStringLiteral("担当")).toString();
    control(QStringLiteral("txt担当印")).text = staff;
    // The confirmation of the card's report: a seal when it stands, the
    // words when the report was changed since.
    const model::ReportConfirmation c =
        confirmations_.value(model::ReportKey{day, Fields(QStringLiteral("顧客名")).toString(), staff});
    const bool sealed = c.state == model::ConfirmState::Confirmed;
    control(QStringLiteral("shp確認印")).visible = sealed;
    control(QStringLiteral("txt確認者印")).text = sealed ? c.confirmer : QString();
    control(QStringLiteral("txt確認日印")).text =
        sealed ? FormatDate(c.at.date(), western_ ? QStringLiteral("yy/mm/dd") : QStringLiteral("gee/mm/dd")) : QString();
    control(QStringLiteral("txt確認後に変更")).text =
        c.state == model::ConfirmState::ChangedSince ? model::Confirmations::stateText(c.state) : QString();
    control(QStringLiteral("txt日付")).text = rpt::dayText(day, western_);
    if (!stepsRead_) {
        // A data file without next steps prints the cards as they were.
        for (const model::NextStep &s : model::NextSteps::ofReports(dataDbPath_, QDate(), QDate()))
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
