#pragma once
// The message catalogue: every standard confirmation, completion and input
// warning, chosen by a group, a kind and a subject. Also the three month
// helpers that the forms share.
#include <QDate>
#include <QString>
#include <QVariant>

namespace tqen::MSG {

// Shows the catalogue row of the group and kind. True only when the row asks
// Yes/No and the user pressed Yes; an unknown group or kind shows nothing and
// answers false.
bool ShowMessage(const QString &group, const QString &kind, const QString &subject);

// The registration group on its own (the entry check calls it directly).
bool Msg登録(const QString &kind, const QString &subject);

// A catalogue row, for those who need to know what a call would show.
struct Row {
    QString prompt;
    QString title;
    int style = 0;   // message-box style number
};
// The row of a group and kind with the subject put in; false when none.
bool FindRow(const QString &group, const QString &kind, const QString &subject, Row *row);

// First and last day of today's month.
QDate FirstDayOfMonth();
QDate LastDayOfMonth();
// Days of the month of a date text (rewritten as "yyyy/mm/dd"); 0 for Null or
// empty text, 30 for a month that is not 1–12.
qint16 DaysInMonth(QVariant &text);

}  // namespace tqen::MSG
