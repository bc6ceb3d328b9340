#pragma once
// Statements of the model with their values passed as values: each ? of the
// Jet text (outside a literal) takes the next value of the list, so no typed
// text is ever part of a statement's text.
#include "platform/dao/Dao.h"

#include <QVariantList>

namespace tqen::model {

dao::Recordset select(dao::Database &db, const QString &jetSql, const QVariantList &values);
bool run(dao::Database &db, const QString &jetSql, const QVariantList &values);

// Adds " and <column> = ?" with the value when it is not empty: an empty
// staff member or customer of a selection matches any.
void andEquals(QString &sql, QVariantList &values, const QString &column, const QString &value);

// The texts of one field of every row from the current one on, Null ones
// left out.
QStringList textsOf(dao::Recordset &rs, const QString &field);

// A text field that is Null reads as a null QString, so a caller can tell a
// stored Null from a stored empty text.
QString textOf(const QVariant &field);
QDate dateOf(const QVariant &field);

}  // namespace tqen::model

namespace tqen::model {
// A typed text as the start of a like pattern: its * ? # [ stand for
// themselves ([*] [?] [#] [[]), followed by the wildcard *.
QString startsWithPattern(const QString &typed);
}  // namespace tqen::model
