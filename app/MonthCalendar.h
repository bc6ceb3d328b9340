#pragma once
// The month calendar of the main screen: the title with the month buttons,
// the weekday headings and 37 day cells (caption controls created by class
// identifier). It draws the month it is given and marks each day from the
// number of reports it is told; it knows nothing of where they come from.
// A day is chosen with the mouse or, while the calendar has the focus, with
// the keys (arrows, PageUp/PageDown, Home/End, Enter).
#include "platform/com/ControlHost.h"

#include <QAccessible>
#include <QDate>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;

namespace tqen {

class MonthCalendar : public QWidget {
    Q_OBJECT
public:
    // Colours of the day cells (24-bit values with blue in the high byte;
    // the high bit marks a system colour).
    static constexpr quint32 ColorButtonFace = 0x8000000F;   // 2147483663
    static constexpr quint32 ColorButtonText = 0x80000012;
    static constexpr quint32 ColorWindow = 0x80000005;       // 2147483653
    static constexpr quint32 ColorToday = 12251134;          // light yellow
    static constexpr quint32 ColorMarked = 8388608;          // navy
    static constexpr quint32 ColorMarkedAgain = 4210688;     // dark teal
    // The cells' stored layout, as the form keeps it.
    static QVariantMap dayCellLayout();

    explicit MonthCalendar(QWidget *parent);
    ~MonthCalendar() override;

    // Day cells: font size 12, label over the whole cell.
    void prepareCells();
    // Draws the month around a day: the captions, today in light yellow,
    // no marks.
    void showMonth(const QDate &day);
    // Marks each day of the month shown by its number of reports: one in
    // navy, a second turns it dark teal, a third back to navy, and so on.
    // Days not in the map hold none. The same counts give the same picture.
    void setCounts(const QMap<QDate, int> &counts);
    // Outlines the days on which a next step is planned (a dashed frame
    // inside the cell, apart from the report colours) and says so to a
    // screen reader in the cell's description. Cleared by showMonth.
    void setPlannedDays(const QSet<QDate> &days);
    bool cellPlanned(int index) const { return plannedDays_.contains(cellDate(index)); }
    // The title's date format (the settings' date style).
    void setTitleFormat(const QString &monthFormat);

    QDate monthShown() const { return monthShown_; }
    int cellOffset() const { return offset_; }
    int cellCount() const { return int(cells_.size()); }
    // The day a cell stands for; invalid for a cell outside the month.
    QDate cellDate(int index) const;
    // Reports of the day a cell stands for, as last marked.
    int cellReports(int index) const;
    // What a day cell shows: its caption and colours.
    QString cellCaption(int index) const;
    quint32 cellBackColor(int index) const;
    quint32 cellForeColor(int index) const;
    // What a screen reader hears of a day cell: the date and its state
    // ("今日", "日報2件"); empty for a cell outside the month.
    QString cellName(int index) const;
    // The day under the keyboard cursor.
    QDate cursor() const { return cursorDay_; }
    // Why the day cells could not be created, empty when they were.
    QString cellError() const { return cellError_; }

    // Activates a cell as a click does (nothing for a cell outside the month).
    void activateCell(int index);
    // Puts the keyboard cursor on a day; a day of another month asks for that
    // month first (monthRequested).
    void moveCursor(const QDate &day);

signals:
    // A day of the month was clicked or chosen with Enter.
    void dayActivated(const QDate &day);
    // The month buttons.
    void previousMonthClicked();
    void nextMonthClicked();
    // The keyboard cursor went to a day of another month: show it.
    void monthRequested(const QDate &day);
    // The calendar took the focus: where should the cursor start?
    void focusEntered();

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool calendarKey(int key);
    void placeCursor();
    void describeCells();
    void colourWeekdays();
    void setCell(int index, const QVariant &caption, const QVariant &back, const QVariant &fore);
    static quint32 readableFore(quint32 back, quint32 fore);
    quint32 shownFore(quint32 back, quint32 fore);

    std::vector<com::HostedControl> cells_;   // "LblCald_0" …
    QLabel *title_ = nullptr;                 // "LblCalendarTitle"
    QPushButton *previous_ = nullptr;         // "cmdCaldBef"
    QPushButton *next_ = nullptr;             // "CmdCaldNext"
    QWidget *dayGrid_ = nullptr;              // the weekday headings and day cells, one focusable unit
    QFrame *dayCursor_ = nullptr;             // the keyboard cursor's frame
    std::vector<QLabel *> weekdayHeadings_;
    QDate cursorDay_;
    QDate monthShown_;
    QString titleFormat_;
    QString cellError_;
    int offset_ = 0;
    int days_ = 0;
    std::vector<int> reportCount_;            // reports of each cell's day
    std::vector<QString> cellNames_;          // what each cell was last named
    // What each day cell was last told (its caption and colours), so that
    // unchanged properties are not sent again.
    struct CellLook {
        bool known = false;
        QString caption;
        quint32 back = 0;
        quint32 fore = 0;        // as asked for
        quint32 shownFore = 0;   // as sent: readable on the back colour
    };
    std::vector<CellLook> cellLooks_;
    QSet<QDate> plannedDays_;
    std::vector<QFrame *> plannedMarks_;      // "calendarPlanned_N", one per cell
    void placePlanned();
    QHash<quint64, quint32> shownFores_;
    // Calls back when an assistive tool starts listening.
    struct AccessibilityWatch : QAccessible::ActivationObserver {
        explicit AccessibilityWatch(std::function<void()> onActive) : onActive_(std::move(onActive)) {
            QAccessible::installActivationObserver(this);
        }
        ~AccessibilityWatch() override { QAccessible::removeActivationObserver(this); }
        void accessibilityActiveChanged(bool active) override {
            listening = active;
            if (active) onActive_();
        }
        bool listening = false;
        std::function<void()> onActive_;
    };
    std::unique_ptr<AccessibilityWatch> accessibilityWatch_;
};

}  // namespace tqen
