#pragma once
// Dates as the program writes them: era and western formats, and reading a
// typed date back.
//
// Format letters: "ggg" the era name (平成), "gg" its first character (平),
// "g" its letter (H); "ee" the two-digit year of the era ("01" for the first
// year), "e" the year without padding; "yyyy" the western year, "yy" its last
// two digits; "mm"/"m" the month, "dd"/"d" the day. Every other character is
// written as it stands. Before the first era the western year stands in for
// the era year and the era name is empty.
#include <QDate>
#include <QString>
#include <QVariant>

namespace tqen {

struct Era {
    QDate start;      // first day of the era
    QString name;     // 明治 …
    QChar letter;     // M …
};

// Meiji … Reiwa, oldest first.
const QList<Era> &EraTable();

// The era of a day, or nullptr before the first era.
const Era *EraOf(const QDate &day);

// Year of the era of a day (1 for the era's first year).
int EraYear(const QDate &day);

// The day written in the format; empty for an invalid day.
QString FormatDate(const QDate &day, const QString &format);

// A date value as the program holds them (QDate, "yyyy/mm/dd" text, the
// eight digits yyyymmdd as text or number, an era text) read as a day;
// an invalid QDate when it reads as no day.
QDate ToDate(const QVariant &value);

// A typed date: "yyyymmdd", "yyyy/m/d", "yyyy-m-d", "yyyy年m月d日",
// "平成14年2月14日", "H14/2/14", "H14.2.14", "yy/m/d". Invalid when it is no
// date.
QDate ParseDateText(const QString &text);

}  // namespace tqen
