#pragma once
// How Jet values are kept in the SQLite files. Date columns (declared type
// DATE, DATETIME, …) hold the text "yyyy-mm-dd", or "yyyy-mm-dd hh:mm:ss" when
// a time of day is set, so text comparison and ordering are by calendar date.
// Yes/no columns (declared BOOLEAN, YESNO, BIT) hold 1 for True and 0 for False.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

namespace tqen::dao {

enum class ColumnKind { Plain, Date, YesNo };

// Kind of a column by its declared type.
ColumnKind columnKind(const char *declaredType);

// The stored text of the inside of a Jet date literal ("2002/02/14",
// "2002-2-14", "2/14/2002", optionally followed by a time); empty when it is
// no valid date.
QString storedDateFromJet(const QString &literal);
// Stored text of a date and time (the time is left out when it is midnight).
QString storedDate(const QDateTime &dt);
// A stored date text as QDate (QDateTime when it carries a time of day);
// Null when the text is no stored date.
QVariant dateFromStored(const QString &stored);
// A value written to a yes/no column: "True"/"yes"/"on"/"-1"/"1", their
// opposites or an empty text, a bool, or a number (not 0 = True). Nullopt
// when the value is none of these.
std::optional<bool> yesNoValue(const QVariant &value);

}  // namespace tqen::dao
