// The main screen's month calendar: 37 day cells (caption controls created
// by class identifier), the weekday headings, the title and the month
// buttons; drawing a month and marking the days that hold reports.
#include "app/TqenMain.h"

#include "captionctl/MDCaptIds.h"
#include "platform/dates/DateFormat.h"
#include "core/Globals.h"
#include "core/ModTqen.h"
#include "messages/Msg.h"
#include "platform/com/ControlHost.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tqen {

namespace {

// The caption control's class and the dispatch identifiers the calendar uses.
const QString kCaptionClsid = QString::fromLatin1(captionctl::kControlClsid);
constexpr int DispCaption = captionctl::DISPID_CAPTION;
constexpr int DispBackColor = captionctl::DISPID_BACKCOLOR;
constexpr int DispForeColor = captionctl::DISPID_FORECOLOR;
constexpr int DispClick = captionctl::DISPID_CLICK;
constexpr int DispFontSize = captionctl::DISPID_FontSize;
constexpr int DispLabelPosition = captionctl::DISPID_LabelPosition;

}  // namespace

// The cells' stored layout, as the form keeps it.
QVariantMap TqenMain::dayCellLayout() {
    return {
        {QStringLiteral("_Version"), (4 << 16) | 1},
        {QStringLiteral("BorderStyle"), 1},
        {QStringLiteral("BorderEffect"), 1},
        {QStringLiteral("LabelAlignment"), 2},
        {QStringLiteral("LabelPosition"), 7},
        {QStringLiteral("LabelWidth"), 64},
        {QStringLiteral("LabelHeight"), 16},
        {QStringLiteral("LeftMargin"), 4},
        {QStringLiteral("TopMargin"), 4},
        {QStringLiteral("RightMargin"), 4},
        {QStringLiteral("BottomMargin"), 4},
        {QStringLiteral("Spacing"), 4},
        {QStringLiteral("AutoAdjust"), false},
        {QStringLiteral("ToolTip"), QString()},
        {QStringLiteral("Caption"), QString()},
        {QStringLiteral("Font"), QVariantMap{{QStringLiteral("Name"), QStringLiteral("ＭＳ Ｐゴシック")},
                                             {QStringLiteral("Size"), 11.25}}},
        {QStringLiteral("ForeColor"), uint(ColorButtonText)},
        {QStringLiteral("BackColor"), uint(ColorButtonFace)},
    };
}

void TqenMain::buildCalendar() {
    auto *column = new QVBoxLayout(calendarArea);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto *titleRow = new QHBoxLayout;
    cmdCaldBef = new QPushButton(QStringLiteral("◀ 前月"), calendarArea);
    cmdCaldBef->setObjectName(QStringLiteral("cmdCaldBef"));
    cmdCaldBef->setAccessibleName(QStringLiteral("前の月"));
    CmdCaldNext = new QPushButton(QStringLiteral("次月 ▶"), calendarArea);
    CmdCaldNext->setObjectName(QStringLiteral("CmdCaldNext"));
    CmdCaldNext->setAccessibleName(QStringLiteral("次の月"));
    LblCalendarTitle = new QLabel(calendarArea);
    LblCalendarTitle->setObjectName(QStringLiteral("LblCalendarTitle"));
    LblCalendarTitle->setAlignment(Qt::AlignCenter);
    QFont titleFont = LblCalendarTitle->font();
    titleFont.setPointSizeF(16);
    titleFont.setBold(true);
    LblCalendarTitle->setFont(titleFont);
    titleRow->addWidget(cmdCaldBef);
    titleRow->addWidget(LblCalendarTitle, 1);
    titleRow->addWidget(CmdCaldNext);
    column->addLayout(titleRow);
    connect(cmdCaldBef, &QPushButton::clicked, this, &TqenMain::cmdCaldBef_Click);
    connect(CmdCaldNext, &QPushButton::clicked, this, &TqenMain::CmdCaldNext_Click);

    auto *grid = new QGridLayout;
    grid->setSpacing(2);
    column->addLayout(grid);
    static const char *const weekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int i = 0; i < 7; ++i) {
        auto *heading = new QLabel(QString::fromUtf8(weekdays[i]), calendarArea);
        heading->setObjectName(QStringLiteral("lblWeek%1").arg(i));
        heading->setAlignment(Qt::AlignCenter);
        // Sunday red (255), Saturday blue (12582912), the others black.
        const QString colour = i == 0 ? QStringLiteral("#ff0000") : i == 6 ? QStringLiteral("#0000c0")
                                                                              : QStringLiteral("#000000");
        heading->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(colour));
        grid->addWidget(heading, 0, i);
    }

    com::ensureRegistered(com::Guid::fromString(kCaptionClsid), com::captionLibraryPath());
    for (int i = 0; i < 37; ++i) {
        com::HResult hr = 0;
        com::HostedControl cell = com::HostedControl::create(kCaptionClsid, calendarArea, &hr);
        if (cell.isNull()) {
            cellError_ = QStringLiteral("0x%1").arg(quint32(hr), 8, 16, QLatin1Char('0'));
            break;
        }
        cell.control()->setAmbient({com::ContainerUnits::Twips, true, false, QStringLiteral("LblCald")});
        cell.control()->load(com::PropertyBag(dayCellLayout()));
        QWidget *w = cell.widget();
        w->setObjectName(QStringLiteral("LblCald_%1").arg(i));
        w->setMinimumSize(58, 58);
        w->setAccessibleDescription(QStringLiteral("カレンダーの日"));
        cell.onEvent([this, i](int dispid, const QString &, const QVariantList &) {
            if (dispid == DispClick) LblCald_Click(i);
        });
        grid->addWidget(w, 1 + i / 7, i % 7);
        LblCald.push_back(std::move(cell));
    }
    cellLooks_.resize(LblCald.size());
    column->addStretch(1);
}

QString TqenMain::cellCaption(int index) const {
    if (index < 0 || index >= int(LblCald.size())) return {};
    return LblCald[index].dispatch()->get(DispCaption).value.toString();
}

quint32 TqenMain::cellBackColor(int index) const {
    if (index < 0 || index >= int(LblCald.size())) return 0;
    if (cellLooks_[index].known) return cellLooks_[index].back;
    return LblCald[index].dispatch()->get(DispBackColor).value.toUInt();
}

quint32 TqenMain::cellForeColor(int index) const {
    if (index < 0 || index >= int(LblCald.size())) return 0;
    return LblCald[index].dispatch()->get(DispForeColor).value.toUInt();
}

void TqenMain::setCell(int index, const QVariant &caption, const QVariant &back, const QVariant &fore) {
    if (index < 0 || index >= int(LblCald.size())) return;
    com::Dispatch *d = LblCald[index].dispatch();
    // A property is sent only when it changes: redrawing a month touches
    // every cell, most of which keep their look.
    CellLook &look = cellLooks_[index];
    if (caption.isValid() && (!look.known || look.caption != caption.toString())) {
        d->put(DispCaption, caption);
        look.caption = caption.toString();
    }
    if (back.isValid() && (!look.known || look.back != back.toUInt())) {
        d->put(DispBackColor, back);
        look.back = back.toUInt();
    }
    if (fore.isValid() && (!look.known || look.fore != fore.toUInt())) {
        d->put(DispForeColor, fore);
        look.fore = fore.toUInt();
    }
    look.known = look.known || (caption.isValid() && back.isValid() && fore.isValid());
}

void TqenMain::prepareCells() {
    for (auto &cell : LblCald) {
        cell.dispatch()->put(DispFontSize, 12);
        cell.dispatch()->put(DispLabelPosition, 0);
    }
}

void TqenMain::SetClalendar() {
    if (!G().CalendarDate.isValid()) return;
    for (int i = 0; i < 37; ++i) setCell(i, QString(), uint(ColorButtonFace), uint(0));
    monthShown_ = G().CalendarDate;
    const QDate first(monthShown_.year(), monthShown_.month(), 1);
    offset_ = first.dayOfWeek() % 7;   // Sunday 0 … Saturday 6
    QVariant monthText = FormatDate(monthShown_, QStringLiteral("yyyy/mm/dd"));
    days_ = MSG::DaysInMonth(monthText);
    const QDate today = QDate::currentDate();
    for (int day = 1; day <= days_; ++day) {
        const int cell = offset_ + day - 1;
        setCell(cell, QString::number(day), QVariant(), QVariant());
        if (QDate(first.year(), first.month(), day) == today) setCell(cell, QVariant(), uint(ColorToday), QVariant());
    }
    LblCalendarTitle->setText(FormatDate(monthShown_, MonthFormatFor(G().EraMode)));
    if (auto *w = LblCalendarTitle) w->setAccessibleName(w->text());
}

void TqenMain::SetMarkDate() {
    QVariant day = G().CalendarDate;
    QDate first, last;
    ModTqen::MonthRange(day, first, last, 0);
    QString sql = QStringLiteral("select * from 営業日報 where 日付 >= #") +
                  FormatDate(first, QStringLiteral("yyyy/mm/dd")) + QStringLiteral("#") +
                  QStringLiteral(" and 日付 <= #") + FormatDate(last, QStringLiteral("yyyy/mm/dd")) +
                  QStringLiteral("#");
    if (!cmb担当->Text().isEmpty()) sql += QStringLiteral(" and 担当 = ") + dao::sqlText(cmb担当->Text());
    if (!cmb顧客名->Text().isEmpty()) sql += QStringLiteral(" and 顧客名 = ") + dao::sqlText(cmb顧客名->Text());
    sql += QStringLiteral("  order by 日付;");
    auto db = dao::Database::open(G().DataDbPath);
    auto rs = db.openRecordset(sql);
    while (!rs.eof()) {
        const QVariant date = rs.field(QStringLiteral("日付"));
        if (!date.isNull()) {
            const QString text = FormatDate(ToDate(date), QStringLiteral("yyyy/mm/dd"));
            const int cell = offset_ + text.right(2).toInt() - 1;
            const quint32 back = cellBackColor(cell) == ColorMarked ? ColorMarkedAgain : ColorMarked;
            setCell(cell, QVariant(), uint(back), uint(ColorWindow));
        }
        rs.moveNext();
    }
    rs.close();
    db.close();
    txtタイトル->setText(QString());
    txtメモ->setText(QString());
    const QDate firstShown(monthShown_.year(), monthShown_.month(), 1);
    if (FormatDate(firstShown, QStringLiteral("yyyy/mm")) == FormatDate(QDate::currentDate(), QStringLiteral("yyyy/mm")))
        txt日付->setValue(FormatDate(QDate::currentDate(), QStringLiteral("yyyymmdd")));
    else
        txt日付->setValue(FormatDate(firstShown, QStringLiteral("yyyymmdd")));
}

void TqenMain::LblCald_Click(int index) {
    const QString caption = cellCaption(index);
    if (caption.isEmpty()) return;
    const QString day = FormatDate(monthShown_, QStringLiteral("yyyy/mm/")) +
                        QStringLiteral("%1").arg(caption.toInt(), 2, 10, QLatin1Char('0'));
    txt日付->setValue(FormatDate(ToDate(day), QStringLiteral("yyyymmdd")));
    ReadNippo();
}

void TqenMain::cmdCaldBef_Click() {
    G().CalendarDate = ToDate(FormatDate(monthShown_.addMonths(-1), QStringLiteral("yyyy/mm/dd")));
    SetClalendar();
    SetMarkDate();
}

void TqenMain::CmdCaldNext_Click() {
    G().CalendarDate = ToDate(FormatDate(monthShown_.addMonths(1), QStringLiteral("yyyy/mm/dd")));
    SetClalendar();
    SetMarkDate();
}

}  // namespace tqen
