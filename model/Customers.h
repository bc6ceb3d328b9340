#pragma once
// The customer master (顧客マスタ of the data database): one row per name
// with its reading (ふりがな) and staff member (担当), and the kana index
// the main screen lists customers by.
#include "platform/error/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tqen::dao {
class Database;
}

namespace tqen::model::Customers {

struct Customer {
    QString name;
    QString reading;  // null when stored Null
};

// Customer names ordered by reading: all of them, or those of one staff
// member when `staff` is not empty.
QStringList names(const QString &dataDbPath, const QString &staff, Error *error = nullptr);

// Writes a customer inside the caller's transaction: a new row, or the row
// of that name updated. The staff member is always written; an empty
// reading leaves a stored reading as it was.
Error upsertIn(dao::Database &db, const QString &name, const QString &reading, const QString &staff);

// The customers whose reading begins with a kana in any of its spellings
// (hiragana, katakana, half-width katakana), ordered by reading. A kana
// outside the table (ゐ, the blank) lists every customer with a reading.
QList<Customer> byKana(const QString &dataDbPath, const QString &kana, Error *error = nullptr);

// Replaces the index list of the work database (w顧客参照, which the main
// screen's reference grid shows) with these customers, in one transaction:
// a failed write leaves it as it was. An empty list empties it.
Error writeIndex(const QString &workDbPath, const QList<Customer> &customers);

// The katakana and half-width katakana spellings of a hiragana's first
// character; both null when it has none.
void kanaSpellings(const QString &hiragana, QString *katakana, QString *halfWidth);

}  // namespace tqen::model::Customers
