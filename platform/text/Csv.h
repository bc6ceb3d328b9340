#pragma once
// Comma-separated values as RFC 4180 writes them: a field holding a comma, a
// double quote, a line break or leading/trailing blanks is enclosed in double
// quotes, a double quote inside is doubled, records end in CRLF. A field that
// a spreadsheet would take for a formula (it begins with =, +, -, @, a tab or
// a carriage return) gets a leading apostrophe, and NUL characters are left
// out.
#include "platform/error/Error.h"
#include "platform/text/Encoding.h"

#include <QList>
#include <QStringList>

namespace tqen::text {

QString csvField(const QString &field);
// One record with its CRLF.
QString csvRecord(const QStringList &fields);

// Writes the records to a file in the encoding. Nothing is written when a
// character cannot be encoded; the file is written beside and renamed into
// place, so an existing file is either kept or wholly replaced.
Error writeCsv(const QString &path, const QList<QStringList> &records, Encoding encoding);

}  // namespace tqen::text
