#pragma once
// 提出状況: who has reported. For a chosen month, the staff of the code table
// against the month's working days, each cell telling whether the staff
// member wrote a report that day and whether every report of the day has
// been confirmed. A click on a cell takes the day and staff member to the
// main screen (one report) or to the report list (several).
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
    FrmTeisyutu();
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

private:
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
