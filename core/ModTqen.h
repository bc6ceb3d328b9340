#pragma once
// The program's own shared procedures.
#include "platform/error/Error.h"

#include <QDate>
#include <QString>
#include <QVariant>

class QWidget;

namespace tqen::ModTqen {

// Puts a name into the first free slot (Null sname, lowest code) of a class of
// コードマスタ in the data database. ok() when it was written; otherwise the
// code says why: AlreadyPresent (the name is in the class), NoFreeSlot (also
// for a class without slots) or DatabaseFailed.
Error AddCodeName(const QString &dataDbPath, const QString &codeClass, const QString &name);

// First and last day of the month around a day (a QDate or a date text; the
// text is rewritten as "yyyy/mm/dd"). Empty text changes nothing. Closing day
// 0 is the calendar month; closing day 1–30 is the period from the day after
// the closing day to the closing day of the next month.
void MonthRange(QVariant &day, QDate &first, QDate &last, int closingDay);

// Switches the input method of a window on or off.
void SetImeOpen(QWidget *window, bool open);
bool ImeOpen(QWidget *window);

// Separator the number 0 with mode 2: the text up to its first NUL.
// Otherwise mode 0 is the part after the first separator, mode 2 the part
// before it, and the whole text when the separator does not occur. Any other
// mode gives Null.
QVariant CutText(const QString &text, const QVariant &separator, int mode);

}  // namespace tqen::ModTqen
