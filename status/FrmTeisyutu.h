#pragma once
// 提出状況: who has reported. For a chosen month, the staff of the code table
// against the month's working days, each cell telling whether the staff
// member wrote a report that day and whether every report of the day has
// been confirmed. A click on a cell takes the day and staff member to the
// main screen (one report) or to the report list (several).
#include "model/Session.h"
#include "model/SubmissionStatus.h"
#include "platform/forms/Form.h"

#include <QDate>

class QKeyEvent;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tqen {

class FrmTeisyutu : public forms::Form {
    Q_OBJECT
public:
    // session: the data database read and the date style, shared with the
    // main screen.
    explicit FrmTeisyutu(const model::Session &session);
    ~FrmTeisyutu() override;

    // Shows the month of a day (the calendar's month when opened).
    void showMonth(const QDate &dayOfMonth);
    // Reads the shown month again.
    void ReadStatus();
    const model::SubmissionStatus::Month &month() const { return month_; }

    // What a cell says, and its words for a screen reader.
    static QString cellText(const model::SubmissionStatus::Cell &cell, bool future);
    QString cellDescription(int row, int column) const;

    // Opens the day and staff member of a cell, as a click does.
    void openCell(int row, int column);

signals:
    // A cell of one report or none: the main screen shows that day and
    // staff member (the report, or an empty entry to write it).
    void dayChosen(const tqen::model::HandOver &report);
    // A cell of several reports: the list shows that day and staff member.
    void reportsChosen(const tqen::model::HandOver &report);

private:
    const model::Session &session_;
    bool formKey(QKeyEvent *event);
    void fill();

    QPushButton *cmd前月 = nullptr;
    QLabel *lbl月 = nullptr;
    QPushButton *cmd翌月 = nullptr;
    QPushButton *cmd今月 = nullptr;
    QPushButton *cmd読込 = nullptr;
    QTableWidget *grd提出状況 = nullptr;
    QLabel *lbl凡例 = nullptr;
    QLabel *lblMsg = nullptr;
    QPushButton *cmdHint = nullptr;
    QPushButton *cmd閉じる = nullptr;

    QDate shown_;
    model::SubmissionStatus::Month month_;
};

}  // namespace tqen
