#include "platform/forms/DateBox.h"

#include "platform/dates/DateFormat.h"
#include "platform/forms/Twips.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace tqen::forms {

DateBox::DateBox(const QString &name, QWidget *parent) : QWidget(parent) {
    setObjectName(name);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(name + QStringLiteral("_edit"));
    drop_ = new QToolButton(this);
    drop_->setArrowType(Qt::DownArrow);
    drop_->setFocusPolicy(Qt::NoFocus);
    drop_->setAccessibleName(QStringLiteral("カレンダーを開く"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(edit_, 1);
    row->addWidget(drop_);
    setFocusProxy(edit_);

    connect(drop_, &QToolButton::clicked, this, &DateBox::showCalendar);
    connect(edit_, &QLineEdit::editingFinished, this, &DateBox::commitTyped);
    edit_->installEventFilter(this);
    refresh();
}

void DateBox::buildPopup() {
    if (popup_) return;
    popup_ = new QWidget(this, Qt::Popup);
    caption_ = new QLabel(popup_);
    caption_->setAlignment(Qt::AlignCenter);
    calendar_ = new QCalendarWidget(popup_);
    calendar_->setNavigationBarVisible(true);
    calendar_->setGridVisible(true);
    auto *col = new QVBoxLayout(popup_);
    col->setContentsMargins(2, 2, 2, 2);
    col->addWidget(caption_);
    col->addWidget(calendar_);

    connect(calendar_, &QCalendarWidget::currentPageChanged, this,
            [this](int, int) { caption_->setText(calendarCaption()); });
    connect(calendar_, &QCalendarWidget::clicked, this, [this](QDate d) {
        popup_->hide();
        setDateInternal(d);
        edit_->setFocus();
    });
    connect(calendar_, &QCalendarWidget::activated, this, [this](QDate d) {
        popup_->hide();
        setDateInternal(d);
        edit_->setFocus();
    });
}

QCalendarWidget *DateBox::calendar() {
    buildPopup();
    return calendar_;
}

QVariant DateBox::Value() const {
    if (!date_.isValid()) return {};
    return date_;
}

void DateBox::setValue(const QVariant &value) { setDateInternal(tqen::ToDate(value)); }

QString DateBox::Text() const { return FormatDate(date_, displayFormat_); }

void DateBox::setInputFormat(const QString &format) {
    inputFormat_ = format;
    refresh();
}

void DateBox::setDisplayFormat(const QString &format) {
    displayFormat_ = format;
    refresh();
}

void DateBox::setMonthFormat(const QString &format) {
    monthFormat_ = format;
    if (caption_) caption_->setText(calendarCaption());
}

void DateBox::setWidthTwips(int t) { setFixedWidth(pixels(t)); }
void DateBox::setLeftTwips(int t) { move(pixels(t), y()); }
int DateBox::widthTwips() const { return twips(width()); }
int DateBox::leftTwips() const { return twips(x()); }

QString DateBox::calendarCaption() const {
    if (!calendar_) return {};
    const QDate first(calendar_->yearShown(), calendar_->monthShown(), 1);
    return FormatDate(first, monthFormat_);
}

void DateBox::showCalendar() {
    buildPopup();
    const QDate shown = date_.isValid() ? date_ : QDate::currentDate();
    calendar_->setSelectedDate(shown);
    calendar_->setCurrentPage(shown.year(), shown.month());
    caption_->setText(calendarCaption());
    popup_->adjustSize();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    calendar_->setFocus();
}

bool DateBox::eventFilter(QObject *watched, QEvent *event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier))) {
            showCalendar();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) commitTyped();
    }
    if (watched == edit_ && event->type() == QEvent::FocusIn) {
        // While editing, the date is shown in the input format.
        edit_->setText(FormatDate(date_, inputFormat_));
    }
    if (watched == edit_ && event->type() == QEvent::FocusOut) commitTyped();
    return QWidget::eventFilter(watched, event);
}

void DateBox::commitTyped() {
    const QString typed = edit_->text().trimmed();
    if (typed.isEmpty()) {
        setDateInternal(QDate());
        return;
    }
    if (typed == FormatDate(date_, inputFormat_) || typed == Text()) {
        refresh();
        return;
    }
    const QDate parsed = ParseDateText(typed);
    // A text that is no date leaves the box as it was.
    setDateInternal(parsed.isValid() ? parsed : date_);
}

void DateBox::setDateInternal(const QDate &d) {
    date_ = d;
    refresh();
}

void DateBox::refresh() {
    const QString text = edit_->hasFocus() ? FormatDate(date_, inputFormat_) : Text();
    if (edit_->text() != text) edit_->setText(text);
    edit_->setAccessibleDescription(Text());
}

}  // namespace tqen::forms
