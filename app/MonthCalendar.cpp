// The month calendar: drawing a month, marking its days from the counts
// of reports, the keyboard cursor and what the cells tell a screen reader.
#include "app/MonthCalendar.h"

#include "captionctl/MDCaptIds.h"
#include "platform/com/OleColor.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Contrast.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
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

QVariantMap MonthCalendar::dayCellLayout() {
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

MonthCalendar::MonthCalendar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("monthCalendar"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto *titleRow = new QHBoxLayout;
    previous_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("前月"), this);
    previous_->setObjectName(QStringLiteral("cmdCaldBef"));
    previous_->setAccessibleName(QStringLiteral("前月"));
    previous_->setToolTip(QStringLiteral("前の月を表示します (PageUp)"));
    next_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QStringLiteral("次月"), this);
    next_->setObjectName(QStringLiteral("CmdCaldNext"));
    next_->setAccessibleName(QStringLiteral("次月"));
    next_->setToolTip(QStringLiteral("次の月を表示します (PageDown)"));
    next_->setLayoutDirection(Qt::RightToLeft);   // the arrow after the caption
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("LblCalendarTitle"));
    title_->setAlignment(Qt::AlignCenter);
    QFont titleFont = title_->font();
    titleFont.setPointSizeF(16);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    titleRow->addWidget(previous_);
    titleRow->addWidget(title_, 1);
    titleRow->addWidget(next_);
    column->addLayout(titleRow);
    connect(previous_, &QPushButton::clicked, this, &MonthCalendar::previousMonthClicked);
    connect(next_, &QPushButton::clicked, this, &MonthCalendar::nextMonthClicked);

    // The weekday headings and the day cells form one focusable unit: the
    // keys move a cursor over the days (see calendarKey).
    dayGrid_ = new QWidget(this);
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
            if (dispid == DispClick) activateCell(i);
        });
        grid->addWidget(w, 1 + i / 7, i % 7);
        cells_.push_back(std::move(cell));
    }
    cellLooks_.resize(cells_.size());
    reportCount_.assign(cells_.size(), 0);
    // The weeks share the height; the headings keep theirs.
    for (int week = 1; week <= 6; ++week) grid->setRowStretch(week, 1);
    accessibilityWatch_ = std::make_unique<AccessibilityWatch>([this] { describeCells(); });
}

MonthCalendar::~MonthCalendar() = default;

QString MonthCalendar::cellCaption(int index) const {
    if (index < 0 || index >= int(cells_.size())) return {};
    return cells_[index].dispatch()->get(DispCaption).value.toString();
}

quint32 MonthCalendar::cellBackColor(int index) const {
    if (index < 0 || index >= int(cells_.size())) return 0;
    if (cellLooks_[index].known) return cellLooks_[index].back;
    return cells_[index].dispatch()->get(DispBackColor).value.toUInt();
}

quint32 MonthCalendar::cellForeColor(int index) const {
    if (index < 0 || index >= int(cells_.size())) return 0;
    return cells_[index].dispatch()->get(DispForeColor).value.toUInt();
}

// The fore colour a cell is given: the one the calendar asks for when it
// reads on the cell's back colour under the current palette (a dark theme
// turns the button face and the window colour dark), else white or black,
// whichever reads better.
quint32 MonthCalendar::readableFore(quint32 back, quint32 fore) {
    const QColor b = com::translateColor(back), f = com::translateColor(fore);
    if (forms::contrastRatio(f, b) >= forms::kReadableContrast) return fore;
    const bool white = forms::contrastRatio(Qt::white, b) >= forms::contrastRatio(Qt::black, b);
    return white ? com::rgb(255, 255, 255) : com::rgb(0, 0, 0);
}

void MonthCalendar::setCell(int index, const QVariant &caption, const QVariant &back, const QVariant &fore) {
    if (index < 0 || index >= int(cells_.size())) return;
    com::Dispatch *d = cells_[index].dispatch();
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
quint32 MonthCalendar::shownFore(quint32 back, quint32 fore) {
    const quint64 key = (quint64(back) << 32) | fore;
    const auto known = shownFores_.constFind(key);
    if (known != shownFores_.cend()) return *known;
    const quint32 shown = readableFore(back, fore);
    shownFores_.insert(key, shown);
    return shown;
}

// Under another palette (the desktop's theme changed) every cell's text is
// checked again, and the weekday headings take readable colours.
void MonthCalendar::changeEvent(QEvent *event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
        shownFores_.clear();
        for (int i = 0; i < int(cellLooks_.size()); ++i) {
            CellLook &look = cellLooks_[i];
            if (!look.known) continue;
            const quint32 shown = shownFore(look.back, look.fore);
            if (shown == look.shownFore) continue;
            cells_[i].dispatch()->put(DispForeColor, uint(shown));
            look.shownFore = shown;
        }
        colourWeekdays();
    }
    QWidget::changeEvent(event);
}

// Sunday red (255), Saturday blue (12582912), the others in the text
// colour; each made readable on the window's colour.
void MonthCalendar::colourWeekdays() {
    const QColor window = palette().color(QPalette::Window);
    for (int i = 0; i < int(weekdayHeadings_.size()); ++i) {
        const QColor wanted = i == 0 ? QColor(255, 0, 0) : i == 6 ? QColor(0, 0, 192) : palette().color(QPalette::WindowText);
        QPalette p = weekdayHeadings_[i]->palette();
        p.setColor(QPalette::WindowText, forms::readableOn(wanted, window));
        weekdayHeadings_[i]->setPalette(p);
    }
}

void MonthCalendar::prepareCells() {
    for (auto &cell : cells_) {
        cell.dispatch()->put(DispFontSize, 12);
        cell.dispatch()->put(DispLabelPosition, 0);
    }
}

QDate MonthCalendar::cellDate(int index) const {
    const int day = index - offset_ + 1;
    if (!monthShown_.isValid() || day < 1 || day > days_) return {};
    return QDate(monthShown_.year(), monthShown_.month(), day);
}

QString MonthCalendar::cellName(int index) const {
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
void MonthCalendar::describeCells() {
    if (!QAccessible::isActive() && !(accessibilityWatch_ && accessibilityWatch_->listening)) return;
    cellNames_.resize(cells_.size());
    for (int i = 0; i < int(cells_.size()); ++i) {
        const QString name = cellName(i);
        if (name == cellNames_[i] && cells_[i].widget()->accessibleName() == name) continue;
        cells_[i].widget()->setAccessibleName(name);
        cellNames_[i] = name;
    }
    placeCursor();
}

// The keyboard cursor: a frame over the day's cell while the calendar has
// the focus; a day of another month shows that month first. The calendar's
// accessible name follows the cursor.
void MonthCalendar::moveCursor(const QDate &day) {
    if (!day.isValid() || cells_.empty()) return;
    cursorDay_ = day;
    if (day.year() != monthShown_.year() || day.month() != monthShown_.month()) {
        emit monthRequested(day);
    }
    placeCursor();
}

void MonthCalendar::placeCursor() {
    const int cell = offset_ + cursorDay_.day() - 1;
    if (!dayCursor_ || !cursorDay_.isValid() || cellDate(cell) != cursorDay_) {
        if (dayCursor_) dayCursor_->hide();
        return;
    }
    dayCursor_->setGeometry(cells_[cell].widget()->geometry().adjusted(-2, -2, 2, 2));
    dayCursor_->setVisible(dayGrid_->hasFocus());
    dayCursor_->raise();
    dayGrid_->setAccessibleName(QStringLiteral("カレンダー ") + cellName(cell));
}

bool MonthCalendar::calendarKey(int key) {
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
    case Qt::Key_Space: activateCell(offset_ + day.day() - 1); return true;
    default: return false;
    }
}

bool MonthCalendar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == dayGrid_ && !cells_.empty()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (calendarKey(static_cast<QKeyEvent *>(event)->key())) return true;
            break;
        case QEvent::FocusIn:
            // The owner puts the cursor where it starts (moveCursor).
            emit focusEntered();
            if (!cursorDay_.isValid()) moveCursor(QDate(monthShown_.year(), monthShown_.month(), 1));
            break;
        case QEvent::FocusOut: dayCursor_->hide(); break;
        case QEvent::Resize:
        case QEvent::LayoutRequest:
            placeCursor();
            placePlanned();
            break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MonthCalendar::showMonth(const QDate &day) {
    if (!day.isValid()) return;
    reportCount_.assign(cells_.size(), 0);
    for (int i = 0; i < 37; ++i) setCell(i, QString(), uint(ColorButtonFace), uint(0));
    monthShown_ = day;
    setPlannedDays({});
    const QDate first(monthShown_.year(), monthShown_.month(), 1);
    offset_ = first.dayOfWeek() % 7;   // Sunday 0 … Saturday 6
    days_ = first.daysInMonth();
    const QDate today = QDate::currentDate();
    for (int d = 1; d <= days_; ++d) {
        const int cell = offset_ + d - 1;
        setCell(cell, QString::number(d), QVariant(), QVariant());
        if (first.addDays(d - 1) == today) setCell(cell, QVariant(), uint(ColorToday), QVariant());
    }
    setTitleFormat(titleFormat_);
    // The cells are described for screen readers once their marks are known
    // (setCounts, which follows every drawing of a month).
}

int MonthCalendar::cellReports(int index) const {
    return index >= 0 && index < int(reportCount_.size()) ? reportCount_[index] : 0;
}

void MonthCalendar::setCounts(const QMap<QDate, int> &counts) {
    const QDate today = QDate::currentDate();
    for (int d = 1; d <= days_; ++d) {
        const int cell = offset_ + d - 1;
        if (cell < 0 || cell >= int(reportCount_.size())) continue;
        const QDate date = cellDate(cell);
        const int reports = counts.value(date, 0);
        if (reports == reportCount_[cell]) continue;
        reportCount_[cell] = reports;
        if (reports > 0)
            setCell(cell, QVariant(), uint(reports % 2 == 1 ? ColorMarked : ColorMarkedAgain), uint(ColorWindow));
        else
            setCell(cell, QVariant(), uint(date == today ? ColorToday : ColorButtonFace), uint(0));
    }
    describeCells();
}

void MonthCalendar::setTitleFormat(const QString &monthFormat) {
    titleFormat_ = monthFormat;
    if (!monthShown_.isValid() || titleFormat_.isEmpty()) return;
    title_->setText(FormatDate(monthShown_, titleFormat_));
    title_->setAccessibleName(title_->text());
}

void MonthCalendar::activateCell(int index) {
    // A cell outside the month has no caption and does nothing.
    const QDate day = cellDate(index);
    if (day.isValid()) emit dayActivated(day);
}

void MonthCalendar::setPlannedDays(const QSet<QDate> &days) {
    plannedDays_ = days;
    if (!dayGrid_) return;
    if (plannedMarks_.size() != cells_.size()) {
        for (QFrame *f : plannedMarks_) delete f;
        plannedMarks_.clear();
        for (size_t i = 0; i < cells_.size(); ++i) {
            auto *f = new QFrame(dayGrid_);
            f->setObjectName(QStringLiteral("calendarPlanned_%1").arg(i));
            f->setAttribute(Qt::WA_TransparentForMouseEvents);
            // Dashed, in magenta: apart from the report colours (navy, dark
            // teal), today's yellow and the keyboard cursor's solid orange.
            f->setStyleSheet(QStringLiteral("QFrame { border: 2px dashed #c0007a; background: transparent; }"));
            f->hide();
            plannedMarks_.push_back(f);
        }
    }
    for (int i = 0; i < int(cells_.size()); ++i) {
        const bool planned = cellPlanned(i);
        QWidget *cell = cells_[i].widget();
        const QString description = planned ? QStringLiteral("次回予定あり") : QString();
        if (cell && cell->accessibleDescription() != description) cell->setAccessibleDescription(description);
        plannedMarks_[i]->setVisible(planned);
    }
    placePlanned();
}

void MonthCalendar::placePlanned() {
    for (int i = 0; i < int(plannedMarks_.size()) && i < int(cells_.size()); ++i) {
        if (plannedMarks_[i]->isHidden() || !cells_[i].widget()) continue;
        plannedMarks_[i]->setGeometry(cells_[i].widget()->geometry().adjusted(3, 3, -3, -3));
        plannedMarks_[i]->raise();
    }
    if (dayCursor_ && dayCursor_->isVisible()) dayCursor_->raise();
}

}  // namespace tqen
