// The main screen's month calendar: 37 day cells (caption controls created
// by class identifier), the weekday headings, the title and the month
// buttons; drawing a month and marking the days that hold reports.
#include "app/TqenMain.h"

#include "captionctl/MDCaptIds.h"
#include "platform/dates/DateFormat.h"
#include "core/Globals.h"
#include "core/MakerLink.h"
#include <QToolButton>
#include "core/ModTqen.h"
#include "messages/Msg.h"
#include "platform/com/ControlHost.h"
#include "platform/com/OleColor.h"
#include "platform/forms/Contrast.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"

#include <QAccessible>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QStyle>
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
    cmdCaldBef = new QPushButton(style()->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("前月"), calendarArea);
    cmdCaldBef->setObjectName(QStringLiteral("cmdCaldBef"));
    cmdCaldBef->setAccessibleName(QStringLiteral("前月"));
    cmdCaldBef->setToolTip(QStringLiteral("前の月を表示します (PageUp)"));
    CmdCaldNext = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QStringLiteral("次月"), calendarArea);
    CmdCaldNext->setObjectName(QStringLiteral("CmdCaldNext"));
    CmdCaldNext->setAccessibleName(QStringLiteral("次月"));
    CmdCaldNext->setToolTip(QStringLiteral("次の月を表示します (PageDown)"));
    CmdCaldNext->setLayoutDirection(Qt::RightToLeft);   // the arrow after the caption
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

    // The weekday headings and the day cells form one focusable unit: the
    // keys move a cursor over the days (see calendarKey).
    dayGrid_ = new QWidget(calendarArea);
    dayGrid_->setObjectName(QStringLiteral("calendarDays"));
    dayGrid_->setFocusPolicy(Qt::StrongFocus);
    dayGrid_->setAccessibleName(QStringLiteral("カレンダー"));
    dayGrid_->setAccessibleDescription(
        QStringLiteral("矢印キーで日を選び、Enter で表示します。PageUp/PageDown で前月/次月。"));
    dayGrid_->installEventFilter(this);
    // The cells take the calendar's height.
    column->addWidget(dayGrid_, 1);
    auto *grid = new QGridLayout(dayGrid_);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(2);
    dayCursor_ = new QFrame(dayGrid_);
    dayCursor_->setObjectName(QStringLiteral("calendarCursor"));
    dayCursor_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dayCursor_->setStyleSheet(QStringLiteral("#calendarCursor { border: 3px solid #e07000; background: transparent; }"));
    dayCursor_->hide();
    static const char *const weekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int i = 0; i < 7; ++i) {
        auto *heading = new QLabel(QString::fromUtf8(weekdays[i]), dayGrid_);
        heading->setObjectName(QStringLiteral("lblWeek%1").arg(i));
        heading->setAlignment(Qt::AlignCenter);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, 0, i);
        weekdayHeadings_.push_back(heading);
    }
    colourWeekdays();

    com::ensureRegistered(com::Guid::fromString(kCaptionClsid), com::captionLibraryPath());
    for (int i = 0; i < 37; ++i) {
        com::HResult hr = 0;
        com::HostedControl cell = com::HostedControl::create(kCaptionClsid, dayGrid_, &hr);
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
        w->setFocusPolicy(Qt::NoFocus);
        cell.onEvent([this, i](int dispid, const QString &, const QVariantList &) {
            if (dispid == DispClick) LblCald_Click(i);
        });
        grid->addWidget(w, 1 + i / 7, i % 7);
        LblCald.push_back(std::move(cell));
    }
    cellLooks_.resize(LblCald.size());
    // The weeks share the height; the headings keep theirs.
    for (int week = 1; week <= 6; ++week) grid->setRowStretch(week, 1);
    accessibilityWatch_ = std::make_unique<AccessibilityWatch>([this] { describeCells(); });
    // The maker's picture under the calendar.
    column->addWidget(CreateMakerLink(calendarArea), 0, Qt::AlignLeft);
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

// The fore colour a cell is given: the one the calendar asks for when it
// reads on the cell's back colour under the current palette (a dark theme
// turns the button face and the window colour dark), else white or black,
// whichever reads better.
quint32 TqenMain::readableFore(quint32 back, quint32 fore) {
    const QColor b = com::translateColor(back), f = com::translateColor(fore);
    if (forms::contrastRatio(f, b) >= forms::kReadableContrast) return fore;
    const bool white = forms::contrastRatio(Qt::white, b) >= forms::contrastRatio(Qt::black, b);
    return white ? com::rgb(255, 255, 255) : com::rgb(0, 0, 0);
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
    const bool backChanged = back.isValid() && (!look.known || look.back != back.toUInt());
    if (backChanged) {
        d->put(DispBackColor, back);
        look.back = back.toUInt();
    }
    const bool foreChanged = fore.isValid() && (!look.known || look.fore != fore.toUInt());
    if (foreChanged) look.fore = fore.toUInt();
    const bool wasKnown = look.known;
    look.known = look.known || (caption.isValid() && back.isValid() && fore.isValid());
    // The text is checked against a new back colour as well as a new fore.
    if (look.known && (backChanged || foreChanged)) {
        const quint32 shown = shownFore(look.back, look.fore);
        if (!wasKnown || look.shownFore != shown) {
            d->put(DispForeColor, uint(shown));
            look.shownFore = shown;
        }
    }
}

// The few pairs of colours a month uses are worked out once per palette.
quint32 TqenMain::shownFore(quint32 back, quint32 fore) {
    const quint64 key = (quint64(back) << 32) | fore;
    const auto known = shownFores_.constFind(key);
    if (known != shownFores_.cend()) return *known;
    const quint32 shown = readableFore(back, fore);
    shownFores_.insert(key, shown);
    return shown;
}

// Under another palette (the desktop's theme changed) every cell's text is
// checked again, and the weekday headings take readable colours.
void TqenMain::changeEvent(QEvent *event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
        shownFores_.clear();
        for (int i = 0; i < int(cellLooks_.size()); ++i) {
            CellLook &look = cellLooks_[i];
            if (!look.known) continue;
            const quint32 shown = shownFore(look.back, look.fore);
            if (shown == look.shownFore) continue;
            LblCald[i].dispatch()->put(DispForeColor, uint(shown));
            look.shownFore = shown;
        }
        colourWeekdays();
    }
    forms::Form::changeEvent(event);
}

// Sunday red (255), Saturday blue (12582912), the others in the text
// colour; each made readable on the window's colour.
void TqenMain::colourWeekdays() {
    const QColor window = palette().color(QPalette::Window);
    for (int i = 0; i < int(weekdayHeadings_.size()); ++i) {
        const QColor wanted = i == 0 ? QColor(255, 0, 0) : i == 6 ? QColor(0, 0, 192) : palette().color(QPalette::WindowText);
        QPalette p = weekdayHeadings_[i]->palette();
        p.setColor(QPalette::WindowText, forms::readableOn(wanted, window));
        weekdayHeadings_[i]->setPalette(p);
    }
}

void TqenMain::prepareCells() {
    for (auto &cell : LblCald) {
        cell.dispatch()->put(DispFontSize, 12);
        cell.dispatch()->put(DispLabelPosition, 0);
    }
}

QDate TqenMain::cellDate(int index) const {
    const int day = index - offset_ + 1;
    if (!monthShown_.isValid() || day < 1 || day > days_) return {};
    return QDate(monthShown_.year(), monthShown_.month(), day);
}

void TqenMain::SetClalendar() {
    if (!G().CalendarDate.isValid()) return;
    reportCount_.assign(LblCald.size(), 0);
    for (int i = 0; i < 37; ++i) setCell(i, QString(), uint(ColorButtonFace), uint(0));
    monthShown_ = G().CalendarDate;
    const QDate first(monthShown_.year(), monthShown_.month(), 1);
    offset_ = first.dayOfWeek() % 7;   // Sunday 0 … Saturday 6
    days_ = first.daysInMonth();
    const QDate today = QDate::currentDate();
    for (int day = 1; day <= days_; ++day) {
        const int cell = offset_ + day - 1;
        setCell(cell, QString::number(day), QVariant(), QVariant());
        if (first.addDays(day - 1) == today) setCell(cell, QVariant(), uint(ColorToday), QVariant());
    }
    showCalendarTitle();
    // The cells are described for screen readers once their marks are known
    // (SetMarkDate, which follows every drawing of a month).
}

void TqenMain::SetMarkDate() {
    QVariant day = G().CalendarDate;
    QDate first, last;
    ModTqen::MonthRange(day, first, last, 0);
    QString sql = QStringLiteral("select * from 営業日報 where 日付 >= ") + dao::sqlDate(first) +
                  QStringLiteral(" and 日付 <= ") + dao::sqlDate(last);
    if (!cmb担当->Text().isEmpty()) sql += QStringLiteral(" and 担当 = ") + dao::sqlText(cmb担当->Text());
    if (!cmb顧客名->Text().isEmpty()) sql += QStringLiteral(" and 顧客名 = ") + dao::sqlText(cmb顧客名->Text());
    sql += QStringLiteral("  order by 日付;");
    auto db = dao::Database::open(G().DataDbPath);
    auto rs = db.openRecordset(sql);
    while (!rs.eof()) {
        const QDate date = ToDate(rs.field(QStringLiteral("日付")));
        if (date.isValid()) {
            // The month's reports, each day of them in its cell; a second
            // report on a day turns navy into dark teal, a third back.
            const int cell = offset_ + date.day() - 1;
            if (cell >= 0 && cell < int(reportCount_.size())) ++reportCount_[cell];
            const quint32 back = cellBackColor(cell) == ColorMarked ? ColorMarkedAgain : ColorMarked;
            setCell(cell, QVariant(), uint(back), uint(ColorWindow));
        }
        rs.moveNext();
    }
    rs.close();
    db.close();
    describeCells();
    txtタイトル->setText(QString());
    txtメモ->setText(QString());
    // The entry date becomes today in the current month, else the 1st.
    const QDate today = QDate::currentDate();
    const QDate firstShown(monthShown_.year(), monthShown_.month(), 1);
    const bool thisMonth = firstShown.year() == today.year() && firstShown.month() == today.month();
    txt日付->setValue(thisMonth ? today : firstShown);
}

void TqenMain::showCalendarTitle() {
    if (!monthShown_.isValid()) return;
    LblCalendarTitle->setText(FormatDate(monthShown_, MonthFormatFor(G().Env.年号)));
    LblCalendarTitle->setAccessibleName(LblCalendarTitle->text());
}

QString TqenMain::cellName(int index) const {
    const QDate day = cellDate(index);
    if (!day.isValid()) return {};
    QString name = QStringLiteral("%1年%2月%3日")
                       .arg(day.year(), 4, 10, QLatin1Char('0'))
                       .arg(day.month(), 2, 10, QLatin1Char('0'))
                       .arg(day.day(), 2, 10, QLatin1Char('0'));
    if (day == QDate::currentDate()) name += QStringLiteral(" 今日");
    const int reports = index < int(reportCount_.size()) ? reportCount_[index] : 0;
    if (reports > 0) name += QStringLiteral(" 日報%1件").arg(reports);
    return name;
}

// Each cell tells a screen reader what the eye sees: its date, whether it
// is today and how many reports it holds. Only changed names are sent, and
// only while a screen reader or other assistive tool listens: when one
// starts, the cells are described at once (see the activation observer).
void TqenMain::describeCells() {
    if (!QAccessible::isActive() && !(accessibilityWatch_ && accessibilityWatch_->listening)) return;
    cellNames_.resize(LblCald.size());
    for (int i = 0; i < int(LblCald.size()); ++i) {
        const QString name = cellName(i);
        if (name == cellNames_[i] && LblCald[i].widget()->accessibleName() == name) continue;
        LblCald[i].widget()->setAccessibleName(name);
        cellNames_[i] = name;
    }
    placeCursor();
}

// The keyboard cursor: a frame over the day's cell while the calendar has
// the focus; a day of another month shows that month first. The calendar's
// accessible name follows the cursor.
void TqenMain::moveCursor(const QDate &day) {
    if (!day.isValid() || LblCald.empty()) return;
    cursorDay_ = day;
    if (day.year() != monthShown_.year() || day.month() != monthShown_.month()) {
        G().CalendarDate = day;
        SetClalendar();
        SetMarkDate();
    }
    placeCursor();
}

void TqenMain::placeCursor() {
    const int cell = offset_ + cursorDay_.day() - 1;
    if (!dayCursor_ || !cursorDay_.isValid() || cellDate(cell) != cursorDay_) {
        if (dayCursor_) dayCursor_->hide();
        return;
    }
    dayCursor_->setGeometry(LblCald[cell].widget()->geometry().adjusted(-2, -2, 2, 2));
    dayCursor_->setVisible(dayGrid_->hasFocus());
    dayCursor_->raise();
    dayGrid_->setAccessibleName(QStringLiteral("カレンダー ") + cellName(cell));
}

bool TqenMain::calendarKey(int key) {
    const QDate first(monthShown_.year(), monthShown_.month(), 1);
    const QDate day = cursorDay_.isValid() ? cursorDay_ : first;
    switch (key) {
    case Qt::Key_Left: moveCursor(day.addDays(-1)); return true;
    case Qt::Key_Right: moveCursor(day.addDays(1)); return true;
    case Qt::Key_Up: moveCursor(day.addDays(-7)); return true;
    case Qt::Key_Down: moveCursor(day.addDays(7)); return true;
    case Qt::Key_PageUp: moveCursor(day.addMonths(-1)); return true;
    case Qt::Key_PageDown: moveCursor(day.addMonths(1)); return true;
    case Qt::Key_Home: moveCursor(first); return true;
    case Qt::Key_End: moveCursor(first.addDays(first.daysInMonth() - 1)); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: LblCald_Click(offset_ + day.day() - 1); return true;
    default: return false;
    }
}

bool TqenMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == dayGrid_ && !LblCald.empty()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (calendarKey(static_cast<QKeyEvent *>(event)->key())) return true;
            break;
        case QEvent::FocusIn: {
            // The cursor starts on the entry's day when it is in this month.
            const QDate entry = txt日付->date();
            const bool shown = entry.year() == monthShown_.year() && entry.month() == monthShown_.month();
            moveCursor(shown ? entry : QDate(monthShown_.year(), monthShown_.month(), 1));
            break;
        }
        case QEvent::FocusOut: dayCursor_->hide(); break;
        case QEvent::Resize:
        case QEvent::LayoutRequest: placeCursor(); break;
        default: break;
        }
    }
    return forms::Form::eventFilter(watched, event);
}

void TqenMain::LblCald_Click(int index) {
    // A cell outside the month has no caption and does nothing.
    const QDate day = cellDate(index);
    if (!day.isValid()) return;
    if (!keepTypedEntry()) return;
    txt日付->setValue(day);
    ReadNippo();
}

void TqenMain::cmdCaldBef_Click() {
    G().CalendarDate = monthShown_.addMonths(-1);
    SetClalendar();
    SetMarkDate();
}

void TqenMain::CmdCaldNext_Click() {
    G().CalendarDate = monthShown_.addMonths(1);
    SetClalendar();
    SetMarkDate();
}

}  // namespace tqen
